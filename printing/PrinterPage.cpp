#include "PrinterPage.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPrinter>

namespace vemtaro::printing {
namespace {
/// The stand-in for the printer's default font.
QFont pageFont()
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(10);
    return font;
}
} // namespace

PrinterPage::PrinterPage(PrintDestination destination) : m_destination(std::move(destination))
{
    if (!m_destination.acceptsJobs())
        throw PrintError(refusal());
}

void PrinterPage::print(const QString& text)
{
    m_marks.emplace_back(Text{m_current, text});
}

void PrinterPage::line(QPointF from, QPointF to)
{
    m_marks.emplace_back(Line{from, to});
}

void PrinterPage::endDoc()
{
    QPrinter printer(QPrinter::HighResolution);
    m_destination.configure(printer);
    printer.setDocName(QCoreApplication::applicationName());
    QPainter painter;
    if (!painter.begin(&printer))
        throw PrintError(refusal());
    // Device coordinates, not a scaled painter: a scale would enlarge the font as well.
    const qreal dotsPerMillimetre = printer.resolution() / 25.4;
    painter.setPen(QPen(Qt::black, 0));
    painter.setFont(pageFont());
    const qreal ascent = painter.fontMetrics().ascent();
    for (const auto& mark : m_marks) {
        if (const auto* text = std::get_if<Text>(&mark))
            painter.drawText(text->topLeft * dotsPerMillimetre + QPointF(0, ascent), text->text);
        else if (const auto* line = std::get_if<Line>(&mark))
            painter.drawLine(line->from * dotsPerMillimetre, line->to * dotsPerMillimetre);
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        throw PrintError(refusal());
}

QString PrinterPage::refusal() const
{
    if (m_destination.printerName().isEmpty())
        return QStringLiteral("No se pudo guardar el listado en el archivo «%1».")
            .arg(m_destination.pdfPath());
    return QStringLiteral("La impresora «%1» no aceptó el listado.")
        .arg(m_destination.printerName());
}

} // namespace vemtaro::printing
