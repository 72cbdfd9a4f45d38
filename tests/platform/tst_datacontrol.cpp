// The bound record source and its grid: bound boxes, pending edits written on moves, and
// failures reported without losing what the clerk typed.
#include "db/Connection.h"
#include "db/DataFolder.h"
#include "db/DbError.h"
#include "db/DefaultData.h"
#include "platform/Controls.h"
#include "platform/DataControl.h"
#include "platform/DataGrid.h"
#include "platform/Form.h"
#include "platform/MessageBox.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <sqlite3.h>

using namespace vemtaro;
using namespace vemtaro::platform;

namespace {

enum Column { Codigo, Clase, Descripcion, Rubro, VidaUtil };

} // namespace

class TestDataControl : public QObject {
    Q_OBJECT

    QString stored(const QString& sql)
    {
        sqlite3_stmt* stmt = nullptr;
        QString result;
        if (sqlite3_prepare_v2(m_db->handle(), sql.toUtf8().constData(), -1, &stmt, nullptr) ==
                SQLITE_OK &&
            sqlite3_step(stmt) == SQLITE_ROW)
            result = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
        sqlite3_finalize(stmt);
        return result;
    }

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        qputenv("XDG_DATA_HOME", m_home->path().toUtf8());
        db::ensureDefaultDatabase();
        m_db = db::Connection::open(db::databasePath());
        m_window = std::make_unique<QWidget>();
        m_source = new DataControl(*m_db, QStringLiteral("vemtaro"), m_window.get());
        m_code = new TextBox(m_window.get());
        m_description = new TextBox(m_window.get());
        m_life = new TextBox(m_window.get());
        m_source->bind(m_code, QStringLiteral("codigo"));
        m_source->bind(m_description, QStringLiteral("Descripcion"));
        m_source->bind(m_life, QStringLiteral("VIDA_UTIL"));
        MessageBox::setRecording(true);
    }

    void cleanup()
    {
        QLocale::setDefault(QLocale::system());
        m_window.reset();
        m_db.reset();
        m_home.reset();
    }

    void boundBoxesFollowTheCurrentRecord()
    {
        QCOMPARE(m_source->caption(), QStringLiteral("Data1"));
        QCOMPARE(m_code->text(),
                 stored(QStringLiteral("SELECT CODIGO FROM vemtaro ORDER BY id LIMIT 1")));
        QSignalSpy reposition(m_source, &DataControl::Reposition);
        m_source->moveLast();
        QCOMPARE(
            m_description->text(),
            stored(QStringLiteral("SELECT DESCRIPCION FROM vemtaro ORDER BY id DESC LIMIT 1")));
        m_source->addNew();
        QVERIFY(m_code->text().isEmpty() && m_description->text().isEmpty() &&
                m_life->text().isEmpty());
        m_source->updateControls();
        QCOMPARE(
            m_description->text(),
            stored(QStringLiteral("SELECT DESCRIPCION FROM vemtaro ORDER BY id DESC LIMIT 1")));
        QCOMPARE(reposition.count(), 1);

        // The navigation bar's buttons move too.
        const auto press = [this](const char* name) {
            m_source->findChild<QAbstractButton*>(QString::fromLatin1(name))->click();
        };
        press("cmdPrimero");
        QCOMPARE(m_source->recordset().absolutePosition(), 0);
        press("cmdSiguiente");
        QCOMPARE(m_source->recordset().absolutePosition(), 1);
        // Its arrows stop at the ends.
        press("cmdAnterior");
        press("cmdAnterior");
        QCOMPARE(m_source->recordset().absolutePosition(), 0);
        press("cmdUltimo");
        press("cmdSiguiente");
        QCOMPARE(m_source->recordset().absolutePosition(), m_source->recordset().recordCount() - 1);

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

    void everyEditedBoxIsSaved()
    {
        m_source->moveTo(2);
        const QString id =
            stored(QStringLiteral("SELECT id FROM vemtaro ORDER BY id LIMIT 1 OFFSET 2"));
        m_source->edit();
        m_code->setText(QStringLiteral("9999"));
        m_description->setText(QStringLiteral("ESCRITORIO DE ROBLE"));
        m_life->setText(QStringLiteral("12"));
        m_source->update();
        QCOMPARE(stored(QStringLiteral("SELECT CODIGO || '|' || DESCRIPCION || '|' || VIDA_UTIL "
                                       "FROM vemtaro WHERE id = ") +
                        id),
                 QStringLiteral("9999|ESCRITORIO DE ROBLE|12"));
        QCOMPARE(m_description->text(), QStringLiteral("ESCRITORIO DE ROBLE"));
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
        QVERIFY(!m_source->pendingAddOrEdit());
        QCOMPARE(m_source->recordset().recordCount(), before + 1);
        QCOMPARE(stored(QStringLiteral("SELECT DESCRIPCION FROM vemtaro WHERE CODIGO = '4321'")),
                 QStringLiteral("SILLA GIRATORIA"));
        m_source->moveFirst();

        // The same for an edit, until it is cancelled.
        m_source->edit();
        m_life->setText(QStringLiteral("77"));
        QVERIFY_THROWS_EXCEPTION(db::DbError, m_source->moveLast());
        m_source->updateControls();
        QVERIFY(!m_source->pendingAddOrEdit());
        m_source->moveLast();
        QCOMPARE(m_code->text(), QStringLiteral("4321"));

        // A change put straight into the record set (as the grid does) is written by a move
        // and by a refresh, as before.
        m_source->recordset().setValue(m_source->recordset().fieldIndex(QStringLiteral("CLASE")),
                                       QStringLiteral("88"));
        QVERIFY(!m_source->pendingAddOrEdit());
        m_source->refresh();
        QCOMPARE(stored(QStringLiteral("SELECT CLASE FROM vemtaro WHERE CODIGO = '4321'")),
                 QStringLiteral("88"));
    }

    void aFailedSaveKeepsTheDataAndTheTyping()
    {
        m_source->moveTo(0);
        const QString original =
            stored(QStringLiteral("SELECT VIDA_UTIL FROM vemtaro ORDER BY id LIMIT 1"));
        m_source->edit();
        m_life->setText(QStringLiteral("diez"));
        QVERIFY_THROWS_EXCEPTION(db::DbError, m_source->update());
        QCOMPARE(stored(QStringLiteral("SELECT VIDA_UTIL FROM vemtaro ORDER BY id LIMIT 1")),
                 original);
        QCOMPARE(m_life->text(), QStringLiteral("diez"));
        // Corrected, it saves.
        m_life->setText(QStringLiteral("10"));
        m_source->update();
        QCOMPARE(stored(QStringLiteral("SELECT VIDA_UTIL FROM vemtaro ORDER BY id LIMIT 1")),
                 QStringLiteral("10"));
    }

    void theGridAndTheRecordSourceMoveTogether()
    {
        auto* grid = new DataGrid(*m_source, m_window.get());
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        m_source->moveTo(5);
        QCOMPARE(grid->currentIndex().row(), 5);
        grid->setCurrentIndex(grid->model()->index(7, 2));
        QCOMPARE(m_source->recordset().absolutePosition(), 7);
        QCOMPARE(m_description->text(), grid->model()->index(7, 2).data().toString());

        // An in-place edit is written when another row becomes current; a bad one is reported.
        const QString id =
            stored(QStringLiteral("SELECT id FROM vemtaro ORDER BY id LIMIT 1 OFFSET 7"));
        QVERIFY(grid->model()->setData(grid->model()->index(7, 2), QStringLiteral("MESA DE PINO")));
        grid->setCurrentIndex(grid->model()->index(8, 2));
        QCOMPARE(stored(QStringLiteral("SELECT DESCRIPCION FROM vemtaro WHERE id = ") + id),
                 QStringLiteral("MESA DE PINO"));

        QVERIFY(!grid->model()->setData(grid->model()->index(8, 4), QStringLiteral("mucho")));
        QVERIFY(toldOnce().startsWith(QStringLiteral("Error: «mucho» no es un número")));
        QCOMPARE(m_source->recordset().absolutePosition(), 8);
        QCOMPARE(grid->currentIndex().row(), 8);
    }

    // Under es_AR, as the calculator reads them: "1.000" is one thousand, "2,5" two and a half,
    // "2.5" and "1.00" are misgrouped and refused; numbers come back without groups.
    void numbersAreReadAndShownTheRegionalWay()
    {
        QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Argentina));
        DataGrid* grid = showGrid();
        const auto cell = [grid] { return grid->model()->index(2, VidaUtil).data().toString(); };
        const QString life = QStringLiteral("SELECT typeof(VIDA_UTIL) || ' ' || VIDA_UTIL FROM "
                                            "vemtaro ORDER BY id LIMIT 1 OFFSET 2");
        const QString misgrouped = QStringLiteral("«%1» no es un número válido para el campo "
                                                  "VIDA_UTIL: escriba, por ejemplo, 12 o 2,5.");
        m_source->moveTo(2);
        for (const auto& [typed, kept, shown] :
             {std::tuple("1.000", "integer 1000", "1000"), std::tuple("2,5", "real 2.5", "2,5"),
              std::tuple("2.5", "real 2.5", "2,5")}) {
            m_source->edit();
            m_life->setText(QString::fromUtf8(typed));
            try {
                m_source->update();
            } catch (const db::DbError& error) {
                QCOMPARE(error.description(), misgrouped.arg(typed));
                m_source->updateControls();
            }
            QCOMPARE(stored(life), QString::fromUtf8(kept));
            QCOMPARE(m_life->text() + cell(), QString::fromUtf8(shown).repeated(2));
        }

        // A cell is edited in a text box that starts from what the cell shows.
        QCOMPARE(typeIntoCell(grid, 2, VidaUtil, QStringLiteral("1.500")), QStringLiteral("2,5"));
        QTest::keyClick(grid, Qt::Key_Down);
        QCOMPARE(stored(life), QStringLiteral("integer 1500"));
        QCOMPARE(cell(), QStringLiteral("1500"));
        typeIntoCell(grid, 2, VidaUtil, QStringLiteral("1.00"));
        QCOMPARE(toldOnce(), QStringLiteral("Error: ") + misgrouped.arg("1.00"));
        QCOMPARE(m_source->recordset().editMode(), db::RecordSet::EditMode::None);
        QCOMPARE(cell(), QStringLiteral("1500"));
    }

    // A cell edit the database refuses when the row is left: one message, the grid, the
    // record and the boxes stay together on the edited row, which shows what is stored, and
    // the next move goes. Escape abandons a pending cell edit.
    void aRefusedCellEditDoesNotTrapTheClerk()
    {
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
        QCOMPARE(cell(3, Codigo), code);
        QCOMPARE(m_code->text(), code);
        click(6);
        QCOMPARE(m_source->recordset().absolutePosition(), 6);

        const QString description = cell(6, Descripcion);
        typeIntoCell(grid, 6, Descripcion, QStringLiteral("MESA NUEVA"));
        QCOMPARE(m_description->text(), QStringLiteral("MESA NUEVA"));
        QTest::keyClick(grid, Qt::Key_Escape);
        QCOMPARE(m_source->recordset().editMode(), db::RecordSet::EditMode::None);
        QCOMPARE(cell(6, Descripcion), description);
        QCOMPARE(m_description->text(), description);
        QTest::keyClick(grid, Qt::Key_Down);
        QCOMPARE(
            stored(QStringLiteral("SELECT DESCRIPCION FROM vemtaro ORDER BY id LIMIT 1 OFFSET 6")),
            description);
        QCOMPARE(toldOnce(), QStringLiteral("<0 boxes>"));
    }

    // Enter in an open cell editor ends the cell's edit, where it stays; elsewhere it presses
    // the window's default button as before.
    void enterEndsACellEditRatherThanPressingTheDefaultButton()
    {
        // A window whose key preview turns Enter into Tab, as the chart window's does.
        class EnterMovesOn : public Form {
        protected:
            void Form_KeyPress(int& keyAscii) override
            {
                if (keyAscii == 13) {
                    sendKeys(QStringLiteral("{tab}"));
                    keyAscii = 0;
                }
            }
        };
        m_window.reset();
        auto* form = new EnterMovesOn;
        form->setKeyPreview(true);
        m_window.reset(form);
        m_source = new DataControl(*m_db, QStringLiteral("vemtaro"), form);
        auto* search = new CommandButton(QStringLiteral("Buscar"), form);
        int searches = 0;
        search->Click = [&] { ++searches; };
        form->setDefaultButton(search);
        DataGrid* grid = showGrid();
        typeIntoCell(grid, 1, Descripcion, QStringLiteral("MESA NUEVA"));
        QCOMPARE(searches, 0);
        QCOMPARE(grid->model()->index(1, Descripcion).data().toString(),
                 QStringLiteral("MESA NUEVA"));
        QCOMPARE(grid->currentIndex(), grid->model()->index(1, Descripcion));
        QTest::keyClick(grid, Qt::Key_Return);
        QCOMPARE(searches, 1);
    }

    // Nobody may write the file: the bar says so beside its caption, a cell edit is refused
    // with the reason before it starts, and so is an edit of the record.
    void aReadOnlyDatabaseSaysSo()
    {
        QVERIFY(!m_source->findChild<QLabel*>(QStringLiteral("lblSoloLectura")));
        m_window.reset();
        m_db.reset();
        QFile::setPermissions(db::databasePath(),
                              QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        m_db = db::Connection::open(db::databasePath());
        m_window = std::make_unique<QWidget>();
        m_source = new DataControl(*m_db, QStringLiteral("vemtaro"), m_window.get());
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
        m_window->setFont(QFont(QStringLiteral("Liberation Sans"), 20));
        auto* grid = new DataGrid(*m_source, m_window.get());
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

    DataGrid* showGrid()
    {
        auto* grid = new DataGrid(*m_source, m_window.get());
        grid->setGeometry(0, 40, 600, 300);
        m_window->resize(600, 400);
        m_window->show();
        QApplication::setActiveWindow(m_window.get());
        [&] { QVERIFY(QTest::qWaitForWindowActive(m_window.get())); }();
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
    std::unique_ptr<QWidget> m_window;
    DataControl* m_source = nullptr;
    TextBox* m_code = nullptr;
    TextBox* m_description = nullptr;
    TextBox* m_life = nullptr;
};

QTEST_MAIN(TestDataControl)
#include "tst_datacontrol.moc"
