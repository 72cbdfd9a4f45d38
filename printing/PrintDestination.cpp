#include "PrintDestination.h"

#include <QPrinter>
#include <QPrinterInfo>
#include <cups/cups.h>

namespace vemtaro::printing {
namespace {
std::optional<QString>& standInPrinter()
{
    static std::optional<QString> pdfPath;
    return pdfPath;
}
} // namespace

PrintDestination::PrintDestination(const QString& printerName, const QString& pdfPath)
    : m_printerName(printerName), m_pdfPath(pdfPath)
{
}

std::optional<PrintDestination> PrintDestination::defaultPrinter()
{
    if (const std::optional<QString>& standIn = standInPrinter()) {
        if (standIn->isEmpty())
            return std::nullopt;
        return PrintDestination(QStringLiteral("Impresora de prueba"), *standIn);
    }
    QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    if (printer.isNull()) {
        const QList<QPrinterInfo> installed = QPrinterInfo::availablePrinters();
        if (installed.isEmpty())
            return std::nullopt;
        printer = installed.constFirst();
    }
    return PrintDestination(printer.printerName(), QString());
}

PrintDestination PrintDestination::pdfFile(const QString& path)
{
    return PrintDestination(QString(), path);
}

QPageLayout PrintDestination::pdfPageLayout()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(5, 5, 5, 5),
                       QPageLayout::Millimeter);
}

void PrintDestination::simulatePrinter(const std::optional<QString>& pdfPath)
{
    standInPrinter() = pdfPath;
}

void PrintDestination::configure(QPrinter& printer) const
{
    if (m_pdfPath.isEmpty()) {
        printer.setPrinterName(m_printerName);
        return;
    }
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(m_pdfPath);
    printer.setPageLayout(pdfPageLayout());
}

bool PrintDestination::acceptsJobs() const
{
    if (!m_pdfPath.isEmpty())
        return true;
    // Qt hands the job to the queue without telling whether it was taken: ask first.
    const QStringList nameAndInstance = m_printerName.split(QLatin1Char('/'));
    const QByteArray name = nameAndInstance.value(0).toLocal8Bit();
    const QByteArray instance = nameAndInstance.value(1).toLocal8Bit();
    cups_dest_t* printer = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.constData(),
                                            instance.isEmpty() ? nullptr : instance.constData());
    if (!printer)
        return false;
    const char* accepting =
        cupsGetOption("printer-is-accepting-jobs", printer->num_options, printer->options);
    const bool accepts = !accepting || qstrcmp(accepting, "false") != 0;
    cupsFreeDests(1, printer);
    return accepts;
}

} // namespace vemtaro::printing
