#pragma once

#include "references/RtfFormatting.h"

#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextTableCellFormat>

#include <vector>

class QTextDocument;
class QTextTable;

namespace vemtaro::references::rtf {

/// Writes the paragraphs, runs and tables that an RTF reader finds into a QTextDocument.
///
/// Text is collected per paragraph in runs of equal character properties, and a paragraph
/// is written only when it ends, because its properties (and whether it belongs to a
/// table) are those in force at its end. Table paragraphs are kept until the table is
/// complete, so that each table is inserted at its final size in one go.
class DocumentBuilder {
public:
    /// Most cells kept in a table row; further cells go into the last one.
    static constexpr int maxColumns = 63;
    /// Most cells in one QTextTable (rows times the widest row); a longer table goes on in
    /// a new one, so that one wide row cannot make every later row as wide.
    static constexpr int maxTableCells = 50000;

    DocumentBuilder(QTextDocument& document, const DocumentTables& tables);

    /// The text of the current paragraph's last run, after starting a new run when `props`
    /// differ from that run's; the caller appends to it.
    QString& text(const CharProps& props);
    /// Adds the picture `tables.images[image]` to the current paragraph.
    void addImage(int image, const CharProps& props);

    /// \par, \sect, \page: the current paragraph ends with `para` in force; `mark` gives
    /// an empty paragraph its height.
    void endParagraph(const ParaProps& para, const CharProps& mark, bool pageBreakAfter);
    /// \cell: the current paragraph ends, and with it the current table cell.
    void endCell(const ParaProps& para, const CharProps& mark);
    /// \row: the current table row ends, with the cell layout `row`.
    void endRow(const ParaProps& para, const CharProps& mark, const RowDefinition& row);
    /// Writes whatever is still collected; call once, at the end of the data.
    void finish(const ParaProps& para, const CharProps& mark);

private:
    struct Run {
        QString text;
        CharProps props;
        int image = -1;
    };
    struct Paragraph {
        std::vector<Run> runs;
        ParaProps para;
        CharProps mark;
        bool pageBreakAfter = false;
    };
    struct Cell {
        std::vector<Paragraph> paragraphs;
    };
    struct Row {
        std::vector<Cell> cells;
        RowDefinition definition;
    };
    /// The vertical padding that brings a row to its height (\trrh), in its tallest cell.
    struct CellPadding {
        int row;
        int column;
        qreal top;
        qreal bottom;
    };

    bool paragraphIsEmpty() const;
    Paragraph takeParagraph(const ParaProps& para, const CharProps& mark, bool pageBreakAfter);
    Cell& openCell();
    void closeRow(const RowDefinition& definition);
    void writeTable();
    /// Writes the collected rows as a table at `cursor`.
    QTextTable* insertTable(QTextCursor& cursor);
    /// Rows with a height of their own are at least that tall (never shorter than their
    /// text, so an exact height is an "at least" one too): the paddings that make them so.
    std::vector<CellPadding> measureRowHeights();
    QTextTableCellFormat cellFormat(QTextTableCellFormat format, const RowDefinition& row,
                                    size_t column, const Cell& content) const;
    void writeParagraph(QTextCursor& cursor, bool& blockIsFresh, const Paragraph& paragraph);
    const QTextCharFormat& charFormat(const CharProps& props);
    QTextBlockFormat blockFormat(const ParaProps& para, bool pageBreakAfter) const;

    const DocumentTables& tables_;
    QTextCursor cursor_;
    bool cursorBlockIsFresh_ = true; // the cursor's block holds nothing written yet
    Paragraph paragraph_;
    std::vector<Row> rows_;   // finished rows of the table being collected
    size_t tableColumns_ = 0; // cells in the widest of them
    Row openRow_;
    bool cellIsOpen_ = false;
    QHash<CharProps, QTextCharFormat> charFormats_;
};

} // namespace vemtaro::references::rtf
