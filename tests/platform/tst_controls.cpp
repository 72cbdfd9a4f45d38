// The window platform the forms are written against: key filters, change events, Enter and
// the default button, and the message box seam.
#include "platform/Controls.h"
#include "platform/Form.h"
#include "platform/MessageBox.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

using namespace vemtaro::platform;

namespace {

/// A form with two boxes, a multi-line box and two buttons; Enter turns into Tab when the
/// default button is disabled, as the chart window does while editing.
class SampleForm : public Form {
public:
    SampleForm()
    {
        setKeyPreview(true);
        first = new TextBox(this);
        first->setObjectName(QStringLiteral("first"));
        second = new TextBox(this);
        second->setObjectName(QStringLiteral("second"));
        notes = new MultiLineTextBox(this);
        run = new CommandButton(QStringLiteral("&Run"), this);
        other = new CommandButton(QStringLiteral("&Other"), this);
        setDefaultButton(run);
        setTabOrder(first, second);
        setTabOrder(second, notes);
        setTabOrder(notes, run);
        setTabOrder(run, other);
        int y = 0;
        for (QWidget* control : std::initializer_list<QWidget*>{first, second, notes, run, other}) {
            control->setGeometry(0, y, 200, 30);
            y += 32;
        }
    }
    TextBox* first;
    TextBox* second;
    MultiLineTextBox* notes;
    CommandButton* run;
    CommandButton* other;
    QList<int> previewed;

protected:
    void Form_KeyPress(int& keyAscii) override
    {
        previewed << keyAscii;
        if (keyAscii == 13) {
            sendKeys(QStringLiteral("{tab}"));
            keyAscii = 0;
        }
    }
};

} // namespace

class TestControls : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        form = new SampleForm;
        form->show();
        QApplication::setActiveWindow(form);
        QVERIFY(QTest::qWaitForWindowActive(form));
    }
    void cleanup() { delete form; }

    void aSelectionMadeOnFocusSurvivesTheClickThatGaveIt()
    {
        form->second->setText(QStringLiteral("mesa roble"));
        form->second->GotFocus = [this] {
            form->second->setSelStart(0);
            form->second->setSelLength(form->second->text().size());
        };
        form->first->setFocus();
        QTest::mouseClick(form->second, Qt::LeftButton, {}, QPoint(5, 10));
        QCOMPARE(form->second->selectedText(), QStringLiteral("mesa roble"));
        QTest::keyClicks(form->second, QStringLiteral("silla"));
        QCOMPARE(form->second->text(), QStringLiteral("silla"));
        // Once it has the focus, a click places the caret as usual.
        QTest::mouseClick(form->second, Qt::LeftButton, {}, QPoint(2, 10));
        QTest::keyClicks(form->second, QStringLiteral("x"));
        QCOMPARE(form->second->text(), QStringLiteral("xsilla"));
        // A box without such a handler keeps the caret where the click put it.
        form->first->setText(QStringLiteral("abc"));
        QTest::mouseClick(form->first, Qt::LeftButton, {}, QPoint(2, 10));
        QCOMPARE(form->first->selectedText(), QString());
    }

    void keyFilterDiscardsReplacesOrPasses()
    {
        form->first->KeyPress = [](int& key) {
            if (key == 'x')
                key = 0;
            else if (key >= 'a' && key <= 'z')
                key -= 32;
        };
        form->first->setFocus();
        QTest::keyClicks(form->first, QStringLiteral("axb1"));
        QCOMPARE(form->first->text(), QStringLiteral("AB1"));
        QTest::keyClick(form->first, Qt::Key_Backspace);
        QCOMPARE(form->first->text(), QStringLiteral("AB"));
        // Keys that type no character never reach the filter.
        QList<int> seen;
        form->first->KeyPress = [&](int& key) { seen << key; };
        QTest::keyClick(form->first, Qt::Key_Left);
        QTest::keyClick(form->first, Qt::Key_Delete);
        QTest::keyClick(form->first, Qt::Key_Backspace);
        QCOMPARE(seen, QList<int>{8});
        // The window saw every character before the box did.
        QCOMPARE(form->previewed.mid(0, 4), (QList<int>{'a', 'x', 'b', '1'}));
    }

    void changeRunsSynchronouslyAndOnlyOnARealChange()
    {
        int changes = 0;
        form->first->Change = [&] {
            ++changes;
            form->first->setText(form->first->text().toUpper());
        };
        form->first->setText(QStringLiteral("mesa"));
        QCOMPARE(form->first->text(), QStringLiteral("MESA"));
        QCOMPARE(changes, 2); // the handler's own upper-casing, then nothing more
        form->first->setText(QStringLiteral("MESA"));
        QCOMPARE(changes, 2);
        // Text set by code shows from its start, unless the handler put the caret elsewhere.
        QCOMPARE(form->first->selStart(), 0);
        form->second->Change = [&] { form->second->setSelStart(form->second->text().size()); };
        form->second->setText(QStringLiteral("roble"));
        QCOMPARE(form->second->selStart(), 5);

        int notesChanges = 0;
        form->notes->Change = [&] { ++notesChanges; };
        form->notes->setText(QStringLiteral("una\nlínea"));
        form->notes->setText(QStringLiteral("una\nlínea"));
        QCOMPARE(notesChanges, 1);
    }

    void enterPressesTheDefaultButtonOrTheFocusedOne()
    {
        QSignalSpy run(form->run, &QPushButton::clicked);
        QSignalSpy other(form->other, &QPushButton::clicked);
        form->first->setFocus();
        QTest::keyClick(form->first, Qt::Key_Return);
        QCOMPARE(run.count(), 1);
        QVERIFY(form->previewed.isEmpty()); // the default button took it

        form->other->setFocus();
        QTest::keyClick(form->other, Qt::Key_Enter);
        QCOMPARE(other.count(), 1);
        QCOMPARE(run.count(), 1);
    }

    void enterBecomesTabWithoutADefaultButton()
    {
        form->run->setEnabled(false);
        form->first->setFocus();
        QTest::keyClick(form->first, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), form->second);
        QCOMPARE(form->previewed, QList<int>{13});

        form->notes->setFocus();
        QTest::keyClick(form->notes, Qt::Key_Return);
        QCOMPARE(form->notes->text(), QString());
        QCOMPARE(QApplication::focusWidget(), form->other); // the disabled button is skipped
    }

    void bulkEnablingReachesOneKind()
    {
        form->setEnabledOfKind<TextControl>(false);
        QVERIFY(!form->first->isEnabled() && !form->second->isEnabled() &&
                !form->notes->isEnabled());
        QVERIFY(form->run->isEnabled() && form->other->isEnabled());
        form->setEnabledOfKind<CommandButton>(false);
        QVERIFY(!form->run->isEnabled() && !form->other->isEnabled());
        form->setEnabledOfKind<TextControl>(true);
        QVERIFY(form->notes->isEnabled());
        QVERIFY(!form->run->isEnabled());
    }

    void messageBoxSeamRecordsAndAnswers()
    {
        MessageBox::setRecording(true);
        MessageBox::setNextAnswer(vbCancel);
        QCOMPARE(MessageBox::show(QStringLiteral("¿Seguro?"), vbOKCancel | vbQuestion,
                                  QStringLiteral("Alerta!!!")),
                 int(vbCancel));
        QCOMPARE(MessageBox::show(QStringLiteral("Listo")), int(vbOK));
        const auto shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown[0].style, 33);
        QCOMPARE(shown[0].title, QStringLiteral("Alerta!!!"));
        QCOMPARE(shown[1].title, QStringLiteral("vemtaro"));
        QVERIFY(MessageBox::takeShown().isEmpty());
        MessageBox::setRecording(false);
    }

private:
    SampleForm* form = nullptr;
};

QTEST_MAIN(TestControls)
#include "tst_controls.moc"
