#include "HistoryTestSupport.h"

#include "../chart/ChartTestSupport.h"

#include "chart/FrmConsulVemtaro.h"
#include "db/DataFolder.h"
#include "history/FrmHistorial.h"
#include "platform/MessageBox.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <sqlite3.h>

vemtaro::FrmConsulVemtaro* abrirConCuentas(ChartTestSupport& soporte)
{
    const QString nulo;
    soporte.usarCuentas({
        {"112", "01", "MESA DE ROBLE", "MUEBLES Y UTILES", "10", nulo},
        {"120", "02", "mesa de luz", "MUEBLES Y UTILES", "10", "con cajón"},
        {"3124", "12", "SILLA DE ROBLE", "MUEBLES Y UTILES", "5", nulo},
        {"45", "120", "ESCRITORIO METALICO", "MUEBLES", "15", nulo},
        {"500", "212", "ÑANDÚ *DISECADO*", "INMUEBLES", "50", "vitrina"},
    });
    vemtaro::FrmConsulVemtaro* cuadro = soporte.abrirCuadro();
    vemtaro::platform::MessageBox::takeShown();
    return cuadro;
}

void pulsar(QAbstractButton* boton)
{
    QTest::mouseClick(boton, Qt::LeftButton);
}

void ejecutar(const QString& sql)
{
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(vemtaro::db::databasePath().toUtf8().constData(), &db), SQLITE_OK);
    sqlite3_busy_timeout(db, 5000);
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error);
    const QString message = QString::fromUtf8(error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
    QVERIFY2(rc == SQLITE_OK, qPrintable(message));
}

vemtaro::FrmHistorial* abrirHistorial(vemtaro::FrmConsulVemtaro* cuadro)
{
    QTest::mouseClick(cuadro->cmdHistorial, Qt::LeftButton);
    // Closed ones wait for the event loop to be deleted.
    vemtaro::FrmHistorial* abierta = nullptr;
    for (auto* ventana : cuadro->findChildren<vemtaro::FrmHistorial*>())
        if (ventana->isVisible())
            abierta = ventana;
    if (abierta && !QTest::qWaitForWindowExposed(abierta))
        qWarning("the history window was not shown");
    return abierta;
}

void escribirEnCelda(QAbstractItemView* grilla, int fila, int columna, const QString& text)
{
    grilla->setFocus();
    grilla->setCurrentIndex(grilla->model()->index(fila, columna));
    QTest::keyClick(grilla, Qt::Key_F2);
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents(); // the editor commits once the key is handled
}

QString ultimoCambio(const ChartTestSupport& soporte, const QString& expresion)
{
    return soporte.consultar(
        QStringLiteral("SELECT %1 FROM historial ORDER BY id DESC LIMIT 1").arg(expresion));
}

int cambiosRegistrados(const ChartTestSupport& soporte)
{
    return soporte.consultar(QStringLiteral("SELECT count(*) FROM historial")).toInt();
}
