#include "ImprimirResultados.h"

#include "PrinterPage.h"
#include "platform/DataControl.h"
#include "platform/DataGrid.h"
#include "platform/MessageBox.h"
#include "platform/SaveFileDialog.h"

#include <QDate>
#include <QDir>
#include <QStandardPaths>

namespace vemtaro::printing {

using platform::GridError;
using platform::MessageBox;

namespace {

/// Runs `step`, and carries on as if it had not been asked for when it fails.
template <typename Step> void ignorandoErrores(Step step)
{
    try {
        step();
    } catch (const std::exception&) {
    }
}

/// The default printer; without one, a PDF file if the clerk wants it; nothing otherwise.
std::optional<PrintDestination> elegirDestino(QWidget* ventana)
{
    if (std::optional<PrintDestination> impresora = PrintDestination::defaultPrinter())
        return impresora;
    const QString aviso =
        QStringLiteral("No hay ninguna impresora instalada en este equipo: el listado no se "
                       "puede imprimir.\n\n¿Desea guardarlo como archivo PDF?");
    if (MessageBox::show(aviso, platform::vbOKCancel | platform::vbQuestion) != platform::vbOK)
        return std::nullopt;
    QDir carpeta(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    if (!carpeta.exists())
        carpeta = QDir::home();
    const QString propuesto = carpeta.filePath(
        QStringLiteral("listado-%1.pdf").arg(QDate::currentDate().toString(Qt::ISODate)));
    const QString archivo = platform::SaveFileDialog::ask(
        ventana, QStringLiteral("Guardar el listado como PDF"), propuesto,
        QStringLiteral("Documentos PDF (*.pdf)"), QStringLiteral("pdf"));
    if (archivo.isEmpty())
        return std::nullopt;
    return PrintDestination::pdfFile(archivo);
}

} // namespace

void imprimirResultados(platform::DataGrid& grid, platform::DataControl& dcdatos, int F, int N)
{
    if (dcdatos.recordset().recordCount() == 0) {
        MessageBox::show(QStringLiteral("No hay registros para imprimir: la consulta no encontró "
                                        "ninguno."));
        return;
    }
    const std::optional<PrintDestination> destino = elegirDestino(grid.window());
    if (!destino)
        return;
    const double B = 10 + 5 * N;
    try {
        // The page is taken in high quality and millimetres.
        PrinterPage Printer(*destino);

        // The first row must print: a failure here abandons the page.
        Printer.setCurrentX(10);
        Printer.setCurrentY(10);
        grid.setCol(F);
        grid.setRow(0);
        Printer.print(grid.text());
        Printer.line({9, 10}, {9, B});
        grid.setCol(F + 1);
        Printer.setCurrentX(20);
        Printer.setCurrentY(10);
        Printer.print(grid.text());
        Printer.line({19, 10}, {19, B});
        grid.setCol(F + 2);
        Printer.setCurrentX(30);
        Printer.setCurrentY(10);
        Printer.print(grid.text());
        Printer.line({29, 10}, {29, B});

        // The other rows print what they can.
        for (int k = 1; k < N; ++k) {
            ignorandoErrores([&] {
                try {
                    grid.setRow(k);
                } catch (const GridError& error) {
                    // Past the rows the grid displays, the record after the one last printed.
                    if (error.code() != GridError::RowNotDisplayed)
                        throw;
                    dcdatos.moveNext();
                }
            });
            const double y = 10 + 5 * k;
            for (int c = 0; c < 3; ++c) {
                Printer.setCurrentX(10 + 10 * c);
                Printer.setCurrentY(y);
                ignorandoErrores([&] { grid.setCol(F + c); });
                ignorandoErrores([&] { Printer.print(grid.text()); });
            }
        }
        // A short result ran the record source past its end: the last printed record becomes
        // current again, as after a full page.
        if (dcdatos.recordset().eof())
            ignorandoErrores([&] { dcdatos.moveLast(); });

        for (int j = 0; j <= N; ++j)
            Printer.line({9, 10.0 + 5 * j}, {200, 10.0 + 5 * j});
        Printer.endDoc();
    } catch (const GridError& error) {
        MessageBox::show(QStringLiteral("No se pudo imprimir el listado. ") + error.description());
    } catch (const PrintError& error) {
        MessageBox::show(error.description());
    }
}

} // namespace vemtaro::printing
