// The bound record source and its grid: bound boxes, pending edits written on moves, and
// failures reported without losing what the clerk typed.
#include "db/Connection.h"
#include "db/DataFolder.h"
#include "db/DbError.h"
#include "db/DefaultData.h"
#include "platform/Controls.h"
#include "platform/DataControl.h"
#include "platform/DataGrid.h"
#include "platform/MessageBox.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <sqlite3.h>

using namespace vemtaro;
using namespace vemtaro::platform;

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

        QVERIFY(grid->model()->setData(grid->model()->index(8, 4), QStringLiteral("mucho")));
        grid->setCurrentIndex(grid->model()->index(9, 4));
        const auto shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), 1);
        QVERIFY(shown[0].prompt.startsWith(QStringLiteral("Error: ")));
        QCOMPARE(m_source->recordset().absolutePosition(), 8);
        QCOMPARE(grid->currentIndex().row(), 8);
    }

    void cellFontChangesAloneWhenZooming()
    {
        auto* grid = new DataGrid(*m_source, m_window.get());
        grid->setFont(QFont(QStringLiteral("Liberation Sans"), 8));
        const qreal header = grid->horizontalHeader()->font().pointSizeF();
        grid->setFontSize(13);
        QCOMPARE(grid->fontSize(), 13.0);
        QCOMPARE(grid->horizontalHeader()->font().pointSizeF(), header);
    }

private:
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
