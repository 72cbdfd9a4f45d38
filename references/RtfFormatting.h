#pragma once

#include <QColor>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QTextImageFormat>

#include <array>
#include <vector>

// The formatting state of an RTF reader, kept as plain values while reading and turned into
// Qt text formats only when text is written into the document.

namespace vemtaro::references::rtf {

enum class UnderlineStyle : quint8 { None, Single, Dotted, Dash, DashDot, DashDotDot, Wave };
enum class VerticalPosition : quint8 { Normal, Superscript, Subscript };
enum class Capitals : quint8 { Normal, All, Small };
enum class Alignment : quint8 { Left, Right, Center, Justify };

/// Character properties; colours and links are indexes into the DocumentTables.
struct CharProps {
    int font = -1;       ///< font table number; -1 when none applies
    int halfPoints = 24; ///< \fs
    int foreground = 0;  ///< colour table index; 0 is the automatic colour
    int background = 0;  ///< colour table index; 0 is none
    int link = -1;       ///< index into DocumentTables::links; -1 when not a link
    bool bold = false;
    bool italic = false;
    bool strike = false;
    bool hidden = false;
    UnderlineStyle underline = UnderlineStyle::None;
    VerticalPosition vertical = VerticalPosition::Normal;
    Capitals capitals = Capitals::Normal;

    friend bool operator==(const CharProps&, const CharProps&) = default;
};

size_t qHash(const CharProps& props, size_t seed = 0);

/// Paragraph properties; distances are in twips.
struct ParaProps {
    int leftIndent = 0;
    int rightIndent = 0;
    int firstIndent = 0;
    int spaceBefore = 0;
    int spaceAfter = 0;
    int lineSpacing = 0; ///< \sl: 0 automatic, > 0 at least, < 0 exactly
    bool lineSpacingMultiple = false;
    Alignment alignment = Alignment::Left;
    bool inTable = false;
    bool rightToLeft = false;
    bool pageBreakBefore = false;

    friend bool operator==(const ParaProps&, const ParaProps&) = default;
};

enum class BorderStyle : quint8 {
    None,
    Solid,
    Double,
    Dotted,
    Dashed,
    DotDash,
    DotDotDash,
    Inset,
    Outset
};
enum class BorderSide : quint8 { Top, Left, Bottom, Right };
enum class CellAlignment : quint8 { Top, Center, Bottom };

/// One side of a cell's border: \clbrdrt and the \brdr words that follow it.
struct BorderLine {
    BorderStyle style = BorderStyle::None;
    int width = 0; ///< \brdrw, in twips; 0 when not given
    int color = 0; ///< \brdrcf, colour table index; 0 is automatic
};

struct CellDefinition {
    int right = 0;   ///< right edge in twips from the row's origin (\cellx)
    int shading = 0; ///< colour table index of the background; 0 is none
    CellAlignment alignment = CellAlignment::Top; ///< \clvertalt, \clvertalc, \clvertalb
    std::array<BorderLine, 4> borders;            ///< by BorderSide

    BorderLine& border(BorderSide side) { return borders[size_t(side)]; }
    const BorderLine& border(BorderSide side) const { return borders[size_t(side)]; }
};

/// The table row properties in force (\trowd ... \cellx).
struct RowDefinition {
    std::vector<CellDefinition> cells;
    int left = 0;   ///< \trleft
    int gap = 0;    ///< \trgaph: half the space between cells, inside each cell left and right
    int height = 0; ///< \trrh: 0 automatic, > 0 at least, < 0 exactly (in twips)
    Alignment alignment = Alignment::Left;
};

struct FontEntry {
    QString family;
    int codePage = 0; ///< 0: the document's code page
};

/// What the header of the document defines and the body refers to by number.
struct DocumentTables {
    QHash<int, FontEntry> fonts;
    std::vector<QColor> colors; ///< invalid QColor for the automatic entry
    QStringList links;
    std::vector<QTextImageFormat> images;

    /// The colour at `index`, or an invalid colour for automatic or out-of-range entries.
    QColor color(int index) const
    {
        return index >= 0 && size_t(index) < colors.size() ? colors[size_t(index)] : QColor();
    }
};

/// Twips to the document's pixels (1440 twips an inch, 96 pixels an inch).
constexpr qreal twipsToPixels(int twips)
{
    return twips / 15.0;
}

} // namespace vemtaro::references::rtf
