#include "references/RtfKeywords.h"

#include <algorithm>
#include <string_view>
#include <utility>
#include <vector>

namespace vemtaro::references {

namespace {

using Entry = std::pair<std::string_view, Keyword>;

// clang-format off
constexpr Entry entries[] = {
    // destinations whose text is never shown
    {"aftncn", Keyword::SkippedDestination}, {"aftnsep", Keyword::SkippedDestination},
    {"aftnsepc", Keyword::SkippedDestination}, {"annotation", Keyword::SkippedDestination},
    {"atnauthor", Keyword::SkippedDestination}, {"atndate", Keyword::SkippedDestination},
    {"atnicn", Keyword::SkippedDestination}, {"atnid", Keyword::SkippedDestination},
    {"atnparent", Keyword::SkippedDestination}, {"atnref", Keyword::SkippedDestination},
    {"atntime", Keyword::SkippedDestination}, {"atrfend", Keyword::SkippedDestination},
    {"atrfstart", Keyword::SkippedDestination}, {"author", Keyword::SkippedDestination},
    {"bkmkend", Keyword::SkippedDestination}, {"bkmkstart", Keyword::SkippedDestination},
    {"colorschememapping", Keyword::SkippedDestination}, {"comment", Keyword::SkippedDestination},
    {"company", Keyword::SkippedDestination}, {"datafield", Keyword::SkippedDestination},
    {"datastore", Keyword::SkippedDestination}, {"do", Keyword::SkippedDestination},
    {"doccomm", Keyword::SkippedDestination}, {"docvar", Keyword::SkippedDestination},
    {"falt", Keyword::SkippedDestination}, {"filetbl", Keyword::SkippedDestination},
    {"footer", Keyword::SkippedDestination}, {"footerf", Keyword::SkippedDestination},
    {"footerl", Keyword::SkippedDestination}, {"footerr", Keyword::SkippedDestination},
    {"footnote", Keyword::SkippedDestination}, {"ftncn", Keyword::SkippedDestination},
    {"ftnsep", Keyword::SkippedDestination}, {"ftnsepc", Keyword::SkippedDestination},
    {"generator", Keyword::SkippedDestination}, {"header", Keyword::SkippedDestination},
    {"headerf", Keyword::SkippedDestination}, {"headerl", Keyword::SkippedDestination},
    {"headerr", Keyword::SkippedDestination}, {"info", Keyword::SkippedDestination},
    {"keywords", Keyword::SkippedDestination}, {"latentstyles", Keyword::SkippedDestination},
    {"levelnumbers", Keyword::SkippedDestination}, {"leveltext", Keyword::SkippedDestination},
    {"listoverridetable", Keyword::SkippedDestination}, {"listpicture", Keyword::SkippedDestination},
    {"listtable", Keyword::SkippedDestination}, {"mmathPr", Keyword::SkippedDestination},
    {"nesttableprops", Keyword::SkippedDestination}, {"nonesttables", Keyword::SkippedDestination},
    {"nonshppict", Keyword::SkippedDestination},
    {"objalias", Keyword::SkippedDestination}, {"objclass", Keyword::SkippedDestination},
    {"objdata", Keyword::SkippedDestination}, {"objname", Keyword::SkippedDestination},
    {"objsect", Keyword::SkippedDestination}, {"objtime", Keyword::SkippedDestination},
    {"operator", Keyword::SkippedDestination}, {"panose", Keyword::SkippedDestination},
    {"pgdsctbl", Keyword::SkippedDestination}, {"pn", Keyword::SkippedDestination},
    {"pnseclvl", Keyword::SkippedDestination}, {"pntxta", Keyword::SkippedDestination},
    {"pntxtb", Keyword::SkippedDestination}, {"private", Keyword::SkippedDestination},
    {"revtbl", Keyword::SkippedDestination}, {"rsidtbl", Keyword::SkippedDestination},
    {"shp", Keyword::SkippedDestination}, {"shpinst", Keyword::SkippedDestination},
    {"shprslt", Keyword::SkippedDestination}, {"stylesheet", Keyword::SkippedDestination},
    {"subject", Keyword::SkippedDestination}, {"tc", Keyword::SkippedDestination},
    {"template", Keyword::SkippedDestination}, {"themedata", Keyword::SkippedDestination},
    {"title", Keyword::SkippedDestination}, {"txe", Keyword::SkippedDestination},
    {"userprops", Keyword::SkippedDestination}, {"xe", Keyword::SkippedDestination},
    {"xmlnstbl", Keyword::SkippedDestination},
    // destinations the reader understands
    {"fonttbl", Keyword::FontTable}, {"colortbl", Keyword::ColorTable},
    {"pict", Keyword::Picture}, {"field", Keyword::Field},
    {"fldinst", Keyword::FieldInstruction}, {"fldrslt", Keyword::FieldResult},
    {"shppict", Keyword::PassThrough}, {"ud", Keyword::PassThrough},
    {"pntext", Keyword::PassThrough}, {"listtext", Keyword::PassThrough},
    {"result", Keyword::PassThrough}, {"upr", Keyword::UnicodePair},
    // document
    {"ansi", Keyword::Ansi}, {"mac", Keyword::Mac}, {"pc", Keyword::Pc}, {"pca", Keyword::Pca},
    {"ansicpg", Keyword::AnsiCodePage}, {"deff", Keyword::DefaultFont},
    {"deftab", Keyword::DefaultTab},
    {"uc", Keyword::UnicodeSkip}, {"u", Keyword::Unicode},
    // text
    {"par", Keyword::Paragraph}, {"sect", Keyword::Section}, {"line", Keyword::Line},
    {"tab", Keyword::Tab}, {"page", Keyword::Page}, {"cell", Keyword::Cell},
    {"row", Keyword::Row}, {"nestcell", Keyword::NestedCell}, {"nestrow", Keyword::NestedRow},
    {"emdash", Keyword::EmDash}, {"endash", Keyword::EnDash}, {"emspace", Keyword::EmSpace},
    {"enspace", Keyword::EnSpace}, {"qmspace", Keyword::QuarterEmSpace},
    {"lquote", Keyword::LeftQuote}, {"rquote", Keyword::RightQuote},
    {"ldblquote", Keyword::LeftDoubleQuote}, {"rdblquote", Keyword::RightDoubleQuote},
    {"bullet", Keyword::Bullet}, {"zwj", Keyword::ZeroWidthJoiner},
    {"zwnj", Keyword::ZeroWidthNonJoiner}, {"ltrmark", Keyword::LeftToRightMark},
    {"rtlmark", Keyword::RightToLeftMark},
    // character formatting
    {"plain", Keyword::Plain}, {"b", Keyword::Bold}, {"i", Keyword::Italic},
    {"ul", Keyword::Underline}, {"uldb", Keyword::Underline}, {"ulw", Keyword::Underline},
    {"ulth", Keyword::Underline}, {"uld", Keyword::UnderlineDotted},
    {"ulthd", Keyword::UnderlineDotted}, {"uldash", Keyword::UnderlineDash},
    {"ulldash", Keyword::UnderlineDash}, {"ulthdash", Keyword::UnderlineDash},
    {"ulthldash", Keyword::UnderlineDash}, {"uldashd", Keyword::UnderlineDashDot},
    {"ulthdashd", Keyword::UnderlineDashDot}, {"uldashdd", Keyword::UnderlineDashDotDot},
    {"ulthdashdd", Keyword::UnderlineDashDotDot}, {"ulwave", Keyword::UnderlineWave},
    {"ulhwave", Keyword::UnderlineWave}, {"ululdbwave", Keyword::UnderlineWave},
    {"ulnone", Keyword::UnderlineNone}, {"strike", Keyword::Strike},
    {"striked", Keyword::Strike}, {"super", Keyword::Superscript},
    {"sub", Keyword::Subscript}, {"nosupersub", Keyword::NoSuperSub},
    {"f", Keyword::Font}, {"fs", Keyword::FontSize}, {"cf", Keyword::Foreground},
    {"cb", Keyword::Background}, {"chcbpat", Keyword::Background},
    {"highlight", Keyword::Background}, {"v", Keyword::Hidden}, {"caps", Keyword::Caps},
    {"scaps", Keyword::SmallCaps},
    // paragraph formatting
    {"pard", Keyword::ParagraphDefault}, {"ql", Keyword::AlignLeft},
    {"qr", Keyword::AlignRight}, {"qc", Keyword::AlignCenter}, {"qj", Keyword::AlignJustify},
    {"qd", Keyword::AlignJustify}, {"li", Keyword::LeftIndent}, {"lin", Keyword::LeftIndent},
    {"ri", Keyword::RightIndent}, {"rin", Keyword::RightIndent}, {"fi", Keyword::FirstIndent},
    {"sb", Keyword::SpaceBefore}, {"sa", Keyword::SpaceAfter}, {"sl", Keyword::LineSpacing},
    {"slmult", Keyword::LineSpacingMultiple}, {"intbl", Keyword::InTable},
    {"itap", Keyword::TableLevel}, {"pagebb", Keyword::PageBreakBefore},
    {"rtlpar", Keyword::RightToLeftParagraph}, {"ltrpar", Keyword::LeftToRightParagraph},
    // tables
    {"trowd", Keyword::RowDefaults}, {"cellx", Keyword::CellRight},
    {"trgaph", Keyword::CellGap}, {"trleft", Keyword::RowLeft}, {"trqc", Keyword::RowCenter},
    {"trqr", Keyword::RowRight}, {"trrh", Keyword::RowHeight},
    {"clcbpat", Keyword::CellShading}, {"clvertalt", Keyword::CellTop},
    {"clvertalc", Keyword::CellCenter}, {"clvertalb", Keyword::CellBottom},
    // borders
    {"clbrdrt", Keyword::CellBorderTop}, {"clbrdrl", Keyword::CellBorderLeft},
    {"clbrdrb", Keyword::CellBorderBottom}, {"clbrdrr", Keyword::CellBorderRight},
    {"trbrdrt", Keyword::OtherBorder}, {"trbrdrb", Keyword::OtherBorder},
    {"trbrdrl", Keyword::OtherBorder}, {"trbrdrr", Keyword::OtherBorder},
    {"trbrdrh", Keyword::OtherBorder}, {"trbrdrv", Keyword::OtherBorder},
    {"brdrt", Keyword::OtherBorder}, {"brdrb", Keyword::OtherBorder},
    {"brdrl", Keyword::OtherBorder}, {"brdrr", Keyword::OtherBorder},
    {"brdrbtw", Keyword::OtherBorder}, {"brdrbar", Keyword::OtherBorder},
    {"box", Keyword::OtherBorder}, {"chbrdr", Keyword::OtherBorder},
    {"pgbrdrt", Keyword::OtherBorder}, {"pgbrdrb", Keyword::OtherBorder},
    {"pgbrdrl", Keyword::OtherBorder}, {"pgbrdrr", Keyword::OtherBorder},
    {"brdrnone", Keyword::BorderNone}, {"brdrnil", Keyword::BorderNone},
    {"brdrw", Keyword::BorderWidth}, {"brdrcf", Keyword::BorderColor},
    // font table, colour table
    {"fcharset", Keyword::Charset}, {"cpg", Keyword::FontCodePage},
    {"red", Keyword::Red}, {"green", Keyword::Green}, {"blue", Keyword::Blue},
    // pictures
    {"pngblip", Keyword::PngBlip}, {"jpegblip", Keyword::JpegBlip},
    {"emfblip", Keyword::OtherPictureKind}, {"wmetafile", Keyword::OtherPictureKind},
    {"macpict", Keyword::OtherPictureKind}, {"pmmetafile", Keyword::OtherPictureKind},
    {"dibitmap", Keyword::OtherPictureKind}, {"wbitmap", Keyword::OtherPictureKind},
    {"picw", Keyword::PictureWidth}, {"pich", Keyword::PictureHeight},
    {"picwgoal", Keyword::PictureGoalWidth}, {"pichgoal", Keyword::PictureGoalHeight},
    {"picscalex", Keyword::PictureScaleX}, {"picscaley", Keyword::PictureScaleY},
};
// clang-format on

const std::vector<Entry>& sortedEntries()
{
    static const std::vector<Entry> sorted = [] {
        std::vector<Entry> all(std::begin(entries), std::end(entries));
        std::sort(all.begin(), all.end());
        return all;
    }();
    return sorted;
}

} // namespace

Keyword lookupKeyword(QByteArrayView name)
{
    const std::string_view key(name.data(), size_t(name.size()));
    const auto& table = sortedEntries();
    const auto it =
        std::lower_bound(table.begin(), table.end(), key,
                         [](const Entry& e, std::string_view k) { return e.first < k; });
    return it != table.end() && it->first == key ? it->second : Keyword::Unknown;
}

std::optional<rtf::BorderStyle> borderStyle(QByteArrayView name)
{
    using rtf::BorderStyle;
    using Style = std::pair<std::string_view, BorderStyle>;
    static constexpr Style styles[] = {
        {"brdrdb", BorderStyle::Double},     {"brdrdot", BorderStyle::Dotted},
        {"brdrdash", BorderStyle::Dashed},   {"brdrdashsm", BorderStyle::Dashed},
        {"brdrdashd", BorderStyle::DotDash}, {"brdrdashdd", BorderStyle::DotDotDash},
        {"brdrengrave", BorderStyle::Inset}, {"brdrinset", BorderStyle::Inset},
        {"brdremboss", BorderStyle::Outset}, {"brdroutset", BorderStyle::Outset},
        {"brdrtriple", BorderStyle::Double}, {"brdrwavydb", BorderStyle::Double},
    };
    if (!name.startsWith("brdr") || name == "brdrsp") // \brdrsp: the space beside a border
        return std::nullopt;
    const std::string_view key(name.data(), size_t(name.size()));
    for (const auto& [word, style] : styles)
        if (key == word)
            return style;
    // The thick-thin families (\brdrthtnsg, \brdrtnthmg, ...) are doubled lines; the other
    // words (\brdrs, \brdrth, \brdrsh, \brdrhair, \brdrwavy, ...) single ones.
    if (name.startsWith("brdrtnth") || name.startsWith("brdrthtn"))
        return BorderStyle::Double;
    return BorderStyle::Solid;
}

} // namespace vemtaro::references
