// The printed listing of both search windows, printed through their "Imprimir" buttons to the PDF
// stand-in printer and read back with poppler: which rows, where, how ruled, what the window is
// left showing, and what the clerk is told when there is nothing to print or nowhere to print it.
#include "tests/chart/ChartTestSupport.h"

#include "chart/FrmConsulVemtaro.h"
#include "extsearch/FrmConsulExt.h"
#include "platform/MessageBox.h"
#include "platform/SaveFileDialog.h"
#include "printing/PrintDestination.h"

#include <QDate>
#include <QDir>
#include <QHeaderView>
#include <QScrollBar>
#include <QTest>
#include <poppler-qt6.h>

using namespace vemtaro;
using platform::MessageBox;
using platform::SaveFileDialog;
using printing::PrintDestination;

/// A rule as a failed comparison shows it.
static char* toString(const QLine& regla)
{
    return QTest::toString(
        QString::asprintf("(%d, %d)-(%d, %d)", regla.x1(), regla.y1(), regla.x2(), regla.y2()));
}

namespace {

constexpr double pixelesPorPulgada = 300;
constexpr double pixelesPorMm = pixelesPorPulgada / 25.4;

/// The dark runs of at least 20 mm along the pixel rows of `imagen` (its columns when
/// `vertical`), from pixel centre to pixel centre, in millimetres from `origen` to the nearest
/// millimetre; a rule drawn over two rows of pixels is read once.
QList<QLine> reglas(const QImage& imagen, QPointF origen, bool vertical)
{
    const QSize tamano = vertical ? imagen.size().transposed() : imagen.size();
    const auto oscuro = [&](int x, int y) {
        return qGray(vertical ? imagen.pixel(y, x) : imagen.pixel(x, y)) < 128;
    };
    QList<QLine> encontradas;
    for (int y = 0; y < tamano.height(); ++y) {
        for (int x = 0, inicio = 0; x <= tamano.width(); ++x) {
            if (x < tamano.width() && oscuro(x, y))
                continue;
            if (x - inicio >= 20 * pixelesPorMm) {
                QLineF regla(inicio + 0.5, y + 0.5, x - 0.5, y + 0.5);
                if (vertical)
                    regla = QLineF(regla.y1(), regla.x1(), regla.y2(), regla.x2());
                const QLine enMm =
                    QLineF(regla.p1() / pixelesPorMm - origen, regla.p2() / pixelesPorMm - origen)
                        .toLine();
                if (encontradas.isEmpty() || encontradas.last() != enMm)
                    encontradas.append(enMm);
            }
            inicio = x + 1;
        }
    }
    return encontradas;
}

/// A printed PDF page read back: its words and its rules (runs of dark pixels at least 20 mm
/// long on the rendered page, to the nearest millimetre), in millimetres from the top-left
/// corner of the printable area. No file, no page: `paginas` is 0.
struct PaginaLeida {
    struct Palabra {
        QString texto;
        QRectF caja;
    };
    int paginas = 0;
    QList<Palabra> palabras;
    QList<QLine> horizontales; ///< top to bottom, each drawn left to right
    QList<QLine> verticales;   ///< left to right, each drawn downwards

    explicit PaginaLeida(const QString& pdf)
    {
        const std::unique_ptr<Poppler::Document> documento =
            QFile::exists(pdf) ? Poppler::Document::load(pdf) : nullptr;
        const std::unique_ptr<Poppler::Page> pagina = documento ? documento->page(0) : nullptr;
        if (!pagina)
            return;
        paginas = documento->numPages();
        const QPointF origen =
            PrintDestination::pdfPageLayout().paintRect(QPageLayout::Millimeter).topLeft();
        const QTransform puntosAMm = QTransform::fromScale(25.4 / 72, 25.4 / 72);
        for (const auto& palabra : pagina->textList())
            palabras.append(
                {palabra->text(), puntosAMm.mapRect(palabra->boundingBox()).translated(-origen)});
        const QImage imagen = pagina->renderToImage(pixelesPorPulgada, pixelesPorPulgada);
        horizontales = reglas(imagen, origen, false);
        verticales = reglas(imagen, origen, true);
    }
};

/// Checks that `pagina` is a listing of `filas` (their fields `primera` to `primera` + 2 each)
/// ruled for `n` rows: one page; row r's words at the top of y = 10 + 5 r, each cell starting at
/// x = 10, 20 or 30, blank rows after the last; no other text; N + 1 rules from x = 9 to 200 and
/// three from y = 10 to 10 + 5 n at x = 9, 19 and 29.
void verificarListado(const PaginaLeida& pagina, const QList<QStringList>& filas, int n,
                      int primera = 0)
{
    constexpr double tolerancia = 0.4;
    QCOMPARE(pagina.paginas, 1);

    QList<QStringList> impresas(n, QStringList(3));
    // Words come in reading order: those of a cell one after the other.
    for (const PaginaLeida::Palabra& palabra : pagina.palabras) {
        QString donde;
        QDebug(&donde) << palabra.texto << "at" << palabra.caja.topLeft() << "mm";
        const int fila = qRound((palabra.caja.top() - 10) / 5);
        QVERIFY2(fila >= 0 && fila < n && qAbs(palabra.caja.top() - (10 + 5 * fila)) < tolerancia,
                 qPrintable(QStringLiteral("not on a row: ") + donde));
        int columna = 2;
        while (columna > 0 && palabra.caja.left() < 10 + 10 * columna - tolerancia)
            --columna;
        QString& celda = impresas[fila][columna];
        if (celda.isEmpty())
            QVERIFY2(qAbs(palabra.caja.left() - (10 + 10 * columna)) < tolerancia,
                     qPrintable(QStringLiteral("not at its column: ") + donde));
        else
            celda += QLatin1Char(' ');
        celda += palabra.texto;
    }
    for (int r = 0; r < n; ++r)
        QCOMPARE(impresas[r], r < filas.size() ? filas[r].mid(primera, 3) : QStringList(3));

    QList<QLine> horizontales, verticales;
    for (int j = 0; j <= n; ++j)
        horizontales << QLine(9, 10 + 5 * j, 200, 10 + 5 * j);
    for (int c = 0; c < 3; ++c)
        verticales << QLine(9 + 10 * c, 10, 9 + 10 * c, 10 + 5 * n);
    QCOMPARE(pagina.horizontales, horizontales);
    QCOMPARE(pagina.verticales, verticales);
}

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

    /// What stands for the system's printers: one that writes a PDF file of its own, one that
    /// refuses every page (it writes into a folder that does not exist), or no printer at all.
    enum Impresora { Imprime, RechazaTrabajos, SinImpresora };
    void poner(Impresora impresora) const
    {
        const char* const archivos[] = {"impresora.pdf", "falta/impresora.pdf"};
        PrintDestination::simulatePrinter(
            impresora == SinImpresora ? QString() : m_impresora.filePath(archivos[impresora]));
    }
    /// Clicks `boton` and reads back what the stand-in printed.
    PaginaLeida imprimir(QAbstractButton* boton) const
    {
        const QString pdf = m_impresora.filePath(QStringLiteral("impresora.pdf"));
        QFile::remove(pdf);
        QTest::mouseClick(boton, Qt::LeftButton);
        return PaginaLeida(pdf);
    }

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
        poner(Imprime);
        SaveFileDialog::setRecording(true);
    }
    void cleanup()
    {
        PrintDestination::simulatePrinter(std::nullopt);
        SaveFileDialog::setRecording(false);
        m_support.reset();
    }

    void rowsRunOnFromTheGridsTopRow_data()
    {
        QTest::addColumn<int>("registros");
        QTest::addColumn<double>("filasALaVista");
        QTest::addColumn<int>("desplazamiento");
        QTest::addColumn<int>("primeraImpresa");
        QTest::addColumn<int>("cantidadImpresa");
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

        verificarListado(imprimir(w->CmdImprimir), filas.mid(primeraImpresa - 1, cantidadImpresa),
                         20);

        // Left on the last printed row, in the description column, with its record current.
        const int ultima = primeraImpresa + cantidadImpresa - 2;
        QCOMPARE(grilla->currentIndex(), grilla->model()->index(ultima, 2));
        QCOMPARE(w->dcdatos->recordset().absolutePosition(), ultima);
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
        poner(SinImpresora);
        const QTemporaryDir carpeta;
        const QString archivo = carpeta.filePath(QStringLiteral("listado.pdf"));
        MessageBox::setNextAnswer(respuestaAlAviso);
        SaveFileDialog::setNextAnswer(eligeArchivo ? archivo : QString());

        QCOMPARE(imprimir(w->CmdImprimir).paginas, 0);

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

        poner(RechazaTrabajos);
        QCOMPARE(imprimir(w->CmdImprimir).paginas, 0);
        poner(Imprime);
        mostrarFilas(w->dbgResultados, 0.5, 0); // the first row is not displayed whole
        QCOMPARE(imprimir(w->CmdImprimir).paginas, 0);
        // Once the row shows, the page prints; long texts run on uncut, the code under the
        // class, the description past the rules' end.
        mostrarFilas(w->dbgResultados, 3, 0);
        const PaginaLeida pagina = imprimir(w->CmdImprimir);
        verificarListado(pagina, filas, 20);
        for (const PaginaLeida::Palabra& palabra : pagina.palabras)
            if (palabra.texto == u"31245678" || palabra.texto == u"2,5")
                QVERIFY(palabra.caja.right() > (palabra.texto == u"2,5" ? 201 : 20));

        w->Text1->setText(QStringLiteral("INEXISTENTE"));
        QTest::mouseClick(w->CmdEjecutar, Qt::LeftButton);
        QCOMPARE(w->dcdatos->recordset().recordCount(), 0);
        QCOMPARE(imprimir(w->CmdImprimir).paginas, 0);
        poner(SinImpresora); // not even a PDF is offered
        QCOMPARE(imprimir(w->CmdImprimir).paginas, 0);

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

        verificarListado(imprimir(w->CmdImprimir), filas.mid(2, 10), 10, 1);
        QCOMPARE(w->dbgResultados->currentIndex(), w->dbgResultados->model()->index(11, 3));
        QCOMPARE(w->dcdatos->caption(), QStringLiteral("Registro:12 de 14"));
    }

private:
    const QTemporaryDir m_casa;
    std::unique_ptr<ChartTestSupport> m_support;
    const QTemporaryDir m_impresora;
};

QTEST_MAIN(TestListado)
#include "tst_listado.moc"
