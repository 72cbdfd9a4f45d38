// What the RTF reader makes of formatting, structure, code pages, Unicode, tables,
// pictures, links and skipped destinations, and of broken, hostile and truncated RTF, of which
// it shows what it could read and returns.
#include "RtfTestSupport.h"

#include "references/RtfReader.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <QTest>
#include <QTextFrame>
#include <QTextImageFormat>
#include <QTextTable>

using namespace vemtaro::references;
using namespace vemtaro::references::test;

namespace {

/// A document header with fonts 0 Arial (default), 1 Courier New, and colours 1 red,
/// 2 yellow, 3 blue; `body` follows it, and the closing brace.
QByteArray withHeader(const QByteArray& body)
{
    return "{\\rtf1\\ansi\\ansicpg1252\\deff0"
           "{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1\\fmodern\\fcharset0 Courier New;}}"
           "{\\colortbl;\\red255\\green0\\blue0;\\red255\\green255\\blue0;\\red0\\green0\\blue255;}"
           "\n" +
           body + "}";
}

/// The document's text, one line a paragraph, each table drawn in place as
/// "[cell|cell / cell|cell]" (rows split by " / "). Qt keeps an empty paragraph before a
/// table that starts the document and after one that ends it.
QString outline(const QTextDocument& document)
{
    QStringList lines;
    for (auto it = document.rootFrame()->begin(); !it.atEnd(); ++it) {
        if (auto* table = qobject_cast<QTextTable*>(it.currentFrame())) {
            QStringList rows;
            for (int row = 0; row < table->rows(); ++row) {
                QStringList cells;
                for (int column = 0; column < table->columns(); ++column)
                    cells << cellText(table, row, column);
                rows << cells.join(u'|');
            }
            lines << u'[' + rows.join(QStringLiteral(" / ")) + u']';
        } else if (it.currentBlock().isValid()) {
            lines << it.currentBlock().text();
        }
    }
    return lines.join(u'\n');
}

QByteArray imageBytes(const char* format, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

/// A row of a table of RTF documents: `rtf` that is no whole document gets withHeader().
void row(const char* name, const QByteArray& rtf, const QString& expected)
{
    QTest::newRow(name) << (rtf.startsWith("{\\rtf") ? rtf : withHeader(rtf)) << expected;
}

// Alignment (unless left), the margins that are set, tab stops, and the document's default
// tab distance when it is not RTF's half inch, of the paragraph holding "word".
QString describeParagraph(const QTextDocument& document)
{
    const QTextBlockFormat format = document.find(QStringLiteral("word")).blockFormat();
    QStringList words;
    const Qt::Alignment alignment = format.alignment() & Qt::AlignHorizontal_Mask;
    if (alignment != Qt::AlignLeft)
        words << (alignment == Qt::AlignHCenter   ? "centre"
                  : alignment == Qt::AlignRight   ? "right"
                  : alignment == Qt::AlignJustify ? "justify"
                                                  : "other");
    const std::pair<const char*, qreal> margins[] = {{"left", format.leftMargin()},
                                                     {"right", format.rightMargin()},
                                                     {"first", format.textIndent()},
                                                     {"top", format.topMargin()},
                                                     {"bottom", format.bottomMargin()}};
    for (const auto& [name, value] : margins)
        if (value != 0)
            words << QStringLiteral("%1:%2").arg(QLatin1String(name)).arg(value);
    for (const QTextOption::Tab& tab : format.tabPositions())
        words << QStringLiteral("tab:%1").arg(tab.position);
    if (const qreal distance = document.defaultTextOption().tabStopDistance(); distance != 48)
        words << QStringLiteral("deftab:%1").arg(distance);
    return words.join(u' ');
}

// A table cell's padding (left, top, right, bottom), then "side:width:style:colour" for each
// side with a border, its vertical alignment unless top, and its shading.
QString describeCell(QTextTable* table, int row, int column)
{
    const QTextTableCellFormat f = table->cellAt(row, column).format().toTableCellFormat();
    static const char* const styles[] = {"none",   "dotted",  "dashed",     "solid",
                                         "double", "dotdash", "dotdotdash", "groove",
                                         "ridge",  "inset",   "outset"};
    QStringList words{QStringLiteral("pad:%1,%2,%3,%4")
                          .arg(f.leftPadding())
                          .arg(f.topPadding())
                          .arg(f.rightPadding())
                          .arg(f.bottomPadding())};
    const auto side = [&words](const char* name, qreal width, int style, const QBrush& brush) {
        if (width > 0 && style != QTextFrameFormat::BorderStyle_None)
            words << QStringLiteral("%1:%2:%3:%4")
                         .arg(QLatin1String(name))
                         .arg(width)
                         .arg(QLatin1String(styles[style]))
                         .arg(brush.color().name());
    };
    side("top", f.topBorder(), f.topBorderStyle(), f.topBorderBrush());
    side("left", f.leftBorder(), f.leftBorderStyle(), f.leftBorderBrush());
    side("bottom", f.bottomBorder(), f.bottomBorderStyle(), f.bottomBorderBrush());
    side("right", f.rightBorder(), f.rightBorderStyle(), f.rightBorderBrush());
    if (f.verticalAlignment() == QTextCharFormat::AlignMiddle)
        words << QStringLiteral("middle");
    else if (f.verticalAlignment() == QTextCharFormat::AlignBottom)
        words << QStringLiteral("bottom");
    if (f.hasProperty(QTextFormat::BackgroundBrush))
        words << QStringLiteral("bg:") + f.background().color().name();
    return words.join(u' ');
}

/// A group of random RTF that closes again: the reader's own words, braces (now and then past
/// the nesting cap), \bin data, \u and \' escapes and stray bytes.
QByteArray randomGroup(QRandomGenerator& random)
{
    static const QList<QByteArray> words =
        QByteArray("b i0 ul v plain pard par line tab cell row nestcell nestrow trowd intbl itap2 "
                   "sect page fonttbl colortbl pict pngblip field fldinst fldrslt upr ud listtext "
                   "info nonesttables nesttableprops deff0 ansi mac pc red255 clbrdrt brdrs "
                   "brdrw30 brdrcf1 clvertalc bullet emdash nosuchword")
            .split(' ');
    static const QList<QByteArray> numbered =
        QByteArray("u uc f fs cf cellx trrh fcharset ansicpg cpg trgaph li fi").split(' ');
    static const QList<QByteArray> parameters =
        QByteArray("-70000 -3913 -1 0 1 2 77 128 255 932 10001 61623 2147483647").split(' ');
    static const QList<QByteArray> symbols = QByteArray("\\\\ \\{ \\} \\~ \\- \\_ \\*").split(' ');
    const auto any = [&random](const QList<QByteArray>& list) {
        return list.at(random.bounded(int(list.size())));
    };
    QByteArray rtf = "{";
    int depth = 1;
    for (int piece = 0; piece < 100; ++piece) {
        const int kind = random.bounded(12);
        if (kind == 0) {
            const int opened = random.bounded(100) == 0 ? 300 : 1;
            rtf += QByteArray(opened, '{');
            depth += opened;
        } else if (kind == 1 && depth > 1) {
            rtf += '}';
            --depth;
        } else if (kind == 2) {
            rtf += any(symbols);
        } else if (kind <= 4) {
            rtf += '\\' + any(words) + ' ';
        } else if (kind == 5) {
            rtf += '\\' + any(numbered) + any(parameters) + ' ';
        } else if (kind == 6) { // the bytes after \bin are data, braces and backslashes too
            const int count = random.bounded(6);
            rtf += "\\bin" + QByteArray::number(count) + ' ';
            for (int i = 0; i < count; ++i)
                rtf += char(random.bounded(256));
        } else if (kind == 7) { // \' and two hex digits, or one and a blank
            const QByteArray hex = QByteArray::number(random.bounded(16, 256), 16);
            rtf += "\\'" + hex.left(1 + random.bounded(2)) + ' ';
        } else { // text, with bytes past ASCII, but no RTF syntax
            for (int i = random.bounded(1, 9); i > 0; --i) {
                const char byte = char(random.bounded(1, 256));
                rtf += byte == '\\' || byte == '{' || byte == '}' ? 'x' : byte;
            }
        }
    }
    return rtf + QByteArray(depth, '}');
}

} // namespace

class TestRtfReader : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void text_data()
    {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<QString>("expected");

        // Paragraphs and tables.
        row("paragraphs; none after the last \\par",
            "one\\par\\par two\\sect three\\page four\\par", "one\n\ntwo\nthree\nfour");
        row("line break and tab stay in the paragraph", "one\\line two\\tab three",
            "one\u2028two\tthree");
        row("line ends: ignored in text, a paragraph after a backslash",
            "on\ne\r\n two\\\nthree\\\r\nfour", "one two\nthree\nfour");
        row("hidden text", "one{\\v secret} two\\v  gone\\v0 !", "one two!");
        row("list texts as written",
            "{\\pntext\\f0 1.\\tab}{\\*\\pn\\pnlvlbody{\\pntxta .}}first\\par"
            "{\\listtext\\'95\\tab}second",
            "1.\tfirst\n\u2022\tsecond");
        row("unknown words are ignored, their text shows", "\\widctlpar\\nosuchword12 one", "one");
        row("a table between paragraphs",
            "Before\\par\\trowd\\cellx2000\\cellx4000\\cellx6000"
            "\\pard\\intbl A1\\cell A2\\cell two\\par lines\\cell\\row"
            "\\trowd\\cellx2000\\cellx4000\\cellx6000"
            "\\pard\\intbl B1\\cell B2\\cell B3\\cell\\row\\pard After\\par",
            "Before\n[A1|A2|two\nlines / B1|B2|B3]\nAfter");
        row("text between tables",
            "\\trowd\\cellx1000\\intbl a\\cell\\row\\trowd\\cellx1000\\intbl b\\cell\\row"
            "\\pard between\\par\\trowd\\cellx1000\\intbl c\\cell\\row\\pard end",
            "\n[a / b]\nbetween\n[c]\nend");
        row("a nested table, without the copy kept for readers that have none",
            "\\trowd\\cellx4000\\pard\\intbl A\\par\\pard\\intbl\\itap2 n1\\nestcell n2"
            "\\nestcell{\\*\\nesttableprops\\trowd\\cellx1000\\cellx2000\\nestrow}"
            "{\\nonesttables\\par n1\\tab n2\\par}\\pard\\intbl\\itap1 B\\cell\\row\\pard after",
            "\n[A\nn1\nn2\nB]\nafter");
        row("cells without \\row or \\intbl", "first\\cell second\\cell\\pard after",
            "\n[first|second]\nafter");

        // Special characters and skipped destinations.
        row("special characters",
            "\\~\\-\\_\\emdash\\endash\\lquote\\rquote\\ldblquote\\rdblquote\\bullet "
            "\\{\\}\\\\",
            "\u00A0\u00AD\u2011\u2014\u2013\u2018\u2019\u201C\u201D\u2022{}\\");
        row("skipped destinations",
            "[{\\*\\nosuchthing unknown{ x}}{\\*\\b starred}{\\info{\\title info}}"
            "{\\stylesheet{\\s0 style;}}{\\header header}{\\footerr footer}"
            "{\\footnote footnote}{\\*\\atnid id}{\\*\\annotation note}"
            "{\\nonshppict{\\pict\\wmetafile8 0102}fallback}{\\*\\x braces \\} \\{ }]",
            "[]");
        row("\\* marks a destination only first in its group",
            "[{\\*\\nosuch gone}{a \\*\\nosuch b}{\\b\\*\\nosuch c}]", "[a bc]");
        row("field instruction",
            "[{\\field{\\*\\fldinst {\\f1 HYPERLINK }{\"mailto:x@example.com\" \\\\o \"tip\"}"
            "{\\*\\datafield 00ff}}{\\fldrslt link}}]",
            "[link]");

        // Code pages.
        row("1252 accents and eñe, escaped and raw",
            "{\\rtf1\\ansi\\ansicpg1252 Espa\\'f1a: cami\\'f3n, \\'bfqu\\'e9? "
            "\\'c1\\'c9\\'cd\\'d3\\'da\\'d1\\'fc \\'80 Espa\xf1"
            "a}",
            "España: camión, ¿qué? ÁÉÍÓÚÑü € España");
        row("\\ansicpg1251", "{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0\\'e8}", "При");
        row("font charset 238 reads 1250, then back",
            "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset238 Arial CE;}}"
            "\\'e8{\\f1 \\'e8}\\'e8}",
            "èčè");
        row("\\cpg of a font", "{\\rtf1\\ansi{\\fonttbl{\\f1\\cpg1253 G;}}\\f1 \\'e1}", "α");
        row("\\mac", "{\\rtf1\\mac Espa\\'96a, cami\\'97n}", "España, camión");
        row("Mac code pages: \\ansicpg10001 and the Mac charsets",
            "{\\rtf1\\ansi\\ansicpg10001{\\fonttbl{\\f0 Osaka;}{\\f1\\fcharset77 Times;}"
            "{\\f2\\fcharset85 G;}{\\f3\\fcharset89 C;}{\\f4\\fcharset88 E;}"
            "{\\f5\\fcharset86 T;}{\\f6\\fcharset78 J;}{\\f7\\fcharset0 A;}}\\f0 \\'93\\'fa"
            "{\\f1 \\'a5\\'8e}{\\f2 \\'e1}{\\f3 \\'80}{\\f4 \\'88}{\\f5 \\'da}{\\f6 \\'96\\'7b}"
            "{\\f7 \\'a5}}",
            "日\u2022éαАąĞ本¥");
        row("\\pc (437)", "{\\rtf1\\pc Espa\\'a4a}", "España");
        row("\\pca (850)", "{\\rtf1\\pca \\'a5\\'b5}", "ÑÁ");
        row("double-byte charsets: Shift-JIS, Korean, Big5, GBK",
            "{\\rtf1\\ansi{\\fonttbl{\\f1\\fcharset128 J;}{\\f2\\fcharset129 K;}"
            "{\\f3\\fcharset136 T;}{\\f4\\fcharset134 S;}}{\\f1 \\'93\\'fa\\'96\\'7b\\'83@ ok}"
            "{\\f2 \\'b0\\'a1}{\\f3 \\'a4\\'a4}{\\f4 \\'d6\\'d0\\'ce\\'c4}}",
            "日本ァ ok가中中文");
        row("lead byte cut by a font change, or before an invalid trail byte",
            "{\\rtf1\\ansi{\\fonttbl{\\f0 A;}{\\f1\\fcharset128 J;}}{\\f1 \\'93}x{\\f1 "
            "\\'93 x}}",
            "\uFFFDx\uFFFD x");
        row("control bytes are dropped", "{\\rtf1\\ansi a\\'00\\'07\\'1fb\\'09c}", "ab\tc");

        // Unicode and its fallbacks.
        row("\\u with a fallback, a hex one counting as one", "Espa\\u241?a cami\\u243\\'f3n",
            "España camión");
        row("\\uc2 and \\uc0", "\\uc2 a\\u241 xxb\\uc0 \\u241 c", "añbñc");
        row("negative value", "\\u-3913?", "\uF0B7");
        row("surrogate pair as negatives and as positives",
            "[\\u-10179?\\u-8704?\\u55357?\\u56832?]", "[\U0001F600\U0001F600]");
        row("lone surrogates", "[\\u-10179?x\\u-8704?]", "[\uFFFDx\uFFFD]");
        row("skip counts are per group: saved, inherited, ended with the group",
            "{\\uc2 a}\\u233 XY\\uc2{\\u233 XYZ}\\uc3{\\u233 a}b", "aéYéZéb");
        row("a control word counts as one", "\\u233\\tab X", "éX");
        row("\\upr shows its \\ud twin", "{\\upr{8-bit text}{\\*\\ud{wide \\u233?}}}", "wide é");
        row("out of range", "[\\u99999999?\\u-99999999999?]", "[\uFFFD\uFFFD]");
        row("control characters are dropped", "[\\u10?\\u13?\\u8233?\\u-560?]", "[]");

        // Binary data; in the "past the end" row the closing brace is binary data too.
        row("\\bin: braces and backslashes are data; a negative count is none",
            "a\\bin4 {}\\}b\\bin-5 c", "abc");
        row("\\bin inside a skipped group", "a{\\*\\x \\bin2 }}}b", "ab");
        row("\\bin counts as one fallback", "\\u233\\bin1 xb", "éb");
        row("\\bin past the end", "a\\bin1000 xyz", "a");

        // Broken, hostile and truncated documents.
        row("extra closing braces end the document", "{\\rtf1 a}}}b", "a");
        row("missing closing braces", "{\\rtf1 a{\\b b{\\i c", "abc");
        // Past the cap groups keep no state of their own, but their text still shows, and
        // destinations there are skipped without leaking into the groups around them.
        row("nesting beyond the cap",
            "{\\rtf1 a" + QByteArray(300, '{') +
                "{\\*\\fldinst x}{\\fonttbl f;}{\\pict 00}{\\*\\nosuch y}{\\field z}deep" +
                QByteArray(300, '}') + "b}c",
            "azdeepb");
        row("a million open braces", "{\\rtf1 a" + QByteArray(1000000, '{') + "x", "ax");
        row("ends after a backslash", "{\\rtf1 a\\", "a");
        row("ends inside a hex escape", "{\\rtf1 a\\'4", "a4");
        row("ends inside a picture", "{\\rtf1 a{\\pict\\pngblip 89504e47", "a");
        row("ends inside the font table", "{\\rtf1{\\fonttbl{\\f0 Ari", "");
        row("ends inside a field instruction", "{\\rtf1 a{\\field{\\*\\fldinst HYPERLINK \"x", "a");
        row("ends inside \\bin", "{\\rtf1 a\\bin2147483647 {{{", "a");
        row("ends inside a table row", "{\\rtf1\\trowd\\cellx100\\cellx200\\intbl a\\cell b",
            "\n[a|b]\n");
        row("overlong control word", "{\\rtf1 \\" + QByteArray(5000, 'a') + "1 x}", "x");
        row("overlong parameter", "{\\rtf1 \\b" + QByteArray(5000, '9') + " x}", "x");
        row("\\* in the outermost group", "{\\rtf1\\*\\nosuch a}", "a");
        row("destination word in the outermost group", "{\\rtf1\\info a\\fonttbl b}", "ab");
        row("\\upr with nothing after it", "{\\rtf1\\upr a}", "a");
        row("field result without a field", "{\\rtf1{\\fldrslt r}}", "r");
        row("field instruction without a field", "{\\rtf1{\\*\\fldinst HYPERLINK x}y}", "y");
        row("picture outside the body", "{\\rtf1{\\fonttbl{\\pict 00}}z}", "z");
        row("\\uc far beyond the text", "{\\rtf1{\\uc2147483647\\u233 gone}b}", "éb");
        row("a font numbered -1 is no font", "{\\rtf1{\\fonttbl{\\f-1\\fcharset2 Symbol;}}a}", "a");
        row("\\row and \\cell in a font table", "{\\rtf1{\\fonttbl\\cell\\row\\par x;}y}", "y");
    }
    void text()
    {
        QFETCH(QByteArray, rtf);
        QTEST(outline(*read(rtf)), "expected");
    }
    void characterFormats_data()
    {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<QString>("expected"); // of the text "word"

        const QString plain = QStringLiteral("family:Arial size:12");
        row("bold italic strike small caps, font, size, colours",
            "\\b\\i\\strike\\scaps\\f1\\fs18\\cf3\\highlight2 word",
            "bold italic strike smallcaps family:Courier New size:9 fg:#0000ff bg:#ffff00");
        row("underline superscript caps \\cb", "\\ul\\super\\caps\\cb3 word",
            "underline:1 super caps " + plain + " bg:#0000ff");
        row("dashed underline subscript \\chcbpat", "\\uldash\\sub\\chcbpat2 word",
            "underline:2 sub " + plain + " bg:#ffff00");
        row("wave underline", "\\ulwave word", "underline:6 " + plain);
        row("ended by their off words",
            "\\b\\i\\ul\\strike\\sub\\cf1 x\\b0\\i0\\ul0\\strike0\\nosupersub\\cf0 word", plain);
        row("\\ulnone", "\\uldb x\\ulnone word", plain);
        row("colour past the table", "\\cf99999999999\\highlight40 word", plain);
        row("huge size is capped", "\\fs99999999999999999999 word", "family:Arial size:1638");
        row("group restores", "{\\b\\i\\cf1 x}word", plain);
        row("group inherits", "\\b{\\i word}", "bold italic " + plain);
        row("\\plain resets", "\\b\\i\\ul\\f1\\fs40\\cf1 x\\plain word", plain);
        row("web link",
            "{\\field{\\*\\fldinst{HYPERLINK \"http://example.com/a?b=1\"}}"
            "{\\fldrslt{\\ul\\cf3 word}}}",
            "underline:1 " + plain + " fg:#0000ff href:http://example.com/a?b=1");
        row("link instruction in pieces, with a switch",
            "{\\field{\\*\\fldinst {\\f1 HYPERLINK }{\"mailto:x@example.com\" "
            "\\\\o \"tip\"}{\\*\\datafield 00ff}}{\\fldrslt word}}",
            plain + " href:mailto:x@example.com");
        row("bookmark link", "{\\field{\\*\\fldinst HYPERLINK \\\\l \"mark\"}{\\fldrslt word}}",
            plain + " href:#mark");
        row("other fields are no links", "{\\field{\\*\\fldinst PAGE}{\\fldrslt word}}", plain);
        row("text after a link", "{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt a}} word",
            plain);
    }
    void characterFormats()
    {
        QFETCH(QByteArray, rtf);
        QTEST(describe(formatOf(*read(rtf), QStringLiteral("word"))), "expected");
    }
    void paragraphFormats_data()
    {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<QString>("expected");

        row("defaults", "word\\par", "");
        row("justified", "\\qj word\\par", "justify");
        row("indents in twips; a hanging one sets a tab stop where the text begins",
            "\\li720\\ri360\\fi-360 1.\\tab word\\par", "left:48 right:24 first:-24 tab:24");
        row("spacing", "\\sb240\\sa120 word\\par", "top:16 bottom:8");
        row("centred; the end of the paragraph decides", "word\\qc\\li150\\par", "centre left:10");
        row("\\pard resets", "\\qc\\li720 x\\par\\pard word\\par", "");
        row("right; properties carry to the next paragraph", "\\qr\\sa60 x\\par word\\par",
            "right bottom:4");
        row("\\deftab", "\\deftab360 word\\par", "deftab:24");
        row("huge values are capped", "\\li2147483647\\ri-99999999999\\sb99999999 word\\par",
            "left:2112 right:-2112 top:2112");
    }
    void paragraphFormats()
    {
        QFETCH(QByteArray, rtf);
        QTEST(describeParagraph(*read(rtf)), "expected");
    }
    // Symbol and Wingdings bytes stand for signs, shown as the Unicode characters they draw, in
    // the document's own font rather than the symbol font.
    void symbolFonts()
    {
        const auto document =
            read("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1\\froman\\fcharset2 Symbol;}"
                 "{\\f2\\fnil\\fcharset2 Wingdings;}{\\f3\\fnil\\fcharset0 "
                 "Symbol;}{\\f4\\fcharset2 MT;}}"
                 "\\f0\\uc1 [{\\f1 \\'b7 abgpW \\'ae\\'d6\\'b3\\'a0}|{\\f2 "
                 "\\'a7\\'d8\\'fc\\'76\\'71\\'6c\\'9f"
                 "\\'e8\\'f0\\'fe\\'fb}|{\\f3 \\'b7}{\\f4 a}|{\\f1 "
                 "\\u-3913\\'b7\\u61601?}{\\f2\\u61692?}|"
                 "\\'b7\\u-3913?]}");
        QCOMPARE(
            outline(*document),
            QStringLiteral("[\u2022 \u03b1\u03b2\u03b3\u03c0\u03a9 \u2192\u221a\u2265\u20ac|"
                           "\u25aa\u27a2\u2714\u2756\u2751\u25cf\u2022\u2794\u21e8\u2611\u2718|"
                           "\u2022\u03b1|\u2022\u03d2\u2714|\u00b7\uf0b7]"));
        QCOMPARE((QStringList{describe(formatOf(*document, QStringLiteral("\u03b1"))),
                              describe(formatOf(*document, QStringLiteral("\u25aa"))),
                              describe(formatOf(*document, QStringLiteral("[")))}),
                 (QStringList{"size:12", "size:12", "family:Arial size:12"}));
    }
    void tableLayout()
    {
        // Word writes the row properties again, in a group, just before \row.
        const QByteArray row =
            "\\trowd\\trgaph108\\clvertalc\\clbrdrt\\brdrs\\brdrw30\\brdrcf1\\clbrdrb"
            "\\brdrdb\\clcbpat2\\cellx1500\\clvertalb\\clbrdrl\\brdrdot\\brdrw10"
            "\\clbrdrr\\brdrs\\brdrnone\\trbrdrt\\brdrs\\brdrw60\\cellx4500";
        const auto document =
            read(withHeader("\\pard\\intbl x\\cell \\b y\\b0\\cell{" + row +
                            "\\row}\\pard\\intbl\\sb150\\sa75 z\\cell\\row\\pard\\par"));
        // The second row used the definition still in force, and has only one cell.
        QCOMPARE(outline(*document), QStringLiteral("\n[x|y / z|]\n"));
        QCOMPARE(describe(formatOf(*document, QStringLiteral("y"))),
                 QStringLiteral("bold family:Arial size:12"));
        QTextTable* table = tables(*document).first();
        QCOMPARE(table->format().border(), 0.0);
        QCOMPARE(table->format().columnWidthConstraints(),
                 QList<QTextLength>({QTextLength(QTextLength::FixedLength, 100),
                                     QTextLength(QTextLength::FixedLength, 200)}));
        // Each side as its cell defines it. Padding: \trgaph left and right; above and below,
        // the paragraphs' own spacing, which Qt leaves out at the edges of a cell.
        const QString first = QStringLiteral("top:2:solid:#ff0000 bottom:3:double:#000000 middle "
                                             "bg:#ffff00");
        QCOMPARE(describeCell(table, 0, 0), "pad:7.2,0,7.2,0 " + first);
        QCOMPARE(describeCell(table, 0, 1),
                 QStringLiteral("pad:7.2,0,7.2,0 left:1:dotted:#000000 bottom"));
        QCOMPARE(describeCell(table, 1, 0), "pad:7.2,10,7.2,5 " + first);
        // Without cell borders a table has no lines at all.
        const auto plain = read(withHeader("\\trowd\\trgaph0\\cellx1000\\intbl a\\cell\\row"));
        QCOMPARE(describeCell(tables(*plain).first(), 0, 0), QStringLiteral("pad:0,0,0,0"));
    }
    // \trrh: at least that height when positive, exactly when negative; the text's own height
    // when larger (text is never cut). The cells of a taller row keep their vertical alignment.
    void rowHeights()
    {
        const auto document = read(withHeader(
            "\\trowd\\trrh900\\cellx1000\\clvertalc\\cellx2000\\clvertalb\\cellx3000"
            "\\pard\\intbl t\\cell c\\cell b\\cell\\row\\trowd\\trrh-300\\cellx1000\\pard\\intbl "
            "x\\cell"
            "\\row\\trowd\\trrh30\\cellx1000\\pard\\intbl y\\cell\\row\\trowd\\trrh-30\\cellx1000"
            "\\pard\\intbl z\\cell\\row\\trowd\\cellx1000\\pard\\intbl w\\cell\\row\\pard after"));
        const QAbstractTextDocumentLayout* layout = document->documentLayout();
        const auto box = [&](const char* text) {
            return layout->blockBoundingRect(document->find(QLatin1String(text)).block());
        };
        const qreal line = box("t").height();
        QVERIFY(line > 10 && line < 20);
        const auto near = [](qreal a, qreal b) { return qAbs(a - b) <= 1; };
        QVERIFY2(near(box("x").top() - box("t").top(), 60), "at least 900 twips");
        QVERIFY2(near(box("c").top() - box("t").top(), (60 - line) / 2), "centred");
        QVERIFY2(near(box("b").bottom(), box("x").top()), "at the bottom");
        QVERIFY2(near(box("y").top() - box("x").top(), 20), "exactly 300 twips");
        QVERIFY2(near(box("z").top() - box("y").top(), line),
                 "at least 30 twips: the text's height");
        QVERIFY2(near(box("w").top() - box("z").top(), line),
                 "exactly 30 twips: the text's height");
    }
    void tableLimits()
    {
        // A row may hold 63 cells: the rest of a longer one goes into the last.
        QByteArray wide;
        for (int i = 0; i < 100; ++i)
            wide += "c" + QByteArray::number(i) + "\\cell ";
        const auto wideDocument = read(withHeader(wide));
        auto found = tables(*wideDocument);
        QCOMPARE(found.first()->columns(), 63);
        QVERIFY(cellText(found.first(), 0, 62).startsWith(QStringLiteral("c62")));
        QVERIFY(cellText(found.first(), 0, 62).contains(QStringLiteral("c99")));

        // A table may hold 50000 cells; there one of 63 columns goes on in a new table.
        QByteArray rows = "\\intbl " + QByteArray("w\\cell ").repeated(63) + "\\row ";
        for (int i = 0; i < 1000; ++i)
            rows += "r" + QByteArray::number(i) + "\\cell\\row ";
        const auto document = read(withHeader(rows));
        found = tables(*document);
        QCOMPARE(found.size(), 2);
        QCOMPARE(found.at(0)->rows() * found.at(0)->columns(), 50000 - 50000 % 63 + 63);
        QCOMPARE(found.at(1)->columns(), 1);
        QCOMPARE(found.at(0)->rows() + found.at(1)->rows(), 1001);
        QCOMPARE(cellText(found.at(1), found.at(1)->rows() - 1, 0), QStringLiteral("r999"));
    }
    void pictures_data()
    {
        QTest::addColumn<QByteArray>("picture");
        QTest::addColumn<QSize>("shown");

        const QByteArray png = imageBytes("PNG", QSize(20, 10)).toHex();
        const QByteArray jpeg = imageBytes("JPG", QSize(30, 15));
        QTest::newRow("png in hex split over lines, natural size")
            << "{\\pict\\pngblip\\picw20\\pich10 " + png.left(11) + "\r\n" + png.mid(11) + "}"
            << QSize(20, 10);
        QTest::newRow("goal and scale")
            << "{\\pict\\pngblip\\picwgoal1500\\pichgoal600\\picscalex50\\picscaley200 " + png + "}"
            << QSize(50, 80);
        QTest::newRow("huge goal is capped, a negative one ignored")
            << "{\\pict\\pngblip\\picwgoal2147483647\\pichgoal-5 " + png + "}" << QSize(4096, 10);
        QTest::newRow("jpeg in \\bin")
            << "{\\pict\\jpegblip\\bin" + QByteArray::number(jpeg.size()) + " " + jpeg + "}"
            << QSize(30, 15);
        QTest::newRow("only the picture meant for this reader, of a kind it shows")
            << "{\\*\\shppict{\\pict\\pngblip " + png + "}}{\\nonshppict{\\pict\\wmetafile8 " +
                   imageBytes("PNG", QSize(4, 4)).toHex() +
                   "}}{\\pict\\wmetafile8 0100}{\\pict\\emfblip 0100}{\\pict\\pngblip 0badc0de}"
            << QSize(20, 10);
    }
    void pictures()
    {
        QFETCH(QByteArray, picture);
        QFETCH(QSize, shown);
        const auto document = read(withHeader("a" + picture + "b"));
        QCOMPARE(outline(*document), QStringLiteral("a\uFFFCb"));
        const QTextImageFormat image =
            formatOf(*document, QString(QChar::ObjectReplacementCharacter)).toImageFormat();
        QCOMPARE(QSize(qRound(image.width()), qRound(image.height())), shown);
        const QVariant resource =
            document->resource(QTextDocument::ImageResource, QUrl(image.name()));
        QVERIFY(!resource.value<QImage>().isNull());
    }
    void notRtf()
    {
        QTextDocument document;
        document.setPlainText(QStringLiteral("old content"));
        QVERIFY(!readRtf("hello {\\rtf1 x}", document));
        QVERIFY(document.isEmpty());
        QVERIFY(!readRtf("{\\rt", document));
        QVERIFY(readRtf(" \r\n{\\rtf1 x}", document));
        QCOMPARE(document.toRawText(), QStringLiteral("x"));
    }
    // Inputs the fuzzer once found troublesome: each is read and laid out.
    // The fuzzer's seed documents and every input that once made the reader crash, hang or
    // misbehave (fuzz-regressions) are read and laid out.
    void replaysTheFuzzCorpusAndFindings()
    {
        int read = 0;
        for (const char* place : {"../../fuzz/corpus", "fuzz-regressions"}) {
            const QDir folder(QFINDTESTDATA(place));
            QVERIFY2(folder.exists(), place);
            for (const QString& name : folder.entryList(QDir::Files)) {
                QFile file(folder.filePath(name));
                if (name == QStringLiteral("README.md") || !file.open(QIODevice::ReadOnly))
                    continue;
                const QByteArray rtf = file.readAll();
                QTextDocument document;
                QVERIFY2(readRtf(rtf, document) == looksLikeRtf(rtf), qPrintable(name));
                document.setTextWidth(500);
                document.size();
                ++read;
            }
        }
        QVERIFY(read >= 10);
    }

    // Random groups of RTF, with numbered marks of plain text between them: whatever a group
    // holds, the marks after it must show, in order, and the document must stay in proportion
    // to the input.
    void junkLeavesTheTextAroundIt()
    {
        QRandomGenerator random(20240607);
        for (int round = 0; round < 20; ++round) {
            QByteArray rtf = "{\\rtf1\\ansi ";
            QStringList marks;
            for (int group = 0; group < 40; ++group) {
                marks << QStringLiteral("Mark%1x%2").arg(round).arg(group);
                rtf += randomGroup(random) + ' ' + marks.last().toLatin1() + ' ';
            }
            rtf += '}';

            QTextDocument document;
            QVERIFY(readRtf(rtf, document));
            const QString text = document.toPlainText();
            qsizetype from = 0;
            for (const QString& mark : std::as_const(marks)) {
                from = text.indexOf(mark, from);
                QVERIFY2(from >= 0, qPrintable(mark + QStringLiteral(" is missing")));
            }
            // No more characters than bytes, but for the empty cells that fill out short rows.
            QVERIFY2(document.characterCount() < 2 * rtf.size(),
                     qPrintable(QStringLiteral("%1 characters from %2 bytes")
                                    .arg(document.characterCount())
                                    .arg(rtf.size())));
            document.setTextWidth(500);
            document.size();
        }
    }
};

QTEST_MAIN(TestRtfReader)
#include "tst_rtfreader.moc"
