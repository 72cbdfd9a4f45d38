#include "references/RtfDocumentBuilder.h"

#include "references/CodePage.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextTable>

#include <algorithm>

namespace vemtaro::references::rtf {

namespace {

// Keeps the format cache from growing on documents that change formatting at every letter.
constexpr qsizetype maxCachedFormats = 4096;
// A cell padding of an inch is more than any table has; it keeps columns from vanishing.
constexpr qreal maxPaddingPixels = 96;

Qt::Alignment qtAlignment(Alignment alignment)
{
    switch (alignment) {
    case Alignment::Right:
        return Qt::AlignRight;
    case Alignment::Center:
        return Qt::AlignHCenter;
    case Alignment::Justify:
        return Qt::AlignJustify;
    case Alignment::Left:
        break;
    }
    return Qt::AlignLeft;
}

QTextCharFormat::UnderlineStyle qtUnderline(UnderlineStyle style)
{
    switch (style) {
    case UnderlineStyle::None:
        return QTextCharFormat::NoUnderline;
    case UnderlineStyle::Single:
        return QTextCharFormat::SingleUnderline;
    case UnderlineStyle::Dotted:
        return QTextCharFormat::DotLine;
    case UnderlineStyle::Dash:
        return QTextCharFormat::DashUnderline;
    case UnderlineStyle::DashDot:
        return QTextCharFormat::DashDotLine;
    case UnderlineStyle::DashDotDot:
        return QTextCharFormat::DashDotDotLine;
    case UnderlineStyle::Wave:
        return QTextCharFormat::WaveUnderline;
    }
    return QTextCharFormat::NoUnderline;
}

QTextFrameFormat::BorderStyle qtBorderStyle(BorderStyle style)
{
    switch (style) {
    case BorderStyle::None:
        return QTextFrameFormat::BorderStyle_None;
    case BorderStyle::Solid:
        return QTextFrameFormat::BorderStyle_Solid;
    case BorderStyle::Double:
        return QTextFrameFormat::BorderStyle_Double;
    case BorderStyle::Dotted:
        return QTextFrameFormat::BorderStyle_Dotted;
    case BorderStyle::Dashed:
        return QTextFrameFormat::BorderStyle_Dashed;
    case BorderStyle::DotDash:
        return QTextFrameFormat::BorderStyle_DotDash;
    case BorderStyle::DotDotDash:
        return QTextFrameFormat::BorderStyle_DotDotDash;
    case BorderStyle::Inset:
        return QTextFrameFormat::BorderStyle_Inset;
    case BorderStyle::Outset:
        return QTextFrameFormat::BorderStyle_Outset;
    }
    return QTextFrameFormat::BorderStyle_None;
}

// The width Qt needs to draw `line`: at least a pixel, and room for both strokes and the
// gap between them when it is doubled.
qreal borderPixels(const BorderLine& line)
{
    if (line.style == BorderStyle::None)
        return 0;
    const qreal width = std::max(twipsToPixels(line.width), 1.0);
    return line.style == BorderStyle::Double ? 3 * width : width;
}

// The height of a cell's text, from the top of its first paragraph to the bottom of its last.
qreal textHeight(const QAbstractTextDocumentLayout& layout, const QTextTableCell& cell)
{
    return layout.blockBoundingRect(cell.lastCursorPosition().block()).bottom() -
           layout.blockBoundingRect(cell.firstCursorPosition().block()).top();
}

} // namespace

size_t qHash(const CharProps& p, size_t seed)
{
    return qHashMulti(seed, p.font, p.halfPoints, p.foreground, p.background, p.link,
                      (p.bold << 0) | (p.italic << 1) | (p.strike << 2) | (p.hidden << 3),
                      int(p.underline), int(p.vertical), int(p.capitals));
}

DocumentBuilder::DocumentBuilder(QTextDocument& document, const DocumentTables& tables)
    : tables_(tables), cursor_(&document)
{
}

QString& DocumentBuilder::text(const CharProps& props)
{
    auto& runs = paragraph_.runs;
    if (runs.empty() || runs.back().image >= 0 || !(runs.back().props == props))
        runs.push_back({QString(), props});
    return runs.back().text;
}

void DocumentBuilder::addImage(int image, const CharProps& props)
{
    paragraph_.runs.push_back({QString(QChar::ObjectReplacementCharacter), props, image});
}

bool DocumentBuilder::paragraphIsEmpty() const
{
    return std::all_of(paragraph_.runs.begin(), paragraph_.runs.end(),
                       [](const Run& run) { return run.text.isEmpty(); });
}

DocumentBuilder::Paragraph
DocumentBuilder::takeParagraph(const ParaProps& para, const CharProps& mark, bool pageBreakAfter)
{
    Paragraph paragraph = std::move(paragraph_);
    paragraph_ = Paragraph();
    paragraph.para = para;
    paragraph.mark = mark;
    paragraph.pageBreakAfter = pageBreakAfter;
    return paragraph;
}

void DocumentBuilder::endParagraph(const ParaProps& para, const CharProps& mark,
                                   bool pageBreakAfter)
{
    if (para.inTable) {
        openCell().paragraphs.push_back(takeParagraph(para, mark, pageBreakAfter));
        return;
    }
    writeTable();
    paragraph_.para = para;
    paragraph_.mark = mark;
    paragraph_.pageBreakAfter = pageBreakAfter;
    writeParagraph(cursor_, cursorBlockIsFresh_, paragraph_);
    paragraph_.runs.clear();
}

void DocumentBuilder::endCell(const ParaProps& para, const CharProps& mark)
{
    openCell().paragraphs.push_back(takeParagraph(para, mark, false));
    cellIsOpen_ = false;
}

void DocumentBuilder::endRow(const ParaProps& para, const CharProps& mark, const RowDefinition& row)
{
    if (!paragraphIsEmpty())
        endCell(para, mark);
    paragraph_.runs.clear();
    closeRow(row);
}

void DocumentBuilder::finish(const ParaProps& para, const CharProps& mark)
{
    if (!paragraphIsEmpty())
        endParagraph(para, mark, false);
    writeTable();
}

DocumentBuilder::Cell& DocumentBuilder::openCell()
{
    if (!cellIsOpen_ && openRow_.cells.size() < size_t(maxColumns))
        openRow_.cells.emplace_back();
    cellIsOpen_ = true;
    return openRow_.cells.back();
}

void DocumentBuilder::closeRow(const RowDefinition& definition)
{
    cellIsOpen_ = false;
    if (openRow_.cells.empty())
        return;
    openRow_.definition = definition;
    rows_.push_back(std::move(openRow_));
    openRow_ = Row();
    tableColumns_ = std::max(tableColumns_, rows_.back().cells.size());
    if (rows_.size() * tableColumns_ >= size_t(maxTableCells))
        writeTable();
}

void DocumentBuilder::writeTable()
{
    closeRow(RowDefinition());
    if (rows_.empty())
        return;
    const bool sized = std::any_of(rows_.begin(), rows_.end(),
                                   [](const Row& row) { return row.definition.height != 0; });
    const std::vector<CellPadding> fills = sized ? measureRowHeights() : std::vector<CellPadding>();
    QTextTable* table = insertTable(cursor_);
    for (const CellPadding& fill : fills) {
        QTextTableCell cell = table->cellAt(fill.row, fill.column);
        QTextTableCellFormat format = cell.format().toTableCellFormat();
        format.setTopPadding(fill.top);
        format.setBottomPadding(fill.bottom);
        cell.setFormat(format);
    }
    cursor_.setPosition(table->lastPosition() + 1);
    cursorBlockIsFresh_ = true;
    rows_.clear();
    tableColumns_ = 0;
}

QTextTable* DocumentBuilder::insertTable(QTextCursor& cursor)
{
    const size_t columns = tableColumns_;
    const RowDefinition& first = rows_.front().definition;

    // The cells draw their own borders: the table has none.
    QTextTableFormat format;
    format.setCellSpacing(0);
    format.setBorderCollapse(true);
    format.setBorder(0);
    if (first.alignment != Alignment::Left)
        format.setAlignment(qtAlignment(first.alignment));
    if (first.cells.size() == columns) {
        QList<QTextLength> widths;
        int left = first.left;
        for (const CellDefinition& cell : first.cells) {
            widths.append(QTextLength(QTextLength::FixedLength,
                                      std::clamp(twipsToPixels(cell.right - left), 4.0, 2000.0)));
            left = cell.right;
        }
        format.setColumnWidthConstraints(widths);
    }

    QTextTable* table = cursor.insertTable(int(rows_.size()), int(columns), format);
    for (size_t r = 0; r < rows_.size(); ++r) {
        const Row& row = rows_[r];
        for (size_t c = 0; c < row.cells.size(); ++c) {
            QTextTableCell cell = table->cellAt(int(r), int(c));
            QTextCursor cellCursor = cell.firstCursorPosition();
            bool fresh = true;
            for (const Paragraph& paragraph : row.cells[c].paragraphs)
                writeParagraph(cellCursor, fresh, paragraph);
            // After the text: the cell's format lives in its first block's character format,
            // which writing the first paragraph sets.
            cell.setFormat(
                cellFormat(cell.format().toTableCellFormat(), row.definition, c, row.cells[c]));
        }
    }
    return table;
}

std::vector<DocumentBuilder::CellPadding> DocumentBuilder::measureRowHeights()
{
    // A copy of the table, laid out on its own: its fixed column widths make its rows as
    // tall as they will be in the document, at a fraction of the cost of laying that out.
    QTextDocument scratch;
    scratch.setDefaultFont(cursor_.document()->defaultFont());
    QTextCursor cursor(&scratch);
    const QTextTable* table = insertTable(cursor);
    const QAbstractTextDocumentLayout& layout = *scratch.documentLayout();
    std::vector<CellPadding> fills;
    for (size_t r = 0; r < rows_.size(); ++r) {
        const int twips = rows_[r].definition.height;
        if (twips == 0)
            continue;
        QTextTableCell tallest;
        qreal tallestHeight = 0;
        for (int column = 0; column < table->columns(); ++column) {
            const QTextTableCell cell = table->cellAt(int(r), column);
            const QTextTableCellFormat format = cell.format().toTableCellFormat();
            // Two cells share a border: each takes half of its width.
            const qreal height = textHeight(layout, cell) + format.topPadding() +
                                 format.bottomPadding() +
                                 (format.topBorder() + format.bottomBorder()) / 2;
            if (!tallest.isValid() || height > tallestHeight) {
                tallest = cell;
                tallestHeight = height;
            }
        }
        const qreal missing = twipsToPixels(std::abs(twips)) - tallestHeight;
        if (missing <= 0)
            continue;
        // The room goes where the cell's alignment leaves it, so that its text stays put.
        const QTextTableCellFormat format = tallest.format().toTableCellFormat();
        const auto alignment = format.verticalAlignment();
        const qreal above = alignment == QTextCharFormat::AlignBottom   ? missing
                            : alignment == QTextCharFormat::AlignMiddle ? missing / 2
                                                                        : 0;
        fills.push_back({int(r), tallest.column(), format.topPadding() + above,
                         format.bottomPadding() + missing - above});
    }
    return fills;
}

QTextTableCellFormat DocumentBuilder::cellFormat(QTextTableCellFormat format,
                                                 const RowDefinition& row, size_t column,
                                                 const Cell& content) const
{
    // \trgaph is half the space between two cells' text: padding left and right only.
    const qreal gap = std::min(twipsToPixels(row.gap), maxPaddingPixels);
    format.setLeftPadding(gap);
    format.setRightPadding(gap);
    // Qt leaves out the space before a cell's first paragraph and after its last one; word
    // processors keep it.
    const std::vector<Paragraph>& paragraphs = content.paragraphs;
    format.setTopPadding(paragraphs.empty() ? 0
                                            : twipsToPixels(paragraphs.front().para.spaceBefore));
    format.setBottomPadding(paragraphs.empty() ? 0
                                               : twipsToPixels(paragraphs.back().para.spaceAfter));
    if (column >= row.cells.size())
        return format;
    const CellDefinition& cell = row.cells[column];
    if (const QColor shading = tables_.color(cell.shading); shading.isValid())
        format.setBackground(shading);
    if (cell.alignment == CellAlignment::Center)
        format.setVerticalAlignment(QTextCharFormat::AlignMiddle);
    else if (cell.alignment == CellAlignment::Bottom)
        format.setVerticalAlignment(QTextCharFormat::AlignBottom);

    using Format = QTextTableCellFormat;
    struct Side {
        BorderSide side;
        void (Format::*setWidth)(qreal);
        void (Format::*setStyle)(QTextFrameFormat::BorderStyle);
        void (Format::*setBrush)(const QBrush&);
    };
    static constexpr Side sides[] = {{BorderSide::Top, &Format::setTopBorder,
                                      &Format::setTopBorderStyle, &Format::setTopBorderBrush},
                                     {BorderSide::Left, &Format::setLeftBorder,
                                      &Format::setLeftBorderStyle, &Format::setLeftBorderBrush},
                                     {BorderSide::Bottom, &Format::setBottomBorder,
                                      &Format::setBottomBorderStyle, &Format::setBottomBorderBrush},
                                     {BorderSide::Right, &Format::setRightBorder,
                                      &Format::setRightBorderStyle, &Format::setRightBorderBrush}};
    for (const Side& side : sides) {
        const BorderLine& line = cell.border(side.side);
        const QColor color = tables_.color(line.color);
        (format.*side.setWidth)(borderPixels(line));
        (format.*side.setStyle)(qtBorderStyle(line.style));
        (format.*side.setBrush)(color.isValid() ? color : QColor(Qt::black));
    }
    return format;
}

void DocumentBuilder::writeParagraph(QTextCursor& cursor, bool& blockIsFresh,
                                     const Paragraph& paragraph)
{
    const QTextBlockFormat block = blockFormat(paragraph.para, paragraph.pageBreakAfter);
    const QTextCharFormat mark = charFormat(paragraph.mark);
    if (blockIsFresh) {
        cursor.setBlockFormat(block);
        cursor.setBlockCharFormat(mark);
        blockIsFresh = false;
    } else {
        cursor.insertBlock(block, mark);
    }
    for (const Run& run : paragraph.runs) {
        if (run.image >= 0)
            cursor.insertImage(tables_.images[size_t(run.image)]);
        else if (!run.text.isEmpty())
            cursor.insertText(run.text, charFormat(run.props));
    }
}

const QTextCharFormat& DocumentBuilder::charFormat(const CharProps& props)
{
    const auto cached = charFormats_.constFind(props);
    if (cached != charFormats_.constEnd())
        return *cached;
    if (charFormats_.size() >= maxCachedFormats)
        charFormats_.clear();

    QTextCharFormat format;
    // Text in a symbol font has been turned into the characters it draws: the document's
    // own font shows them better than the symbol font would.
    const auto font = tables_.fonts.constFind(props.font);
    if (font != tables_.fonts.constEnd() && !font->family.isEmpty() &&
        !isSymbolCodePage(font->codePage))
        format.setFontFamilies({font->family});
    format.setFontPointSize(props.halfPoints / 2.0);
    if (props.bold)
        format.setFontWeight(QFont::Bold);
    if (props.italic)
        format.setFontItalic(true);
    if (props.underline != UnderlineStyle::None)
        format.setUnderlineStyle(qtUnderline(props.underline));
    if (props.strike)
        format.setFontStrikeOut(true);
    if (props.vertical == VerticalPosition::Superscript)
        format.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    else if (props.vertical == VerticalPosition::Subscript)
        format.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    if (props.capitals == Capitals::All)
        format.setFontCapitalization(QFont::AllUppercase);
    else if (props.capitals == Capitals::Small)
        format.setFontCapitalization(QFont::SmallCaps);
    if (const QColor color = tables_.color(props.foreground); color.isValid())
        format.setForeground(color);
    if (const QColor color = tables_.color(props.background); color.isValid())
        format.setBackground(color);
    if (props.link >= 0 && props.link < tables_.links.size()) {
        format.setAnchor(true);
        format.setAnchorHref(tables_.links.at(props.link));
    }
    return *charFormats_.insert(props, format);
}

QTextBlockFormat DocumentBuilder::blockFormat(const ParaProps& para, bool pageBreakAfter) const
{
    QTextBlockFormat format;
    format.setAlignment(qtAlignment(para.alignment));
    if (para.leftIndent)
        format.setLeftMargin(twipsToPixels(para.leftIndent));
    if (para.rightIndent)
        format.setRightMargin(twipsToPixels(para.rightIndent));
    if (para.firstIndent)
        format.setTextIndent(twipsToPixels(para.firstIndent));
    // A hanging indent has a tab stop at the left indent, where a list item's text begins
    // after its number; Qt measures tab stops from where the line starts.
    if (para.firstIndent < 0)
        format.setTabPositions(
            {QTextOption::Tab(twipsToPixels(-para.firstIndent), QTextOption::LeftTab)});
    if (para.spaceBefore)
        format.setTopMargin(twipsToPixels(para.spaceBefore));
    if (para.spaceAfter)
        format.setBottomMargin(twipsToPixels(para.spaceAfter));
    if (para.lineSpacing != 0) {
        if (para.lineSpacingMultiple)
            format.setLineHeight(std::abs(para.lineSpacing) * 100.0 / 240.0,
                                 QTextBlockFormat::ProportionalHeight);
        else if (para.lineSpacing > 0)
            format.setLineHeight(twipsToPixels(para.lineSpacing), QTextBlockFormat::MinimumHeight);
        else
            format.setLineHeight(twipsToPixels(-para.lineSpacing), QTextBlockFormat::FixedHeight);
    }
    if (para.rightToLeft)
        format.setLayoutDirection(Qt::RightToLeft);
    QTextFormat::PageBreakFlags breaks;
    if (para.pageBreakBefore)
        breaks |= QTextFormat::PageBreak_AlwaysBefore;
    if (pageBreakAfter)
        breaks |= QTextFormat::PageBreak_AlwaysAfter;
    if (breaks)
        format.setPageBreakPolicy(breaks);
    return format;
}

} // namespace vemtaro::references::rtf
