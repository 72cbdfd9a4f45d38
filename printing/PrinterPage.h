#pragma once

#include "PrintDestination.h"

#include <QPointF>
#include <QString>
#include <stdexcept>
#include <variant>
#include <vector>

namespace vemtaro::printing {

/// A page that could not be printed. `description()` is the Spanish text for the clerk.
class PrintError : public std::runtime_error {
public:
    explicit PrintError(const QString& description)
        : std::runtime_error(description.toStdString()), m_description(description)
    {
    }
    const QString& description() const { return m_description; }

private:
    QString m_description;
};

/// One page for a printer, drawn the way a printer object draws.
///
/// Positions are in millimetres from the top-left corner of the printable area, x to the
/// right and y downwards. A text is drawn in one piece with the top-left corner of its line at
/// the current position, never clipped by us, cut or wrapped: a long one runs on to the edge
/// of the paper. Lines are straight, black and one printer dot wide. The page is printed at the
/// printer's full resolution in the page font, a 10-point sans serif that stands for the
/// printer's default font.
///
/// What is drawn is kept until endDoc(), which sends the page to its destination in one
/// piece: a page dropped before then never reaches the printer.
class PrinterPage {
public:
    /// Throws PrintError when the destination refuses jobs.
    explicit PrinterPage(PrintDestination destination);

    /// Where the next text goes.
    void setCurrentX(double millimetres) { m_current.setX(millimetres); }
    void setCurrentY(double millimetres) { m_current.setY(millimetres); }
    /// Draws `text` at the current position, which stays where it is.
    void print(const QString& text);
    /// Draws a line from `from` to `to`.
    void line(QPointF from, QPointF to);
    /// Ends the document: the page goes to its destination as one job of exactly one page.
    /// Throws PrintError when the printer, or the file, does not take it.
    void endDoc();

private:
    struct Text {
        QPointF topLeft;
        QString text;
    };
    struct Line {
        QPointF from;
        QPointF to;
    };
    QString refusal() const;

    PrintDestination m_destination;
    QPointF m_current;
    std::vector<std::variant<Text, Line>> m_marks;
};

} // namespace vemtaro::printing
