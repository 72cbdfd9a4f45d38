#pragma once

#include "references/RtfFormatting.h"

#include <QByteArrayView>

#include <optional>

namespace vemtaro::references {

/// The control words that the reader acts on. Words not listed are ignored (their group's
/// text still shows), unless `\*` before them opens their group.
enum class Keyword {
    Unknown,
    // destinations
    SkippedDestination, // a destination whose text is never shown (\info, \stylesheet, ...)
    FontTable,
    ColorTable,
    Picture,
    Field,
    FieldInstruction,
    FieldResult,
    PassThrough, // a destination shown like the body (\shppict, \ud, \pntext, \listtext, ...)
    UnicodePair, // \upr: its first group is the 8-bit version of the second
    // document
    Ansi,
    Mac,
    Pc,
    Pca,
    AnsiCodePage,
    DefaultFont,
    DefaultTab,
    UnicodeSkip,
    Unicode,
    // text
    Paragraph,
    Section,
    Line,
    Tab,
    Page,
    Cell,
    Row,
    NestedCell,
    NestedRow,
    EmDash,
    EnDash,
    EmSpace,
    EnSpace,
    QuarterEmSpace,
    LeftQuote,
    RightQuote,
    LeftDoubleQuote,
    RightDoubleQuote,
    Bullet,
    ZeroWidthJoiner,
    ZeroWidthNonJoiner,
    LeftToRightMark,
    RightToLeftMark,
    // character formatting
    Plain,
    Bold,
    Italic,
    Underline,
    UnderlineDotted,
    UnderlineDash,
    UnderlineDashDot,
    UnderlineDashDotDot,
    UnderlineWave,
    UnderlineNone,
    Strike,
    Superscript,
    Subscript,
    NoSuperSub,
    Font,
    FontSize,
    Foreground,
    Background, // \cb, \chcbpat, \highlight
    Hidden,
    Caps,
    SmallCaps,
    // paragraph formatting
    ParagraphDefault,
    AlignLeft,
    AlignRight,
    AlignCenter,
    AlignJustify,
    LeftIndent,
    RightIndent,
    FirstIndent,
    SpaceBefore,
    SpaceAfter,
    LineSpacing,
    LineSpacingMultiple,
    InTable,
    TableLevel,
    PageBreakBefore,
    RightToLeftParagraph,
    LeftToRightParagraph,
    // tables
    RowDefaults,
    CellRight,
    CellGap,
    RowLeft,
    RowCenter,
    RowRight,
    RowHeight,
    CellShading,
    CellTop,
    CellCenter,
    CellBottom,
    // borders: a side word, then the \brdr words that describe that side
    CellBorderTop,
    CellBorderLeft,
    CellBorderBottom,
    CellBorderRight,
    OtherBorder, // a border of a row, paragraph, character or page: not drawn
    BorderNone,
    BorderWidth,
    BorderColor,
    // font table, colour table
    Charset,
    FontCodePage,
    Red,
    Green,
    Blue,
    // pictures
    PngBlip,
    JpegBlip,
    OtherPictureKind,
    PictureWidth,
    PictureHeight,
    PictureGoalWidth,
    PictureGoalHeight,
    PictureScaleX,
    PictureScaleY,
};

/// The keyword that the control word `name` stands for.
Keyword lookupKeyword(QByteArrayView name);

/// The look that a border style word (\brdrs, \brdrdb, ...) gives a border; none for any
/// other word that lookupKeyword() does not know. Styles Qt cannot draw come as the nearest
/// one it can.
std::optional<rtf::BorderStyle> borderStyle(QByteArrayView name);

} // namespace vemtaro::references
