#include "PaginaLeida.h"

#include "platform/SaveFileDialog.h"
#include "printing/PrintDestination.h"

#include <QAbstractButton>
#include <QTest>
#include <poppler-qt6.h>

using vemtaro::printing::PrintDestination;

/// A rule as a failed comparison shows it.
static char* toString(const QLine& regla)
{
    return QTest::toString(QStringLiteral("(%1, %2)-(%3, %4)")
                               .arg(regla.x1())
                               .arg(regla.y1())
                               .arg(regla.x2())
                               .arg(regla.y2()));
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

} // namespace

PaginaLeida::PaginaLeida(const QString& pdf)
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

void verificarListado(const PaginaLeida& pagina, const QList<QStringList>& filas, int n,
                      int primera)
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

ImpresoraDePrueba::ImpresoraDePrueba()
{
    poner(Imprime);
    vemtaro::platform::SaveFileDialog::setRecording(true);
}

ImpresoraDePrueba::~ImpresoraDePrueba()
{
    PrintDestination::simulatePrinter(std::nullopt);
    vemtaro::platform::SaveFileDialog::setRecording(false);
}

PaginaLeida ImpresoraDePrueba::imprimir(QAbstractButton* boton) const
{
    const QString pdf = m_carpeta.filePath(QStringLiteral("impresora.pdf"));
    QFile::remove(pdf);
    QTest::mouseClick(boton, Qt::LeftButton);
    return PaginaLeida(pdf);
}

void ImpresoraDePrueba::poner(Estado estado) const
{
    // The stand-in that refuses pages writes into a folder that does not exist.
    const char* const archivos[] = {"impresora.pdf", "falta/impresora.pdf"};
    PrintDestination::simulatePrinter(
        estado == SinImpresora ? QString() : m_carpeta.filePath(QLatin1String(archivos[estado])));
}
