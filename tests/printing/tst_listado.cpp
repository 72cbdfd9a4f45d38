// The printed listing of both search windows, printed through their "Imprimir" buttons to the PDF
// stand-in printer and read back: which rows, where, how ruled, what the window is left
// showing, and what the clerk is told when there is nothing to print or nowhere to print it.
#include "PaginaLeida.h"
#include "tests/chart/ChartTestSupport.h"

#include "chart/FrmConsulVemtaro.h"
#include "extsearch/FrmConsulExt.h"
#include "platform/MessageBox.h"
#include "platform/SaveFileDialog.h"

#include <QDate>
#include <QDir>
#include <QHeaderView>
#include <QScrollBar>
#include <QTest>

using namespace vemtaro;
using platform::MessageBox;
using platform::SaveFileDialog;

namespace {

/// Accounts 1 to `n`: CODIGO, CLASE, DESCRIPCION, RUBRO, VIDA_UTIL, OBSERVACIONES.
QList<QStringList> cuentas(int n)
{
    QList<QStringList> filas;
    for (int i = 1; i <= n; ++i)
        filas.append({QString::number(3100 + 7 * i), QString::number(i % 4 + 1),
                      QStringLiteral("BIEN NUMERO %1 DE PRUEBA").arg(i), QStringLiteral("MUEBLES"),
                      QStringLiteral("10"), QString()});
    return filas;
}

/// Sizes the grid to display `filas` rows whole (and part of one more for a fraction), then
/// scrolls it to `desplazamiento` (a row, or -1 for its end).
void mostrarFilas(platform::DataGrid* grilla, double filas, int desplazamiento)
{
    const int alto = grilla->verticalHeader()->defaultSectionSize();
    grilla->resize(grilla->width(),
                   grilla->height() - grilla->viewport()->height() + qRound(filas * alto));
    QCoreApplication::processEvents();
    QCOMPARE(grilla->viewport()->height() / alto, int(filas));
    QScrollBar* barra = grilla->verticalScrollBar();
    barra->setValue(desplazamiento < 0 ? barra->maximum() : desplazamiento);
    QCoreApplication::processEvents();
}

} // namespace

class TestListado : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // The folder a PDF is first proposed in depends on the home folder.
        qputenv("HOME", m_casa.path().toUtf8());
        qunsetenv("XDG_CONFIG_HOME");
    }
    void init()
    {
        m_support = std::make_unique<ChartTestSupport>();
        m_impresora = std::make_unique<ImpresoraDePrueba>();
    }
    void cleanup()
    {
        m_impresora.reset();
        m_support.reset();
    }

    void rowsRunOnFromTheGridsTopRow_data()
    {
        QTest::addColumn<int>("registros");
        QTest::addColumn<double>("filasALaVista");
        QTest::addColumn<int>("desplazamiento");
        QTest::addColumn<int>("primeraImpresa");
        QTest::addColumn<int>("cantidadImpresa");
        QTest::newRow("all 25 displayed") << 25 << 26.0 << 0 << 1 << 20;
        QTest::newRow("8 displayed of 30") << 30 << 8.0 << 0 << 1 << 20;
        QTest::newRow("half a row more is not displayed") << 30 << 8.5 << 0 << 1 << 20;
        QTest::newRow("scrolled to the 7th") << 30 << 8.0 << 6 << 7 << 20;
        QTest::newRow("scrolled to the end") << 30 << 8.0 << -1 << 23 << 8;
        QTest::newRow("scrolled to the end, top row cut") << 30 << 8.5 << -1 << 23 << 8;
        QTest::newRow("exactly 20, 8 displayed") << 20 << 8.0 << 0 << 1 << 20;
        QTest::newRow("21, all displayed") << 21 << 26.0 << 0 << 1 << 20;
        QTest::newRow("short result") << 5 << 26.0 << 0 << 1 << 5;
        QTest::newRow("one account") << 1 << 8.0 << 0 << 1 << 1;
    }
    void rowsRunOnFromTheGridsTopRow()
    {
        QFETCH(int, registros);
        QFETCH(double, filasALaVista);
        QFETCH(int, desplazamiento);
        QFETCH(int, primeraImpresa);
        QFETCH(int, cantidadImpresa);
        const QList<QStringList> filas = cuentas(registros);
        m_support->usarCuentas(filas);
        FrmConsulVemtaro* w = m_support->abrirCuadro();
        platform::DataGrid* grilla = w->dbgResultados;
        mostrarFilas(grilla, filasALaVista, desplazamiento);
        // The current record is not the top row: the listing starts at the top row all the same.
        const int actual = primeraImpresa + 1;
        if (actual < registros) {
            QTest::mouseClick(grilla->viewport(), Qt::LeftButton, {},
                              grilla->visualRect(grilla->model()->index(actual, 4)).center());
            QCOMPARE(w->dcdatos->recordset().absolutePosition(), actual);
        }

        verificarListado(m_impresora->imprimir(w->CmdImprimir),
                         filas.mid(primeraImpresa - 1, cantidadImpresa), 20);

        // Left on the last printed row, in the description column, with its record current.
        const int ultima = primeraImpresa + cantidadImpresa - 2;
        QCOMPARE(grilla->currentIndex(), grilla->model()->index(ultima, 2));
        QCOMPARE(w->dcdatos->recordset().absolutePosition(), ultima);
        QCOMPARE(w->txtCuenta->text(), filas[ultima][0]);
        QCOMPARE(w->dcdatos->caption(),
                 QStringLiteral("Registro:%1 de %2").arg(ultima + 1).arg(registros));
        QVERIFY(grilla->viewport()->rect().contains(grilla->visualRect(grilla->currentIndex())));
        QVERIFY(MessageBox::takeShown().isEmpty());
    }

    void withoutAPrinterThePageMayBeSavedAsPdf_data()
    {
        QTest::addColumn<int>("respuestaAlAviso");
        QTest::addColumn<bool>("eligeArchivo");
        QTest::addColumn<bool>("hayDocumentos");
        QTest::newRow("saved") << int(platform::vbOK) << true << true;
        QTest::newRow("offer declined") << int(platform::vbCancel) << false << true;
        QTest::newRow("save cancelled, no documents folder")
            << int(platform::vbOK) << false << false;
    }
    void withoutAPrinterThePageMayBeSavedAsPdf()
    {
        QFETCH(int, respuestaAlAviso);
        QFETCH(bool, eligeArchivo);
        QFETCH(bool, hayDocumentos);
        QDir documentos(m_casa.filePath(QStringLiteral("Documents")));
        QVERIFY(hayDocumentos ? documentos.mkpath(QStringLiteral("."))
                              : documentos.removeRecursively());
        m_support->usarCuentas(cuentas(12));
        FrmConsulVemtaro* w = m_support->abrirCuadro();
        m_impresora->poner(ImpresoraDePrueba::SinImpresora);
        const QTemporaryDir carpeta;
        const QString archivo = carpeta.filePath(QStringLiteral("listado.pdf"));
        MessageBox::setNextAnswer(respuestaAlAviso);
        SaveFileDialog::setNextAnswer(eligeArchivo ? archivo : QString());

        QCOMPARE(m_impresora->imprimir(w->CmdImprimir).paginas, 0);

        const QList<MessageBox::Shown> avisos = MessageBox::takeShown();
        QCOMPARE(avisos.size(), 1);
        QCOMPARE(avisos[0].prompt,
                 QStringLiteral("No hay ninguna impresora instalada en este equipo: el listado no "
                                "se puede imprimir.\n\n¿Desea guardarlo como archivo PDF?"));
        QCOMPARE(avisos[0].style, platform::vbOKCancel | platform::vbQuestion);
        const QList<SaveFileDialog::Asked> dialogos = SaveFileDialog::takeAsked();
        QCOMPARE(dialogos.size(), respuestaAlAviso == platform::vbOK ? 1 : 0);
        if (!dialogos.isEmpty())
            QCOMPARE(dialogos[0].proposedPath,
                     QStringLiteral("%1/listado-%2.pdf")
                         .arg(hayDocumentos ? documentos.path() : m_casa.path(),
                              QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"))));
        if (eligeArchivo)
            verificarListado(PaginaLeida(archivo), cuentas(12), 20);
        else
            QVERIFY(QDir(carpeta.path()).isEmpty());
    }

    void failuresAreToldAndTheWindowGoesOn()
    {
        QList<QStringList> filas = cuentas(6);
        filas[1][0] = QStringLiteral("31245678");
        filas[1][2] = QStringLiteral("ESTANTERIA METALICA DE DEPOSITO CON ESTANTES REGULABLES Y "
                                     "PUERTAS CORREDIZAS DE 2,5");
        m_support->usarCuentas(filas);
        FrmConsulVemtaro* w = m_support->abrirCuadro();

        m_impresora->poner(ImpresoraDePrueba::RechazaTrabajos);
        QCOMPARE(m_impresora->imprimir(w->CmdImprimir).paginas, 0);
        m_impresora->poner(ImpresoraDePrueba::Imprime);
        mostrarFilas(w->dbgResultados, 0.5, 0); // the first row is not displayed whole
        QCOMPARE(m_impresora->imprimir(w->CmdImprimir).paginas, 0);
        // Once the row shows, the page prints; long texts run on uncut, the code under the
        // class, the description past the rules' end.
        mostrarFilas(w->dbgResultados, 3, 0);
        const PaginaLeida pagina = m_impresora->imprimir(w->CmdImprimir);
        verificarListado(pagina, filas, 20);
        for (const PaginaLeida::Palabra& palabra : pagina.palabras)
            if (palabra.texto == u"31245678" || palabra.texto == u"2,5")
                QVERIFY(palabra.caja.right() > (palabra.texto == u"2,5" ? 201 : 20));

        w->Text1->setText(QStringLiteral("INEXISTENTE"));
        QTest::mouseClick(w->CmdEjecutar, Qt::LeftButton);
        QCOMPARE(w->dcdatos->recordset().recordCount(), 0);
        QCOMPARE(m_impresora->imprimir(w->CmdImprimir).paginas, 0);
        m_impresora->poner(ImpresoraDePrueba::SinImpresora); // not even a PDF is offered
        QCOMPARE(m_impresora->imprimir(w->CmdImprimir).paginas, 0);

        const QString nada =
            QStringLiteral("No hay registros para imprimir: la consulta no encontró ninguno.");
        QStringList avisos;
        for (const MessageBox::Shown& aviso : MessageBox::takeShown())
            avisos << aviso.prompt;
        QCOMPARE(avisos, QStringList({QStringLiteral("La impresora «Impresora de prueba» no "
                                                     "aceptó el listado."),
                                      QStringLiteral("No se pudo imprimir el listado. La fila 0 "
                                                     "no está a la vista en la grilla."),
                                      nada, nada}));
        QVERIFY(SaveFileDialog::takeAsked().isEmpty());
    }

    void theExtendedWindowPrintsTenRowsWithoutOrd()
    {
        // Ord, Codigo, Clase, Descripcion; ordered by code, as its reset shows them.
        QList<QStringList> filas;
        for (int i = 1; i <= 14; ++i)
            filas.append({QString::number(900 - i), QString::number(5100 + i),
                          QString::number(i % 3 + 1), QStringLiteral("EXTENDIDO %1").arg(i)});
        m_support->usarExtendido(filas);
        FrmConsulExt* w = m_support->abrirExtendida();
        QTest::mouseClick(w->cmdRestablecer, Qt::LeftButton);
        // Scrolled by its bar: the current record, the first, is not among the rows displayed.
        mostrarFilas(w->dbgResultados, 4, 2);

        verificarListado(m_impresora->imprimir(w->CmdImprimir), filas.mid(2, 10), 10, 1);
        QCOMPARE(w->dbgResultados->currentIndex(), w->dbgResultados->model()->index(11, 3));
        QCOMPARE(w->dcdatos->caption(), QStringLiteral("Registro:12 de 14"));
    }

private:
    const QTemporaryDir m_casa;
    std::unique_ptr<ChartTestSupport> m_support;
    std::unique_ptr<ImpresoraDePrueba> m_impresora;
};

QTEST_MAIN(TestListado)
#include "tst_listado.moc"
