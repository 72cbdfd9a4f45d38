#include "ChartTestSupport.h"

#include "chart/FrmConsulVemtaro.h"
#include "chart/Ventanas.h"
#include "db/DataFolder.h"
#include "platform/MessageBox.h"

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <sqlite3.h>

ChartTestSupport::ChartTestSupport()
{
    qputenv("XDG_DATA_HOME", m_home.path().toUtf8());
    vemtaro::prepararAplicacion();
    vemtaro::prepararCarpetaDeDatos();
    vemtaro::platform::MessageBox::setRecording(true);
}

ChartTestSupport::~ChartTestSupport()
{
    // Deleting a window deletes its own top-level children (popups): hold guarded pointers.
    QList<QPointer<QWidget>> windows;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (!window->parentWidget())
            windows.append(window);
    for (const QPointer<QWidget>& window : windows)
        delete window.data();
    procesarCierres();
}

vemtaro::FrmConsulVemtaro* ChartTestSupport::abrirCuadro()
{
    auto* window = vemtaro::mostrarFrmConsulVemtaro();
    if (window) {
        QApplication::setActiveWindow(window);
        if (!QTest::qWaitForWindowActive(window))
            qWarning("the chart window did not become active");
    }
    return window;
}

void ChartTestSupport::procesarCierres()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

QWidget* ChartTestSupport::ventanaVisible(const QString& name)
{
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->objectName() == name && window->isVisible())
            return window;
    return nullptr;
}

QStringList ChartTestSupport::allCommandButtons()
{
    return {"CmdEjecutar", "cmdRestablecer", "CmdImprimir", "cmdBuscAv",     "cmdzoom1",
            "cmdzoom2",    "CmdNuevo",       "cmdEdicion",  "cmdSalvar",     "cmdEliminar",
            "cmdCancelar", "cmdSalir",       "cmdAmort",    "cmdReferencias"};
}

QStringList ChartTestSupport::allTextBoxes()
{
    return {"TxtSQL",       "Text1",    "Text3",    "Text4", "txtCuenta",
            "txtSubcuenta", "txtDescr", "txtrubro", "Text2", "txtObserv"};
}

QString ChartTestSupport::focusedName()
{
    QWidget* focus = QApplication::focusWidget();
    while (focus && focus->objectName().isEmpty())
        focus = focus->parentWidget();
    return focus ? focus->objectName() : QString();
}

QString ChartTestSupport::consultar(const QString& sql) const
{
    sqlite3* db = nullptr;
    QString result;
    if (sqlite3_open_v2(vemtaro::db::databasePath().toUtf8().constData(), &db, SQLITE_OPEN_READONLY,
                        nullptr) == SQLITE_OK) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr) == SQLITE_OK &&
            sqlite3_step(stmt) == SQLITE_ROW)
            result = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return result;
}

void ChartTestSupport::usarCuentas(const QList<QStringList>& filas) const
{
    sqlite3* db = nullptr;
    QVERIFY(sqlite3_open(vemtaro::db::databasePath().toUtf8().constData(), &db) == SQLITE_OK);
    QVERIFY(sqlite3_exec(db, "DELETE FROM vemtaro", nullptr, nullptr, nullptr) == SQLITE_OK);
    sqlite3_stmt* insert = nullptr;
    QVERIFY(sqlite3_prepare_v2(db,
                               "INSERT INTO vemtaro (CODIGO, CLASE, DESCRIPCION, RUBRO, VIDA_UTIL, "
                               "OBSERVACIONES) VALUES (?1, ?2, ?3, ?4, ?5, ?6)",
                               -1, &insert, nullptr) == SQLITE_OK);
    for (const QStringList& fila : filas) {
        for (int campo = 0; campo < fila.size(); ++campo) {
            const QByteArray valor = fila[campo].toUtf8();
            if (fila[campo].isNull())
                sqlite3_bind_null(insert, campo + 1);
            else
                sqlite3_bind_text(insert, campo + 1, valor.constData(), int(valor.size()),
                                  SQLITE_TRANSIENT);
        }
        QCOMPARE(sqlite3_step(insert), SQLITE_DONE);
        sqlite3_reset(insert);
        sqlite3_clear_bindings(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_close(db);
}
