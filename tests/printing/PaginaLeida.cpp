#include "PaginaLeida.h"

#include "platform/SaveFileDialog.h"
#include "printing/PrintDestination.h"

#include <QAbstractButton>
#include <QTest>
#include <poppler-qt6.h>

namespace {

constexpr double puntosPorMm = 72 / 25.4;
constexpr double pixelesPorPulgada = 300;
constexpr double pixelesPorMm = pixelesPorPulgada / 25.4;
constexpr int reglaMinima = int(20 * pixelesPorMm);

bool oscuro(const QImage& imagen, int x, int y)
{
    return qGray(imagen.pixel(x, y)) < 128;
}

/// The dark runs of at least 20 mm along one direction, one rule for neighbouring runs of the
/// same extent (a line may cover two rows of pixels).
QList<PaginaLeida::Regla> reglas(const QImage& imagen, bool horizontal, QPointF origen)
{
    const int lineas = horizontal ? imagen.height() : imagen.width();
    const int largo = horizontal ? imagen.width() : imagen.height();
    QList<PaginaLeida::Regla> encontradas;
    int anterior = -10;
    for (int l = 0; l < lineas; ++l) {
        int inicio = -1;
        for (int p = 0; p <= largo; ++p) {
            const bool negro =
                p < largo && (horizontal ? oscuro(imagen, p, l) : oscuro(imagen, l, p));
            if (negro && inicio < 0)
                inicio = p;
            if (negro || inicio < 0)
                continue;
            if (p - inicio >= reglaMinima) {
                // Pixel centres, in millimetres from the printable area's corner.
                const double a = (inicio + 0.5) / pixelesPorMm, b = (p - 0.5) / pixelesPorMm,
                             c = (l + 0.5) / pixelesPorMm;
                const PaginaLeida::Regla regla =
                    horizontal ? PaginaLeida::Regla{QPointF(a, c) - origen, QPointF(b, c) - origen}
                               : PaginaLeida::Regla{QPointF(c, a) - origen, QPointF(c, b) - origen};
                if (l == anterior + 1 && !encontradas.isEmpty())
                    encontradas.last() = regla;
                else
                    encontradas.append(regla);
                anterior = l;
            }
            inicio = -1;
        }
    }
    return encontradas;
}

} // namespace

PaginaLeida::PaginaLeida(const QString& pdf)
{
    if (!QFile::exists(pdf))
        return;
    const std::unique_ptr<Poppler::Document> documento = Poppler::Document::load(pdf);
    if (!documento)
        return;
    paginas = documento->numPages();
    const std::unique_ptr<Poppler::Page> pagina = documento->page(0);
    if (!pagina)
        return;
    const QPointF origen = vemtaro::printing::PrintDestination::pdfPageLayout()
                               .paintRect(QPageLayout::Millimeter)
                               .topLeft();
    for (const auto& caja : pagina->textList()) {
        const QRectF enPuntos = caja->boundingBox();
        palabras.append({caja->text(), QRectF(enPuntos.topLeft() / puntosPorMm - origen,
                                              enPuntos.size() / puntosPorMm)});
    }
    const QImage imagen = pagina->renderToImage(pixelesPorPulgada, pixelesPorPulgada);
    horizontales = reglas(imagen, true, origen);
    verticales = reglas(imagen, false, origen);
}

void verificarListado(const PaginaLeida& pagina, const QList<QStringList>& filas, int n)
{
    constexpr double tolerancia = 0.4;
    QCOMPARE(pagina.paginas, 1);

    QList<PaginaLeida::Palabra> palabras = pagina.palabras;
    std::sort(palabras.begin(), palabras.end(), [](const auto& a, const auto& b) {
        return std::pair(qRound(a.caja.top()), a.caja.left()) <
               std::pair(qRound(b.caja.top()), b.caja.left());
    });
    QList<QStringList> impresas(n, QStringList(3));
    for (const PaginaLeida::Palabra& palabra : palabras) {
        const QString donde = QStringLiteral("«%1» at (%2, %3) mm")
                                  .arg(palabra.texto)
                                  .arg(palabra.caja.left())
                                  .arg(palabra.caja.top());
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
        QCOMPARE(impresas[r], r < filas.size() ? filas[r] : QStringList(3));

    const auto cerca = [](QPointF leido, QPointF esperado) {
        return QLineF(leido, esperado).length() < tolerancia;
    };
    QCOMPARE(pagina.horizontales.size(), n + 1);
    for (int j = 0; j <= n; ++j) {
        const PaginaLeida::Regla& regla = pagina.horizontales[j];
        QVERIFY2(cerca(regla.desde, {9, 10.0 + 5 * j}) && cerca(regla.hasta, {200, 10.0 + 5 * j}),
                 qPrintable(QStringLiteral("horizontal rule %1").arg(j)));
    }
    QCOMPARE(pagina.verticales.size(), 3);
    for (int c = 0; c < 3; ++c) {
        const PaginaLeida::Regla& regla = pagina.verticales[c];
        QVERIFY2(cerca(regla.desde, {9.0 + 10 * c, 10}) &&
                     cerca(regla.hasta, {9.0 + 10 * c, 10.0 + 5 * n}),
                 qPrintable(QStringLiteral("vertical rule %1").arg(c)));
    }
}

using vemtaro::printing::PrintDestination;

ImpresoraDePrueba::ImpresoraDePrueba()
{
    conectar();
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

void ImpresoraDePrueba::conectar() const
{
    PrintDestination::simulatePrinter(m_carpeta.filePath(QStringLiteral("impresora.pdf")));
}

void ImpresoraDePrueba::rechazarTrabajos() const
{
    PrintDestination::simulatePrinter(m_carpeta.filePath(QStringLiteral("falta/impresora.pdf")));
}

void ImpresoraDePrueba::quitar() const
{
    PrintDestination::simulatePrinter(QString());
}
