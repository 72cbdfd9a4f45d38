// The window platform the forms are written against: key filters, change events, Enter and the
// default button, the message box seam, and the bound record source with its grid (pending
// edits written on moves, failures reported without losing what the clerk typed).
#include "../db/DbTestSupport.h"

#include "db/DataFolder.h"
#include "db/DefaultData.h"
#include "platform/Controls.h"
#include "platform/DataControl.h"
#include "platform/DataGrid.h"
#include "platform/Form.h"
#include "platform/MessageBox.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>
#include <sqlite3.h>

using namespace vemtaro;
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
        second = new TextBox(this);
        notes = new MultiLineTextBox(this);
        run = new CommandButton(QStringLiteral("&Run"), this);
        other = new CommandButton(QStringLiteral("&Other"), this);
        setDefaultButton(run);
        auto* layout = new QVBoxLayout(this);
        for (QWidget* control : std::initializer_list<QWidget*>{first, second, notes, run, other})
            layout->addWidget(control);
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

/// A key filter that drops x and turns the other small letters into capitals.
void capitalsWithoutX(int& key)
{
    if (key == 'x')
        key = 0;
    else if (key >= 'a' && key <= 'z')
        key -= 32;
}

} // namespace

class TestControls : public QObject {
    Q_OBJECT

    /// `expression` over the fields of the account at `row` in the source's order.
    QString stored(const char* expression, int row)
    {
        return scalar(m_db->handle(), QByteArray("SELECT ") + expression +
                                          " FROM vemtaro ORDER BY id LIMIT 1 OFFSET " +
                                          QByteArray::number(row));
    }

    /// Opens the database and shows the form; the record source and three boxes bound to it
    /// come after, hidden.
    void openForm()
    {
        m_db = db::Connection::open(db::databasePath());
        m_form = std::make_unique<SampleForm>();
        m_form->show();
        QApplication::setActiveWindow(m_form.get());
        [&] { QVERIFY(QTest::qWaitForWindowActive(m_form.get())); }();
        m_source = new DataControl(*m_db, QStringLiteral("vemtaro"), m_form.get());
        m_code = new TextBox(m_form.get());
        m_description = new TextBox(m_form.get());
        m_life = new TextBox(m_form.get());
        m_source->bind(m_code, QStringLiteral("codigo"));
        m_source->bind(m_description, QStringLiteral("Descripcion"));
        m_source->bind(m_life, QStringLiteral("VIDA_UTIL"));
    }

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        qputenv("XDG_DATA_HOME", m_home->path().toUtf8());
        db::ensureDefaultDatabase();
        MessageBox::setRecording(true);
        openForm();
    }

    void cleanup()
    {
        QLocale::setDefault(QLocale::system());
        m_form.reset();
        m_db.reset();
        m_home.reset();
    }

    void aSelectionMadeOnFocusSurvivesTheClickThatGaveIt()
    {
        m_form->second->setText(QStringLiteral("mesa roble"));
        m_form->second->GotFocus = [this] {
            m_form->second->setSelStart(0);
            m_form->second->setSelLength(m_form->second->text().size());
        };
        m_form->first->setFocus();
        QTest::mouseClick(m_form->second, Qt::LeftButton, {}, QPoint(5, 10));
        QCOMPARE(m_form->second->selectedText(), QStringLiteral("mesa roble"));
        QTest::keyClicks(m_form->second, QStringLiteral("silla"));
        QCOMPARE(m_form->second->text(), QStringLiteral("silla"));
        // Once it has the focus, a click places the caret as usual.
        QTest::mouseClick(m_form->second, Qt::LeftButton, {}, QPoint(2, 10));
        QTest::keyClicks(m_form->second, QStringLiteral("x"));
        QCOMPARE(m_form->second->text(), QStringLiteral("xsilla"));
    }

    void onlyCharacterKeysReachTheFilterAfterTheWindow()
    {
        QList<int> seen; // each code with what the window had previewed by then
        m_form->first->KeyPress = [&](int& key) { seen << key << m_form->previewed.size(); };
        m_form->first->setFocus();
        QTest::keyClicks(m_form->first, QStringLiteral("a1"));
        for (const Qt::Key key : {Qt::Key_Left, Qt::Key_Delete, Qt::Key_Backspace})
            QTest::keyClick(m_form->first, key);
        QCOMPARE(seen, (QList<int>{'a', 1, '1', 2, 8, 3}));
        QCOMPARE(m_form->first->text(), QString());
    }

    // A filter that pasting or dropping could get round would let letters into a code.
    void typedPastedOrDroppedTextPassesTheFilter_data()
    {
        QTest::addColumn<QString>("way");
        for (const char* way : {"typed", "Ctrl+V", "Shift+Insert", "context menu", "drop"})
            QTest::newRow(way) << QString::fromLatin1(way);
    }

    void typedPastedOrDroppedTextPassesTheFilter()
    {
        QFETCH(QString, way);
        const auto put = [&way](TextBox* box, const QString& text) {
            box->setFocus();
            box->end(false);
            QGuiApplication::clipboard()->setText(text);
            if (way == "typed") {
                QTest::keyClicks(box, QString(text).remove(u'\t'));
            } else if (way == "Ctrl+V") {
                QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
            } else if (way == "Shift+Insert") {
                QTest::keyClick(box, Qt::Key_Insert, Qt::ShiftModifier);
            } else if (way == "context menu") {
                QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2),
                                        box->mapToGlobal(QPoint(2, 2)));
                QApplication::sendEvent(box, &event);
                auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                QVERIFY(menu);
                TextBox::pasteAction(menu)->trigger();
                menu->close();
            } else {
                QMimeData data;
                data.setText(text);
                const QPoint end(box->width() - 2, box->height() / 2);
                QDragEnterEvent enter(end, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(box, &enter);
                QDropEvent drop(end, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(box, &drop);
            }
        };
        m_form->first->KeyPress = capitalsWithoutX;
        m_form->first->setText(QStringLiteral("1"));
        put(m_form->first, QStringLiteral("ax.b\t2"));
        QCOMPARE(m_form->first->text(), QStringLiteral("1A.B2"));
        // A box with no filter takes the text as it stands.
        m_form->second->setText(QStringLiteral("1"));
        put(m_form->second, QStringLiteral("ax.b"));
        QCOMPARE(m_form->second->text(), QStringLiteral("1ax.b"));
    }

    void changeRunsSynchronouslyAndOnlyOnARealChange()
    {
        int changes = 0;
        m_form->first->Change = [&] {
            ++changes;
            m_form->first->setText(m_form->first->text().toUpper());
        };
        m_form->first->setText(QStringLiteral("mesa"));
        QCOMPARE(m_form->first->text(), QStringLiteral("MESA"));
        QCOMPARE(changes, 2); // the handler's own upper-casing, then nothing more
        m_form->first->setText(QStringLiteral("MESA"));
        QCOMPARE(changes, 2);
        // Text set by code shows from its start, unless the handler put the caret elsewhere.
        QCOMPARE(m_form->first->selStart(), 0);
        m_form->second->Change = [&] {
            m_form->second->setSelStart(m_form->second->text().size());
        };
        m_form->second->setText(QStringLiteral("roble"));
        QCOMPARE(m_form->second->selStart(), 5);

        int notesChanges = 0;
        m_form->notes->Change = [&] { ++notesChanges; };
        m_form->notes->setText(QStringLiteral("una\nlínea"));
        m_form->notes->setText(QStringLiteral("una\nlínea"));
        QCOMPARE(notesChanges, 1);
    }

    void enterPressesTheDefaultButtonOrTheFocusedOneOrBecomesTab()
    {
        QSignalSpy run(m_form->run, &QPushButton::clicked);
        QSignalSpy other(m_form->other, &QPushButton::clicked);
        m_form->first->setFocus();
        QTest::keyClick(m_form->first, Qt::Key_Return);
        QCOMPARE(run.count(), 1);
        QVERIFY(m_form->previewed.isEmpty()); // the default button took it
        m_form->other->setFocus();
        QTest::keyClick(m_form->other, Qt::Key_Enter);
        QCOMPARE(other.count(), 1);
        QCOMPARE(run.count(), 1);

        // Without a default button the window's preview turns it into Tab.
        m_form->run->setEnabled(false);
        m_form->first->setFocus();
        QTest::keyClick(m_form->first, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), m_form->second);
        QCOMPARE(m_form->previewed, QList<int>{13});
        m_form->notes->setFocus();
        QTest::keyClick(m_form->notes, Qt::Key_Return);
        QCOMPARE(m_form->notes->text(), QString());
        QCOMPARE(QApplication::focusWidget(), m_form->other); // the disabled button is skipped
    }

    void bulkEnablingReachesOneKind()
    {
        m_form->setEnabledOfKind<TextControl>(false);
        QVERIFY(!m_form->first->isEnabled() && !m_form->second->isEnabled() &&
                !m_form->notes->isEnabled());
        QVERIFY(m_form->run->isEnabled() && m_form->other->isEnabled());
        m_form->setEnabledOfKind<CommandButton>(false);
        QVERIFY(!m_form->run->isEnabled() && !m_form->other->isEnabled());
        m_form->setEnabledOfKind<TextControl>(true);
        QVERIFY(m_form->notes->isEnabled());
        QVERIFY(!m_form->run->isEnabled());
    }

    void messageBoxSeamRecordsAndAnswers()
    {
        MessageBox::setNextAnswer(vbCancel);
        QCOMPARE(MessageBox::show(QStringLiteral("¿Seguro?"), vbOKCancel | vbQuestion,
                                  QStringLiteral("Alerta!!!")),
                 int(vbCancel));
        QCOMPARE(MessageBox::show(QStringLiteral("Listo")), int(vbOK));
        QStringList shown;
        for (const auto& box : MessageBox::takeShown())
            shown << QStringLiteral("%1|%2|%3").arg(box.prompt).arg(box.style).arg(box.title);
        QCOMPARE(shown, (QStringList{"¿Seguro?|33|Alerta!!!", "Listo|0|vemtaro"}));
        QVERIFY(MessageBox::takeShown().isEmpty());
    }

    void boundBoxesFollowTheCurrentRecord()
    {
        QCOMPARE(m_code->text(), stored("CODIGO", 0));
        QSignalSpy reposition(m_source, &DataControl::Reposition);
        const int last = m_source->recordset().recordCount() - 1;
        m_source->moveLast();
        QCOMPARE(m_description->text(), stored("DESCRIPCION", last));
        QCOMPARE(reposition.count(), 1);

        // The navigation bar's buttons move too, and its arrows stop at the ends.
        const auto press = [this](const char* name) {
            m_source->findChild<QAbstractButton*>(QString::fromLatin1(name))->click();
        };
        const std::pair<const char*, int> moves[] = {{"cmdPrimero", 0},   {"cmdSiguiente", 1},
                                                     {"cmdAnterior", 0},  {"cmdAnterior", 0},
                                                     {"cmdUltimo", last}, {"cmdSiguiente", last}};
        for (const auto& [button, position] : moves) {
            press(button);
            QCOMPARE(m_source->recordset().absolutePosition(), position);
        }

        // On an empty result they move nothing and say nothing.
        m_source->setRecordSource(
            QStringLiteral("SELECT * FROM vemtaro WHERE codigo LIKE 'no hay'"));
        m_source->refresh();
        m_source->setCaption(QStringLiteral("No hay entradas de registros"));
        reposition.clear();
        QSignalSpy failed(m_source, &DataControl::moveFailed);
        for (const char* arrow : {"cmdPrimero", "cmdAnterior", "cmdSiguiente", "cmdUltimo"})
            press(arrow);
        QCOMPARE(reposition.count() + failed.count(), 0);
        QCOMPARE(m_source->recordset().absolutePosition(), -1);
        QCOMPARE(m_source->caption(), QStringLiteral("No hay entradas de registros"));
        QVERIFY(m_code->text().isEmpty());
        QVERIFY(MessageBox::takeShown().isEmpty());
    }

    void theClerksOwnRecordHoldsTheSourceStillUntilSavedOrCancelled()
    {
        const int before = m_source->recordset().recordCount();
        m_source->moveTo(4);
        m_source->addNew();
        QVERIFY(m_source->newRecordIsBlank());
        m_code->setText(QStringLiteral("4321"));
        m_description->setText(QStringLiteral("SILLA GIRATORIA"));
        QVERIFY(!m_source->newRecordIsBlank());
        // Neither a move nor a refresh may write or drop it behind the clerk's back.
        QVERIFY_THROWS_EXCEPTION(db::DbError, m_source->moveFirst());
        QVERIFY_THROWS_EXCEPTION(db::DbError, m_source->moveTo(1));
        QVERIFY_THROWS_EXCEPTION(db::DbError, m_source->refresh());
        QSignalSpy refused(m_source, &DataControl::moveFailed);
        m_source->findChild<QAbstractButton*>(QStringLiteral("cmdSiguiente"))->click();
        QCOMPARE(refused.count(), 1);
        QCOMPARE(m_code->text(), QStringLiteral("4321"));
        QCOMPARE(m_description->text(), QStringLiteral("SILLA GIRATORIA"));
        QCOMPARE(m_source->recordset().recordCount(), before);
        QVERIFY(m_source->pendingAddOrEdit());
        m_source->update();
        QCOMPARE(m_source->recordset().recordCount(), before + 1);
        QCOMPARE(stored("CODIGO || DESCRIPCION", before), QStringLiteral("4321SILLA GIRATORIA"));
        m_source->moveFirst();

        // The same for an edit, until it is cancelled; settled, the source moves again.
        m_source->edit();
        m_life->setText(QStringLiteral("77"));
        QVERIFY_THROWS_EXCEPTION(db::DbError, m_source->moveLast());
        m_source->updateControls();
        QCOMPARE(m_life->text(), stored("VIDA_UTIL", 0));
        m_source->moveLast();
        QCOMPARE(m_code->text(), QStringLiteral("4321"));

        // A change put straight into the record set (as the grid does) is written by a move
        // and by a refresh, as before.
        m_source->recordset().setValue(m_source->recordset().fieldIndex(QStringLiteral("CLASE")),
                                       QStringLiteral("88"));
        m_source->refresh();
        QCOMPARE(stored("CLASE", before), QStringLiteral("88"));
    }

    // Under es_AR, as the calculator reads them: "1.000" is one thousand, "2,5" two and a half,
    // "2.5" and "1.00" are misgrouped and refused; numbers come back without groups. Every
    // value is checked before any goes in: one bad value saves nothing and loses no typing.
    // A cell follows the record source, and its edit is written when another row becomes
    // current.
    void numbersAreReadAndShownTheRegionalWayAndSavedAllOrNone()
    {
        QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Argentina));
        DataGrid* grid = showGrid();
        const auto cell = [grid] { return grid->model()->index(2, VidaUtil).data().toString(); };
        const char* const fields =
            "CODIGO || '|' || DESCRIPCION || '|' || typeof(VIDA_UTIL) || ' ' || VIDA_UTIL";
        const QString misgrouped = QStringLiteral("«%1» no es un número válido para el campo "
                                                  "VIDA_UTIL: escriba, por ejemplo, 12 o 2,5.");
        const QString before = stored(fields, 2);
        m_source->moveTo(2);
        QCOMPARE(grid->currentIndex().row(), 2);
        m_source->edit();
        m_code->setText(QStringLiteral("9999"));
        m_description->setText(QStringLiteral("ESCRITORIO DE ROBLE"));
        m_life->setText(QStringLiteral("2.5"));
        QCOMPARE(refusal([this] { m_source->update(); }), misgrouped.arg("2.5"));
        QCOMPARE(stored(fields, 2), before);
        QCOMPARE(m_code->text() + '|' + m_description->text() + '|' + m_life->text(),
                 QStringLiteral("9999|ESCRITORIO DE ROBLE|2.5"));
        for (const auto& [typed, kept, shown] :
             {std::tuple("1.000", "integer 1000", "1000"), std::tuple("2,5", "real 2.5", "2,5")}) {
            m_life->setText(QString::fromUtf8(typed));
            m_source->update();
            QCOMPARE(stored(fields, 2), QStringLiteral("9999|ESCRITORIO DE ROBLE|") + kept);
            QCOMPARE(m_life->text() + cell(), QString::fromUtf8(shown).repeated(2));
            m_source->edit();
        }
        m_source->updateControls();

        // A cell is edited in a text box that starts from what the cell shows.
        QCOMPARE(typeIntoCell(grid, 2, VidaUtil, QStringLiteral("1.500")), QStringLiteral("2,5"));
        QTest::keyClick(grid, Qt::Key_Down);
        QCOMPARE(stored(fields, 2), QStringLiteral("9999|ESCRITORIO DE ROBLE|integer 1500"));
        QCOMPARE(cell(), QStringLiteral("1500"));
        typeIntoCell(grid, 2, VidaUtil, QStringLiteral("1.00"));
        QCOMPARE(toldOnce(), QStringLiteral("Error: ") + misgrouped.arg("1.00"));
        QCOMPARE(m_source->recordset().editMode(), db::RecordSet::EditMode::None);
        QCOMPARE(cell(), QStringLiteral("1500"));
        QCOMPARE(m_source->recordset().absolutePosition(), 2);
    }

    // A cell edit the database refuses when the row is left: one message, the grid, the
    // record and the boxes stay together on the edited row, which shows what is stored, and
    // the next move goes. Escape abandons a pending cell edit. Enter in an open cell editor
    // ends the cell's edit, where it stays; elsewhere it presses the default button as before.
    void aRefusedCellEditDoesNotTrapTheClerk()
    {
        QSignalSpy run(m_form->run, &QPushButton::clicked);
        QCOMPARE(sqlite3_exec(m_db->handle(),
                              "CREATE TEMP TRIGGER cerrada BEFORE UPDATE ON main.vemtaro WHEN "
                              "NEW.CODIGO = 'CERRADA' BEGIN SELECT RAISE(ABORT, 'Cuenta "
                              "cerrada'); END",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        DataGrid* grid = showGrid();
        const auto cell = [grid](int row, int column) {
            return grid->model()->index(row, column).data().toString();
        };
        const auto click = [grid](int row) {
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                              grid->visualRect(grid->model()->index(row, 0)).center());
        };
        m_source->moveTo(3);
        const QString code = m_code->text();
        QCOMPARE(typeIntoCell(grid, 3, Codigo, QStringLiteral("CERRADA")), code);
        QCOMPARE(m_code->text(), QStringLiteral("CERRADA"));
        click(6);
        QCOMPARE(toldOnce(), QStringLiteral("Error: Cuenta cerrada. Se descartó el cambio."));
        QCOMPARE(m_source->recordset().absolutePosition(), 3);
        QCOMPARE(grid->currentIndex().row(), 3);
        for (const QModelIndex& selected : grid->selectionModel()->selectedIndexes())
            QCOMPARE(selected.row(), 3);
        QCOMPARE(cell(3, Codigo) + '|' + m_code->text(), code + '|' + code);
        click(6);
        QCOMPARE(m_source->recordset().absolutePosition(), 6);

        const QString description = cell(6, Descripcion);
        typeIntoCell(grid, 6, Descripcion, QStringLiteral("MESA NUEVA"));
        QCOMPARE(grid->currentIndex(), grid->model()->index(6, Descripcion));
        QCOMPARE(cell(6, Descripcion) + '|' + m_description->text(),
                 QStringLiteral("MESA NUEVA|MESA NUEVA"));
        QTest::keyClick(grid, Qt::Key_Escape);
        QCOMPARE(m_source->recordset().editMode(), db::RecordSet::EditMode::None);
        QCOMPARE(cell(6, Descripcion), description);
        QCOMPARE(m_description->text(), description);
        QTest::keyClick(grid, Qt::Key_Down);
        QCOMPARE(stored("DESCRIPCION", 6), description);
        QCOMPARE(toldOnce(), QStringLiteral("<0 boxes>"));
        QCOMPARE(run.count(), 0);
        QTest::keyClick(grid, Qt::Key_Return);
        QCOMPARE(run.count(), 1);
    }

    // Nobody may write the file: the bar says so beside its caption, a cell edit is refused
    // with the reason before it starts, and so is an edit of the record.
    void aReadOnlyDatabaseSaysSo()
    {
        QVERIFY(!m_source->findChild<QLabel*>(QStringLiteral("lblSoloLectura")));
        m_form.reset();
        m_db.reset();
        QFile::setPermissions(db::databasePath(),
                              QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        openForm();
        const auto* tag = m_source->findChild<QLabel*>(QStringLiteral("lblSoloLectura"));
        QVERIFY(tag && tag->isVisibleTo(m_source));
        QCOMPARE(tag->text(), QStringLiteral("Solo lectura"));
        const QString reason =
            QStringLiteral("La base de datos «%1» se abrió solo para lectura: el "
                           "archivo es de solo lectura.")
                .arg(db::databasePath());
        QVERIFY2(tag->toolTip().startsWith(reason), qPrintable(tag->toolTip()));
        QCOMPARE(m_source->caption(), QStringLiteral("Data1"));

        DataGrid* grid = showGrid();
        grid->setCurrentIndex(grid->model()->index(1, Descripcion));
        QTest::keyClick(grid, Qt::Key_A);
        QCOMPARE(toldOnce(), QStringLiteral("Error: No se pueden guardar cambios. ") + reason);
        QCOMPARE(QApplication::focusWidget(), grid);
        QCOMPARE(m_source->recordset().editMode(), db::RecordSet::EditMode::None);
        QVERIFY_THROWS_EXCEPTION(db::DbError, m_source->edit());
    }

    // A value the record set could not read is told once the paint or move that met it is
    // over, not in the middle of it.
    void aReadFailureIsToldAfterwards()
    {
        Q_EMIT m_source->recordset().readFailed(QStringLiteral("La base de datos parece dañada."));
        QVERIFY(MessageBox::takeShown().isEmpty());
        QCOMPARE(toldOnce(), QStringLiteral("Error: La base de datos parece dañada."));
    }

    void cellFontChangesAloneWhenZooming()
    {
        m_form->setFont(QFont(QStringLiteral("Liberation Sans"), 20));
        auto* grid = new DataGrid(*m_source, m_form.get());
        grid->setFont(QFont(QStringLiteral("Liberation Sans"), 8));
        const qreal header = grid->horizontalHeader()->font().pointSizeF();
        // Rows are as high as the cells' type needs, not the window's.
        const auto rowFitsCells = [grid] {
            const int cells = grid->fontMetrics().height();
            return grid->rowHeight(0) >= cells && grid->rowHeight(0) < cells * 3 / 2;
        };
        QVERIFY(rowFitsCells());
        grid->setFontSize(13);
        QCOMPARE(grid->fontSize(), 13.0);
        QVERIFY(rowFitsCells());
        QCOMPARE(grid->horizontalHeader()->font().pointSizeF(), header);
    }

private:
    // The one message box shown once pending events are handled, or how many there were.
    static QString toldOnce()
    {
        QCoreApplication::processEvents();
        const auto shown = MessageBox::takeShown();
        return shown.size() == 1 ? shown[0].prompt : QStringLiteral("<%1 boxes>").arg(shown.size());
    }

    /// A grid over the record source, on top of the form's controls, with the focus.
    DataGrid* showGrid()
    {
        auto* grid = new DataGrid(*m_source, m_form.get());
        grid->setGeometry(0, 0, 600, 300);
        m_form->resize(600, 300);
        grid->show();
        grid->setFocus();
        return grid;
    }

    // Opens the editor of a cell with F2, types `text` over what it shows and presses Enter;
    // returns what the editor showed first. A refusal is reported after this returns.
    QString typeIntoCell(DataGrid* grid, int row, int column, const QString& text)
    {
        grid->setCurrentIndex(grid->model()->index(row, column));
        QTest::keyClick(grid, Qt::Key_F2);
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        if (!editor)
            return QStringLiteral("<no text editor>");
        const QString shown = editor->text();
        editor->selectAll();
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents(); // the editor commits once the key is handled
        return shown;
    }

    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<db::Connection> m_db;
    std::unique_ptr<SampleForm> m_form;
    DataControl* m_source = nullptr;
    TextBox* m_code = nullptr;
    TextBox* m_description = nullptr;
    TextBox* m_life = nullptr;
};

QTEST_MAIN(TestControls)
#include "tst_controls.moc"
