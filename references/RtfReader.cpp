#include "references/RtfReader.h"

#include "references/CodePage.h"
#include "references/RtfDocumentBuilder.h"
#include "references/RtfKeywords.h"
#include "references/RtfTokenizer.h"

#include <QImage>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>

#include <algorithm>
#include <climits>
#include <utility>

namespace vemtaro::references {

using namespace rtf;

namespace {

// Deeper groups keep no state of their own: their text shows with the formatting of the
// deepest group that has one. Mail bodies come near this; no document goes far beyond it.
constexpr qsizetype maxGroupDepth = 256;
// Distances beyond 22 inches mean nothing on a page; they are cut to keep layout sane.
constexpr int maxTwips = 31680;
constexpr int maxHalfPoints = 3276; // 1638 pt, the largest size word processors offer
constexpr int maxPicturePixels = 4096;
constexpr int maxBorderTwips = 300; // 15 pt, three times the widest border RTF allows

enum class Destination : quint8 { Body, FontTable, ColorTable, Picture, FieldInstruction };

struct GroupState {
    CharProps chr;
    ParaProps para;
    Destination destination = Destination::Body;
    int unicodeSkip = 1;        // \uc: fallback characters after each \u
    bool skipNextGroup = false; // after \upr: the 8-bit twin of the \ud group
};

struct Picture {
    enum class Kind : quint8 { Unknown, Png, Jpeg, Other };
    Kind kind = Kind::Unknown;
    QByteArray data;
    int pendingNibble = -1;
    int width = 0;
    int height = 0;
    int goalWidth = 0;
    int goalHeight = 0;
    int scaleX = 100;
    int scaleY = 100;

    bool wanted() const { return kind == Kind::Png || kind == Kind::Jpeg; }
};

struct Field {
    qsizetype depth; // number of open groups when \field was read
    QString instruction;
};

bool isShownCharacter(char16_t c)
{
    if (c < 0x20)
        return c == u'\t';
    // Paragraph and frame markers would be taken as document structure.
    return c != QChar::ParagraphSeparator && c != 0xFDD0 && c != 0xFDD1 &&
           c != QChar::ObjectReplacementCharacter;
}

// The arguments of a field instruction: quoted texts (with \\ for a backslash) or words.
QStringList fieldArguments(const QString& instruction)
{
    QStringList arguments;
    qsizetype i = 0;
    const qsizetype size = instruction.size();
    while (i < size) {
        while (i < size && instruction.at(i).isSpace())
            ++i;
        if (i >= size)
            break;
        QString argument;
        if (instruction.at(i) == u'"') {
            for (++i; i < size && instruction.at(i) != u'"'; ++i) {
                if (instruction.at(i) == u'\\' && i + 1 < size && instruction.at(i + 1) == u'\\')
                    ++i;
                argument.append(instruction.at(i));
            }
            ++i;
        } else {
            for (; i < size && !instruction.at(i).isSpace(); ++i)
                argument.append(instruction.at(i));
        }
        arguments.append(argument);
    }
    return arguments;
}

// The link target of a HYPERLINK field, or an empty text for any other field.
QString hyperlinkTarget(const QString& instruction)
{
    const QStringList arguments = fieldArguments(instruction);
    if (arguments.isEmpty() || arguments.first().compare(u"HYPERLINK", Qt::CaseInsensitive) != 0)
        return {};
    QString address;
    QString location;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument.size() == 2 && argument.startsWith(u'\\')) {
            const QChar option = argument.at(1).toLower();
            if (option == u'l' && i + 1 < arguments.size())
                location = arguments.at(++i);
            else if (option == u'o' || option == u't')
                ++i; // tool tip, target frame: nothing to show
        } else if (address.isEmpty()) {
            address = argument;
        }
    }
    if (location.isEmpty())
        return address;
    return address + u'#' + location;
}

class Reader {
public:
    Reader(QByteArrayView rtf, QTextDocument& document)
        : tokens_(rtf), document_(document), builder_(document, tables_)
    {
    }

    void read();

private:
    GroupState& state() { return groups_.back(); }

    /// Returns false when the group was skipped instead.
    bool openGroup();
    void closeGroup();
    void skipGroup();
    void onText(QByteArrayView bytes);
    void onBinary(QByteArrayView bytes);
    void onSymbol(unsigned char symbol, bool atGroupStart);
    void onWord(const RtfTokenizer::Token& token);
    void onDestination(Keyword keyword);
    void onTableWord(Keyword keyword, const RtfTokenizer::Token& token);
    /// The code page of `\'hh` bytes in fonts without a charset of their own.
    void setDocumentCodePage(int codePage)
    {
        documentCodePage_ = codePage;
        cachedFont_ = INT_MIN; // the current font's decoder depends on it
    }
    bool consumeSkipped(qsizetype count);

    QString* textTarget();
    int codePageForText();
    void decodeText(QByteArrayView bytes);
    void appendCharacter(char16_t c);
    void appendCodePoint(int value);
    void flushPending();

    void defineFont(int number);
    void commitFontName();
    void commitColor();
    void addPictureHex(QByteArrayView hex);
    void finishPicture(const CharProps& chr);
    void endParagraph(bool pageBreakAfter);
    void setDefaultTabStop(int twips);

    RtfTokenizer tokens_;
    QTextDocument& document_;
    DocumentTables tables_;
    DocumentBuilder builder_;
    CodePageDecoder decoder_;
    std::vector<GroupState> groups_;
    GroupState lastState_; // the outermost group's state once it has closed

    int documentCodePage_ = 1252;
    int defaultFont_ = -1;
    int cachedFont_ = INT_MIN;
    int cachedCodePage_ = 1252;
    qsizetype excessDepth_ = 0;   // groups open beyond maxGroupDepth
    qsizetype skipRemaining_ = 0; // fallback characters of the last \u still to skip
    bool groupJustOpened_ = false;
    bool starPending_ = false; // \* read first in a group: the next control word must be known
    char16_t pendingHighSurrogate_ = 0;

    int fontBeingDefined_ = -1;
    QString fontName_;
    int red_ = 0;
    int green_ = 0;
    int blue_ = 0;
    bool colorHasComponent_ = false;

    RowDefinition row_;
    CellDefinition nextCell_;
    BorderLine* border_ = nullptr; // the cell side that \brdr words describe, if any

    Picture picture_;
    std::vector<Field> fields_;
};

void Reader::read()
{
    tokens_.next(); // the opening brace, checked by the caller
    setDefaultTabStop(720);
    groups_.emplace_back();
    for (;;) {
        const RtfTokenizer::Token token = tokens_.next();
        const bool atGroupStart = std::exchange(groupJustOpened_, false);
        switch (token.kind) {
        case RtfTokenizer::Kind::End:
            while (!groups_.empty())
                closeGroup();
            builder_.finish(lastState_.para, lastState_.chr);
            return;
        case RtfTokenizer::Kind::GroupOpen:
            groupJustOpened_ = openGroup();
            break;
        case RtfTokenizer::Kind::GroupClose:
            closeGroup();
            if (groups_.empty()) {
                builder_.finish(lastState_.para, lastState_.chr);
                return;
            }
            break;
        case RtfTokenizer::Kind::Text:
            onText(token.bytes);
            break;
        case RtfTokenizer::Kind::HexByte: {
            const char byte = char(token.value);
            onText(QByteArrayView(&byte, 1));
            break;
        }
        case RtfTokenizer::Kind::Binary:
            onBinary(token.bytes);
            break;
        case RtfTokenizer::Kind::ControlSymbol:
            onSymbol(token.value, atGroupStart);
            break;
        case RtfTokenizer::Kind::ControlWord:
            onWord(token);
            break;
        }
    }
}

bool Reader::openGroup()
{
    skipRemaining_ = 0;
    starPending_ = false;
    flushPending();
    if (state().skipNextGroup) {
        state().skipNextGroup = false;
        tokens_.skipGroup();
        return false;
    }
    if (groups_.size() >= maxGroupDepth) {
        ++excessDepth_;
        return true;
    }
    groups_.push_back(groups_.back());
    state().skipNextGroup = false;
    return true;
}

void Reader::closeGroup()
{
    skipRemaining_ = 0;
    starPending_ = false;
    flushPending();
    if (excessDepth_ > 0) {
        --excessDepth_;
        return;
    }
    const GroupState& closing = groups_.back();
    const bool parentIsPicture =
        groups_.size() > 1 && groups_[groups_.size() - 2].destination == Destination::Picture;
    if (closing.destination == Destination::Picture && !parentIsPicture)
        finishPicture(closing.chr);
    if (closing.destination == Destination::FontTable)
        commitFontName();
    if (!fields_.empty() && fields_.back().depth == qsizetype(groups_.size()))
        fields_.pop_back();
    if (groups_.size() == 1)
        lastState_ = closing;
    groups_.pop_back();
}

// The rest of the current group is of no use: skip it without looking inside.
void Reader::skipGroup()
{
    tokens_.skipGroup();
    closeGroup();
}

bool Reader::consumeSkipped(qsizetype count)
{
    if (skipRemaining_ <= 0)
        return false;
    skipRemaining_ -= std::min(count, skipRemaining_);
    return true;
}

void Reader::onText(QByteArrayView bytes)
{
    if (skipRemaining_ > 0) {
        const qsizetype skipped = std::min(skipRemaining_, bytes.size());
        skipRemaining_ -= skipped;
        bytes = bytes.sliced(skipped);
        if (bytes.isEmpty())
            return;
    }
    switch (state().destination) {
    case Destination::Picture:
        addPictureHex(bytes);
        return;
    case Destination::ColorTable:
        for (const char c : bytes)
            if (c == ';')
                commitColor();
        return;
    case Destination::FontTable:
        while (!bytes.isEmpty()) {
            const qsizetype end = bytes.indexOf(';');
            decodeText(end < 0 ? bytes : bytes.first(end));
            if (end < 0)
                return;
            commitFontName();
            bytes = bytes.sliced(end + 1);
        }
        return;
    case Destination::Body:
    case Destination::FieldInstruction:
        decodeText(bytes);
        return;
    }
}

void Reader::onBinary(QByteArrayView bytes)
{
    if (consumeSkipped(1))
        return;
    if (state().destination == Destination::Picture && picture_.wanted()) {
        picture_.data.append(bytes);
        picture_.pendingNibble = -1;
    }
}

void Reader::onSymbol(unsigned char symbol, bool atGroupStart)
{
    if (symbol == '\\' || symbol == '{' || symbol == '}') {
        const char byte = char(symbol);
        onText(QByteArrayView(&byte, 1));
        return;
    }
    if (consumeSkipped(1))
        return;
    flushPending();
    switch (symbol) {
    case '*':
        // Only first in its group does \* mark the group as a destination.
        starPending_ = atGroupStart;
        return;
    case '~':
        appendCharacter(QChar::Nbsp);
        break;
    case '-':
        appendCharacter(QChar::SoftHyphen);
        break;
    case '_':
        appendCharacter(u'\u2011'); // non-breaking hyphen
        break;
    case '\n':
    case '\r':
        endParagraph(false);
        break;
    default:
        break;
    }
    starPending_ = false;
}

void Reader::onWord(const RtfTokenizer::Token& token)
{
    if (consumeSkipped(1))
        return;
    const Keyword keyword = lookupKeyword(token.bytes);
    if (keyword != Keyword::Unicode)
        flushPending();
    if (starPending_) {
        starPending_ = false;
        const bool knownDestination =
            keyword == Keyword::SkippedDestination || keyword == Keyword::FontTable ||
            keyword == Keyword::ColorTable || keyword == Keyword::Picture ||
            keyword == Keyword::Field || keyword == Keyword::FieldInstruction ||
            keyword == Keyword::FieldResult || keyword == Keyword::PassThrough ||
            keyword == Keyword::UnicodePair;
        if (!knownDestination && groups_.size() > 1) {
            skipGroup();
            return;
        }
    }

    const int n = token.parameter;
    const bool on = !token.hasParameter || n != 0;
    GroupState& s = state();
    CharProps& chr = s.chr;
    ParaProps& para = s.para;
    switch (keyword) {
    case Keyword::Unknown:
        if (border_)
            if (const auto style = borderStyle(token.bytes))
                border_->style = *style;
        break;
    case Keyword::SkippedDestination:
    case Keyword::FontTable:
    case Keyword::ColorTable:
    case Keyword::Picture:
    case Keyword::Field:
    case Keyword::FieldInstruction:
    case Keyword::FieldResult:
    case Keyword::PassThrough:
    case Keyword::UnicodePair:
        onDestination(keyword);
        break;

    case Keyword::Ansi:
        setDocumentCodePage(1252);
        break;
    case Keyword::Mac:
        setDocumentCodePage(10000);
        break;
    case Keyword::Pc:
        setDocumentCodePage(437);
        break;
    case Keyword::Pca:
        setDocumentCodePage(850);
        break;
    case Keyword::AnsiCodePage:
        if (n > 0)
            setDocumentCodePage(n);
        break;
    case Keyword::DefaultFont:
        defaultFont_ = n;
        if (chr.font < 0)
            chr.font = n;
        break;
    case Keyword::DefaultTab:
        setDefaultTabStop(n);
        break;
    case Keyword::UnicodeSkip:
        s.unicodeSkip = std::max(n, 0);
        break;
    case Keyword::Unicode:
        if (token.hasParameter) {
            appendCodePoint(n);
            skipRemaining_ = state().unicodeSkip;
        }
        break;

    case Keyword::Paragraph:
    case Keyword::Section:
        endParagraph(false);
        break;
    case Keyword::Page:
        endParagraph(true);
        break;
    case Keyword::NestedCell:
        // A nested table is flattened: each of its cells becomes a paragraph of the outer cell.
        if (s.destination == Destination::Body) {
            ParaProps inCell = para;
            inCell.inTable = true;
            builder_.endParagraph(inCell, chr, false);
        }
        break;
    case Keyword::NestedRow:
        break;
    case Keyword::Cell:
        if (s.destination == Destination::Body)
            builder_.endCell(para, chr);
        break;
    case Keyword::Row:
        if (s.destination == Destination::Body)
            builder_.endRow(para, chr, row_);
        break;
    case Keyword::Line:
        appendCharacter(QChar::LineSeparator);
        break;
    case Keyword::Tab:
        appendCharacter(u'\t');
        break;
    case Keyword::EmDash:
        appendCharacter(u'\u2014');
        break;
    case Keyword::EnDash:
        appendCharacter(u'\u2013');
        break;
    case Keyword::EmSpace:
        appendCharacter(u'\u2003');
        break;
    case Keyword::EnSpace:
        appendCharacter(u'\u2002');
        break;
    case Keyword::QuarterEmSpace:
        appendCharacter(u'\u2005');
        break;
    case Keyword::LeftQuote:
        appendCharacter(u'\u2018');
        break;
    case Keyword::RightQuote:
        appendCharacter(u'\u2019');
        break;
    case Keyword::LeftDoubleQuote:
        appendCharacter(u'\u201C');
        break;
    case Keyword::RightDoubleQuote:
        appendCharacter(u'\u201D');
        break;
    case Keyword::Bullet:
        appendCharacter(u'\u2022');
        break;
    case Keyword::ZeroWidthJoiner:
        appendCharacter(u'\u200D');
        break;
    case Keyword::ZeroWidthNonJoiner:
        appendCharacter(u'\u200C');
        break;
    case Keyword::LeftToRightMark:
        appendCharacter(u'\u200E');
        break;
    case Keyword::RightToLeftMark:
        appendCharacter(u'\u200F');
        break;

    case Keyword::Plain: {
        const int link = chr.link; // a link is the field's, not a character property
        chr = CharProps();
        chr.font = defaultFont_;
        chr.link = link;
        break;
    }
    case Keyword::Bold:
        chr.bold = on;
        break;
    case Keyword::Italic:
        chr.italic = on;
        break;
    case Keyword::Underline:
        chr.underline = on ? UnderlineStyle::Single : UnderlineStyle::None;
        break;
    case Keyword::UnderlineDotted:
        chr.underline = on ? UnderlineStyle::Dotted : UnderlineStyle::None;
        break;
    case Keyword::UnderlineDash:
        chr.underline = on ? UnderlineStyle::Dash : UnderlineStyle::None;
        break;
    case Keyword::UnderlineDashDot:
        chr.underline = on ? UnderlineStyle::DashDot : UnderlineStyle::None;
        break;
    case Keyword::UnderlineDashDotDot:
        chr.underline = on ? UnderlineStyle::DashDotDot : UnderlineStyle::None;
        break;
    case Keyword::UnderlineWave:
        chr.underline = on ? UnderlineStyle::Wave : UnderlineStyle::None;
        break;
    case Keyword::UnderlineNone:
        chr.underline = UnderlineStyle::None;
        break;
    case Keyword::Strike:
        chr.strike = on;
        break;
    case Keyword::Superscript:
        chr.vertical = on ? VerticalPosition::Superscript : VerticalPosition::Normal;
        break;
    case Keyword::Subscript:
        chr.vertical = on ? VerticalPosition::Subscript : VerticalPosition::Normal;
        break;
    case Keyword::NoSuperSub:
        chr.vertical = VerticalPosition::Normal;
        break;
    case Keyword::Font:
        if (!token.hasParameter)
            break;
        if (s.destination == Destination::FontTable)
            defineFont(n);
        else
            chr.font = n;
        break;
    case Keyword::FontSize:
        chr.halfPoints = n > 0 ? std::min(n, maxHalfPoints) : 24;
        break;
    case Keyword::Foreground:
        chr.foreground = std::max(n, 0);
        break;
    case Keyword::Background:
        chr.background = std::max(n, 0);
        break;
    case Keyword::Hidden:
        chr.hidden = on;
        break;
    case Keyword::Caps:
        chr.capitals = on ? Capitals::All : Capitals::Normal;
        break;
    case Keyword::SmallCaps:
        chr.capitals = on ? Capitals::Small : Capitals::Normal;
        break;

    case Keyword::ParagraphDefault:
        para = ParaProps();
        break;
    case Keyword::AlignLeft:
        para.alignment = Alignment::Left;
        break;
    case Keyword::AlignRight:
        para.alignment = Alignment::Right;
        break;
    case Keyword::AlignCenter:
        para.alignment = Alignment::Center;
        break;
    case Keyword::AlignJustify:
        para.alignment = Alignment::Justify;
        break;
    case Keyword::LeftIndent:
        para.leftIndent = std::clamp(n, -maxTwips, maxTwips);
        break;
    case Keyword::RightIndent:
        para.rightIndent = std::clamp(n, -maxTwips, maxTwips);
        break;
    case Keyword::FirstIndent:
        para.firstIndent = std::clamp(n, -maxTwips, maxTwips);
        break;
    case Keyword::SpaceBefore:
        para.spaceBefore = std::clamp(n, 0, maxTwips);
        break;
    case Keyword::SpaceAfter:
        para.spaceAfter = std::clamp(n, 0, maxTwips);
        break;
    case Keyword::LineSpacing:
        para.lineSpacing = std::clamp(n, -maxTwips, maxTwips);
        break;
    case Keyword::LineSpacingMultiple:
        para.lineSpacingMultiple = on;
        break;
    case Keyword::InTable:
        para.inTable = true;
        break;
    case Keyword::TableLevel:
        para.inTable = n > 0;
        break;
    case Keyword::PageBreakBefore:
        para.pageBreakBefore = on;
        break;
    case Keyword::RightToLeftParagraph:
        para.rightToLeft = true;
        break;
    case Keyword::LeftToRightParagraph:
        para.rightToLeft = false;
        break;

    case Keyword::RowDefaults:
    case Keyword::CellRight:
    case Keyword::CellGap:
    case Keyword::RowLeft:
    case Keyword::RowCenter:
    case Keyword::RowRight:
    case Keyword::RowHeight:
    case Keyword::CellShading:
    case Keyword::CellTop:
    case Keyword::CellCenter:
    case Keyword::CellBottom:
    case Keyword::CellBorderTop:
    case Keyword::CellBorderLeft:
    case Keyword::CellBorderBottom:
    case Keyword::CellBorderRight:
    case Keyword::OtherBorder:
    case Keyword::BorderNone:
    case Keyword::BorderWidth:
    case Keyword::BorderColor:
        onTableWord(keyword, token);
        break;

    case Keyword::Charset:
        if (s.destination == Destination::FontTable && fontBeingDefined_ >= 0) {
            tables_.fonts[fontBeingDefined_].codePage = codePageForCharset(n);
            cachedFont_ = INT_MIN;
        }
        break;
    case Keyword::FontCodePage:
        if (s.destination == Destination::FontTable && fontBeingDefined_ >= 0 && n > 0) {
            tables_.fonts[fontBeingDefined_].codePage = n;
            cachedFont_ = INT_MIN;
        }
        break;
    case Keyword::Red:
        red_ = std::clamp(n, 0, 255);
        colorHasComponent_ = true;
        break;
    case Keyword::Green:
        green_ = std::clamp(n, 0, 255);
        colorHasComponent_ = true;
        break;
    case Keyword::Blue:
        blue_ = std::clamp(n, 0, 255);
        colorHasComponent_ = true;
        break;

    case Keyword::PngBlip:
        picture_.kind = Picture::Kind::Png;
        break;
    case Keyword::JpegBlip:
        picture_.kind = Picture::Kind::Jpeg;
        break;
    case Keyword::OtherPictureKind:
        picture_.kind = Picture::Kind::Other;
        break;
    case Keyword::PictureWidth:
        picture_.width = n;
        break;
    case Keyword::PictureHeight:
        picture_.height = n;
        break;
    case Keyword::PictureGoalWidth:
        picture_.goalWidth = n;
        break;
    case Keyword::PictureGoalHeight:
        picture_.goalHeight = n;
        break;
    case Keyword::PictureScaleX:
        picture_.scaleX = std::clamp(n, 1, 1000);
        break;
    case Keyword::PictureScaleY:
        picture_.scaleY = std::clamp(n, 1, 1000);
        break;
    }
}

void Reader::onDestination(Keyword keyword)
{
    if (groups_.size() < 2)
        return; // a destination needs a group of its own, never the whole document
    if (excessDepth_ > 0) {
        // Past the nesting cap the group has no state to hold a destination: one whose text
        // is shown shows it as body text, any other is skipped.
        const bool shown = keyword == Keyword::Field || keyword == Keyword::FieldResult ||
                           keyword == Keyword::PassThrough || keyword == Keyword::UnicodePair;
        if (!shown)
            skipGroup();
        return;
    }
    GroupState& s = state();
    const bool inBody = s.destination == Destination::Body;
    switch (keyword) {
    case Keyword::SkippedDestination:
        skipGroup();
        return;
    case Keyword::FontTable:
        s.destination = Destination::FontTable;
        fontBeingDefined_ = -1;
        fontName_.clear();
        return;
    case Keyword::ColorTable:
        s.destination = Destination::ColorTable;
        tables_.colors.clear();
        colorHasComponent_ = false;
        red_ = green_ = blue_ = 0;
        return;
    case Keyword::Picture:
        if (s.destination == Destination::Picture)
            return;
        if (!inBody) {
            skipGroup();
            return;
        }
        s.destination = Destination::Picture;
        picture_ = Picture();
        return;
    case Keyword::Field:
        if (inBody)
            fields_.push_back({qsizetype(groups_.size()), QString()});
        return;
    case Keyword::FieldInstruction:
        if (!inBody || fields_.empty()) {
            skipGroup();
            return;
        }
        s.destination = Destination::FieldInstruction;
        return;
    case Keyword::FieldResult:
        if (inBody && !fields_.empty()) {
            const QString target = hyperlinkTarget(fields_.back().instruction);
            if (!target.isEmpty()) {
                s.chr.link = int(tables_.links.size());
                tables_.links.append(target);
            }
        }
        return;
    case Keyword::UnicodePair:
        s.skipNextGroup = true;
        return;
    default:
        return;
    }
}

void Reader::onTableWord(Keyword keyword, const RtfTokenizer::Token& token)
{
    const int n = token.parameter;
    const auto describeSide = [this](BorderSide side) {
        border_ = &nextCell_.border(side);
        *border_ = BorderLine();
    };
    switch (keyword) {
    case Keyword::RowDefaults:
        row_ = RowDefinition();
        nextCell_ = CellDefinition();
        border_ = nullptr;
        break;
    case Keyword::CellRight:
        nextCell_.right = std::clamp(n, -maxTwips, maxTwips);
        if (row_.cells.size() < size_t(DocumentBuilder::maxColumns))
            row_.cells.push_back(nextCell_);
        nextCell_ = CellDefinition();
        border_ = nullptr;
        break;
    case Keyword::CellGap:
        row_.gap = std::clamp(n, 0, maxTwips);
        break;
    case Keyword::RowLeft:
        row_.left = std::clamp(n, -maxTwips, maxTwips);
        break;
    case Keyword::RowCenter:
        row_.alignment = Alignment::Center;
        break;
    case Keyword::RowRight:
        row_.alignment = Alignment::Right;
        break;
    case Keyword::RowHeight:
        row_.height = std::clamp(n, -maxTwips, maxTwips);
        break;
    case Keyword::CellShading:
        nextCell_.shading = std::max(n, 0);
        break;
    case Keyword::CellTop:
        nextCell_.alignment = CellAlignment::Top;
        break;
    case Keyword::CellCenter:
        nextCell_.alignment = CellAlignment::Center;
        break;
    case Keyword::CellBottom:
        nextCell_.alignment = CellAlignment::Bottom;
        break;
    case Keyword::CellBorderTop:
        describeSide(BorderSide::Top);
        break;
    case Keyword::CellBorderLeft:
        describeSide(BorderSide::Left);
        break;
    case Keyword::CellBorderBottom:
        describeSide(BorderSide::Bottom);
        break;
    case Keyword::CellBorderRight:
        describeSide(BorderSide::Right);
        break;
    case Keyword::OtherBorder:
        border_ = nullptr;
        break;
    case Keyword::BorderNone:
        if (border_)
            border_->style = BorderStyle::None;
        break;
    case Keyword::BorderWidth:
        if (border_)
            border_->width = std::clamp(n, 0, maxBorderTwips);
        break;
    case Keyword::BorderColor:
        if (border_)
            border_->color = std::max(n, 0);
        break;
    default:
        break;
    }
}

QString* Reader::textTarget()
{
    GroupState& s = state();
    switch (s.destination) {
    case Destination::Body:
        return s.chr.hidden ? nullptr : &builder_.text(s.chr);
    case Destination::FieldInstruction:
        return fields_.empty() ? nullptr : &fields_.back().instruction;
    case Destination::FontTable:
        return &fontName_;
    case Destination::ColorTable:
    case Destination::Picture:
        break;
    }
    return nullptr;
}

int Reader::codePageForText()
{
    const bool naming = state().destination == Destination::FontTable;
    const int font = naming ? fontBeingDefined_ : state().chr.font;
    if (font != cachedFont_) {
        cachedFont_ = font;
        const auto entry = tables_.fonts.constFind(font);
        cachedCodePage_ = entry != tables_.fonts.constEnd() && entry->codePage != 0
                              ? entry->codePage
                              : documentCodePage_;
    }
    // A symbol font's own name is written in letters.
    return naming && isSymbolCodePage(cachedCodePage_) ? documentCodePage_ : cachedCodePage_;
}

void Reader::decodeText(QByteArrayView bytes)
{
    QString* target = textTarget();
    if (!target)
        return;
    if (pendingHighSurrogate_) {
        target->append(QChar::ReplacementCharacter);
        pendingHighSurrogate_ = 0;
    }
    decoder_.setCodePage(codePageForText(), *target);
    decoder_.decode(bytes, *target);
}

void Reader::appendCharacter(char16_t c)
{
    if (!isShownCharacter(c))
        return;
    QString* target = textTarget();
    if (!target)
        return;
    if (QChar::isLowSurrogate(c)) {
        if (pendingHighSurrogate_)
            target->append(QChar(pendingHighSurrogate_)).append(QChar(c));
        else
            target->append(QChar::ReplacementCharacter);
        pendingHighSurrogate_ = 0;
        return;
    }
    if (pendingHighSurrogate_)
        target->append(QChar::ReplacementCharacter);
    pendingHighSurrogate_ = 0;
    if (QChar::isHighSurrogate(c))
        pendingHighSurrogate_ = c; // waits for its low half, the next \u
    else
        target->append(QChar(c));
}

void Reader::appendCodePoint(int value)
{
    if (value < 0)
        value += 0x10000; // \u takes a signed 16-bit number
    // In a symbol font a character stands for the byte it ends in, as Windows draws it:
    // Word writes the Symbol font's bullet, byte B7, as U+F0B7.
    const bool symbolByte =
        (value >= 0x20 && value <= 0xFF) || (value >= 0xF020 && value <= 0xF0FF);
    if (symbolByte && isSymbolCodePage(codePageForText()))
        value = int(symbolCharacter(codePageForText(), static_cast<unsigned char>(value)));
    if (value < 0) {
        appendCharacter(QChar::ReplacementCharacter);
    } else if (value <= 0xFFFF) {
        appendCharacter(char16_t(value));
    } else if (value <= 0x10FFFF) {
        appendCharacter(QChar::highSurrogate(char32_t(value)));
        appendCharacter(QChar::lowSurrogate(char32_t(value)));
    } else {
        appendCharacter(QChar::ReplacementCharacter);
    }
}

// A lead byte or a high surrogate whose other half did not come is shown as U+FFFD.
void Reader::flushPending()
{
    if (!decoder_.hasPendingByte() && !pendingHighSurrogate_)
        return;
    QString discarded;
    QString* target = textTarget();
    if (!target)
        target = &discarded;
    decoder_.flush(*target);
    if (pendingHighSurrogate_)
        target->append(QChar::ReplacementCharacter);
    pendingHighSurrogate_ = 0;
}

void Reader::defineFont(int number)
{
    commitFontName();
    // A negative number would stand for "no font" in the text: such a font is not kept.
    fontBeingDefined_ = number >= 0 ? number : -1;
    if (number >= 0)
        tables_.fonts[number] = FontEntry();
    cachedFont_ = INT_MIN;
}

void Reader::commitFontName()
{
    const QString name = fontName_.trimmed();
    fontName_.clear();
    if (fontBeingDefined_ < 0 || name.isEmpty())
        return;
    FontEntry& font = tables_.fonts[fontBeingDefined_];
    font.family = name;
    if (const int symbols = codePageForFontName(name))
        font.codePage = symbols;
    cachedFont_ = INT_MIN;
}

void Reader::commitColor()
{
    tables_.colors.push_back(colorHasComponent_ ? QColor(red_, green_, blue_) : QColor());
    colorHasComponent_ = false;
    red_ = green_ = blue_ = 0;
}

void Reader::addPictureHex(QByteArrayView hex)
{
    if (!picture_.wanted())
        return;
    for (const char c : hex) {
        const int value = hexValue(c);
        if (value < 0)
            continue;
        if (picture_.pendingNibble < 0) {
            picture_.pendingNibble = value;
        } else {
            picture_.data.append(char(picture_.pendingNibble * 16 + value));
            picture_.pendingNibble = -1;
        }
    }
}

void Reader::finishPicture(const CharProps& chr)
{
    Picture picture = std::move(picture_);
    picture_ = Picture();
    if (!picture.wanted() || picture.data.isEmpty())
        return;
    QImage image;
    if (!image.loadFromData(picture.data, picture.kind == Picture::Kind::Png ? "PNG" : "JPG"))
        return;
    const auto size = [](int goal, int natural, int scale) {
        const double pixels = (goal > 0 ? twipsToPixels(goal) : natural) * scale / 100.0;
        return qRound(std::clamp(pixels, 1.0, double(maxPicturePixels)));
    };
    const QString name = QStringLiteral("rtfimage:%1").arg(tables_.images.size());
    document_.addResource(QTextDocument::ImageResource, QUrl(name), image);
    QTextImageFormat format;
    format.setName(name);
    format.setWidth(size(picture.goalWidth, image.width(), picture.scaleX));
    format.setHeight(size(picture.goalHeight, image.height(), picture.scaleY));
    tables_.images.push_back(format);
    if (!chr.hidden)
        builder_.addImage(int(tables_.images.size() - 1), chr);
}

void Reader::endParagraph(bool pageBreakAfter)
{
    if (state().destination == Destination::Body)
        builder_.endParagraph(state().para, state().chr, pageBreakAfter);
}

void Reader::setDefaultTabStop(int twips)
{
    QTextOption option = document_.defaultTextOption();
    option.setTabStopDistance(twipsToPixels(std::clamp(twips, 15, maxTwips)));
    document_.setDefaultTextOption(option);
}

} // namespace

bool looksLikeRtf(QByteArrayView data)
{
    qsizetype i = 0;
    while (i < data.size() &&
           (data[i] == ' ' || data[i] == '\t' || data[i] == '\r' || data[i] == '\n'))
        ++i;
    return data.sliced(i).startsWith("{\\rtf");
}

bool readRtf(QByteArrayView rtf, QTextDocument& document)
{
    document.clear();
    if (!looksLikeRtf(rtf))
        return false;
    const bool undo = document.isUndoRedoEnabled();
    document.setUndoRedoEnabled(false);
    // One edit block for the whole document: the layout then runs once at the end instead
    // of after every insertion.
    QTextCursor editBlock(&document);
    editBlock.beginEditBlock();
    Reader(rtf.sliced(rtf.indexOf('{')), document).read();
    editBlock.endEditBlock();
    document.setUndoRedoEnabled(undo);
    return true;
}

} // namespace vemtaro::references
