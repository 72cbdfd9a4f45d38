#pragma once

#include <QPageLayout>
#include <QString>
#include <optional>

class QPrinter;

namespace vemtaro::printing {

/// Where a page goes: one of the system's printers, or a PDF file.
class PrintDestination {
public:
    /// The system's default printer (without a default, the first one installed); none when
    /// no printer is installed. While the test seam is on, its stand-in printer instead.
    static std::optional<PrintDestination> defaultPrinter();
    /// A PDF file at `path`, laid out as pdfPageLayout().
    static PrintDestination pdfFile(const QString& path);
    /// The page of a PDF file: A4 upright, with 5 mm margins round a printable area as wide as
    /// the listing's rules (200 mm).
    static QPageLayout pdfPageLayout();

    /// Test seam: with a value, the system's printers are replaced by one stand-in printer
    /// that writes the PDF file `pdfPath` (laid out as pdfPageLayout()), or by none when the
    /// path is empty; with std::nullopt the system's printers are back.
    static void simulatePrinter(const std::optional<QString>& pdfPath);

    /// Sets `printer` up to print here.
    void configure(QPrinter& printer) const;
    /// False when the printing system says this printer refuses jobs now (its queue is
    /// disabled, or it is gone); a file always takes them.
    bool acceptsJobs() const;
    /// The printer's name, empty for a PDF file.
    QString printerName() const { return m_printerName; }
    /// The PDF file written, empty for a printer of the system.
    QString pdfPath() const { return m_pdfPath; }

private:
    PrintDestination(const QString& printerName, const QString& pdfPath);

    QString m_printerName;
    QString m_pdfPath;
};

} // namespace vemtaro::printing
