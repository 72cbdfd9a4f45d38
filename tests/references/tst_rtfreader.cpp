// What the RTF reader makes of formatting, structure, code pages, Unicode, tables,
// pictures, links and skipped destinations.
#include "RtfTestSupport.h"

#include "references/RtfReader.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QTest>
#include <QTextImageFormat>
#include <QTextTable>

using namespace vemtaro::references;
using namespace vemtaro::references::test;

namespace {

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

} // namespace

class TestRtfReader : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void text_data();
    void text();
    void characterFormats_data();
    void characterFormats();
    void paragraphFormats_data();
    void paragraphFormats();
    void symbolFonts();
    void tableLayout();
    void rowHeights();
    void tableLimits();
    void pictures_data();
    void pictures();
    void wordProcessorOutput();
    void notRtf();
};

void TestRtfReader::text_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("expected");

    // Paragraphs and tables.
    QTest::newRow("paragraphs; none after the last \\par")
        << withHeader("one\\par\\par two\\sect three\\page four\\par") << "one\n\ntwo\nthree\nfour";
    QTest::newRow("line break and tab stay in the paragraph")
        << withHeader("one\\line two\\tab three") << "one\u2028two\tthree";
    QTest::newRow("line ends: ignored in text, a paragraph after a backslash")
        << withHeader("on\ne\r\n two\\\nthree\\\r\nfour") << "one two\nthree\nfour";
    QTest::newRow("hidden text") << withHeader("one{\\v secret} two\\v  gone\\v0 !") << "one two!";
    QTest::newRow("list texts as written")
        << withHeader("{\\pntext\\f0 1.\\tab}{\\*\\pn\\pnlvlbody{\\pntxta .}}first\\par"
                      "{\\listtext\\'95\\tab}second")
        << "1.\tfirst\n\u2022\tsecond";
    QTest::newRow("unknown words are ignored, their text shows")
        << withHeader("\\widctlpar\\nosuchword12 one") << "one";
    QTest::newRow("a table between paragraphs")
        << withHeader("Before\\par\\trowd\\cellx2000\\cellx4000\\cellx6000"
                      "\\pard\\intbl A1\\cell A2\\cell two\\par lines\\cell\\row"
                      "\\trowd\\cellx2000\\cellx4000\\cellx6000"
                      "\\pard\\intbl B1\\cell B2\\cell B3\\cell\\row\\pard After\\par")
        << "Before\n[A1|A2|two\nlines / B1|B2|B3]\nAfter";
    QTest::newRow("text between tables")
        << withHeader("\\trowd\\cellx1000\\intbl a\\cell\\row\\trowd\\cellx1000\\intbl b\\cell\\row"
                      "\\pard between\\par\\trowd\\cellx1000\\intbl c\\cell\\row\\pard end")
        << "\n[a / b]\nbetween\n[c]\nend";
    QTest::newRow("a nested table, without the copy kept for readers that have none")
        << withHeader(
               "\\trowd\\cellx4000\\pard\\intbl A\\par\\pard\\intbl\\itap2 n1\\nestcell n2"
               "\\nestcell{\\*\\nesttableprops\\trowd\\cellx1000\\cellx2000\\nestrow}"
               "{\\nonesttables\\par n1\\tab n2\\par}\\pard\\intbl\\itap1 B\\cell\\row\\pard after")
        << "\n[A\nn1\nn2\nB]\nafter";
    QTest::newRow("cells without \\row or \\intbl")
        << withHeader("first\\cell second\\cell\\pard after") << "\n[first|second]\nafter";

    // Special characters and skipped destinations.
    QTest::newRow("special characters")
        << withHeader("\\~\\-\\_\\emdash\\endash\\lquote\\rquote\\ldblquote\\rdblquote\\bullet "
                      "\\{\\}\\\\")
        << "\u00A0\u00AD\u2011\u2014\u2013\u2018\u2019\u201C\u201D\u2022{}\\";
    QTest::newRow("skipped destinations")
        << withHeader("[{\\*\\nosuchthing unknown{ x}}{\\*\\b starred}{\\info{\\title info}}"
                      "{\\stylesheet{\\s0 style;}}{\\header header}{\\footerr footer}"
                      "{\\footnote footnote}{\\*\\atnid id}{\\*\\annotation note}"
                      "{\\nonshppict{\\pict\\wmetafile8 0102}fallback}{\\*\\x braces \\} \\{ }]")
        << "[]";
    QTest::newRow("\\* marks a destination only first in its group")
        << withHeader("[{\\*\\nosuch gone}{a \\*\\nosuch b}{\\b\\*\\nosuch c}]") << "[a bc]";
    QTest::newRow("field instruction")
        << withHeader(
               "[{\\field{\\*\\fldinst {\\f1 HYPERLINK }{\"mailto:x@example.com\" \\\\o \"tip\"}"
               "{\\*\\datafield 00ff}}{\\fldrslt link}}]")
        << "[link]";

    // Code pages.
    QTest::newRow("1252 accents and eñe, escaped and raw")
        << QByteArray("{\\rtf1\\ansi\\ansicpg1252 Espa\\'f1a: cami\\'f3n, \\'bfqu\\'e9? "
                      "\\'c1\\'c9\\'cd\\'d3\\'da\\'d1\\'fc \\'80 Espa\xf1"
                      "a}")
        << "España: camión, ¿qué? ÁÉÍÓÚÑü € España";
    QTest::newRow("\\ansicpg1251")
        << QByteArray("{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0\\'e8}") << "При";
    QTest::newRow("font charset 238 reads 1250, then back")
        << QByteArray("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset238 Arial CE;}}"
                      "\\'e8{\\f1 \\'e8}\\'e8}")
        << "èčè";
    QTest::newRow("\\cpg of a font")
        << QByteArray("{\\rtf1\\ansi{\\fonttbl{\\f1\\cpg1253 G;}}\\f1 \\'e1}") << "α";
    QTest::newRow("\\mac") << QByteArray("{\\rtf1\\mac Espa\\'96a, cami\\'97n}")
                           << "España, camión";
    QTest::newRow("Mac code pages: \\ansicpg10001 and the Mac charsets")
        << QByteArray(
               "{\\rtf1\\ansi\\ansicpg10001{\\fonttbl{\\f0 Osaka;}{\\f1\\fcharset77 Times;}"
               "{\\f2\\fcharset85 G;}{\\f3\\fcharset89 C;}{\\f4\\fcharset88 E;}"
               "{\\f5\\fcharset86 T;}{\\f6\\fcharset78 J;}{\\f7\\fcharset0 A;}}\\f0 \\'93\\'fa"
               "{\\f1 \\'a5\\'8e}{\\f2 \\'e1}{\\f3 \\'80}{\\f4 \\'88}{\\f5 \\'da}{\\f6 \\'96\\'7b}"
               "{\\f7 \\'a5}}")
        << "日\u2022éαАąĞ本¥";
    QTest::newRow("\\pc (437)") << QByteArray("{\\rtf1\\pc Espa\\'a4a}") << "España";
    QTest::newRow("\\pca (850)") << QByteArray("{\\rtf1\\pca \\'a5\\'b5}") << "ÑÁ";
    QTest::newRow("double-byte charsets: Shift-JIS, Korean, Big5, GBK")
        << QByteArray(
               "{\\rtf1\\ansi{\\fonttbl{\\f1\\fcharset128 J;}{\\f2\\fcharset129 K;}"
               "{\\f3\\fcharset136 T;}{\\f4\\fcharset134 S;}}{\\f1 \\'93\\'fa\\'96\\'7b\\'83@ ok}"
               "{\\f2 \\'b0\\'a1}{\\f3 \\'a4\\'a4}{\\f4 \\'d6\\'d0\\'ce\\'c4}}")
        << "日本ァ ok가中中文";
    QTest::newRow("lead byte cut by a font change, or before an invalid trail byte")
        << QByteArray("{\\rtf1\\ansi{\\fonttbl{\\f0 A;}{\\f1\\fcharset128 J;}}{\\f1 \\'93}x{\\f1 "
                      "\\'93 x}}")
        << "\uFFFDx\uFFFD x";
    QTest::newRow("control bytes are dropped")
        << QByteArray("{\\rtf1\\ansi a\\'00\\'07\\'1fb\\'09c}") << "ab\tc";

    // Unicode and its fallbacks.
    QTest::newRow("\\u with a fallback, a hex one counting as one")
        << withHeader("Espa\\u241?a cami\\u243\\'f3n") << "España camión";
    QTest::newRow("\\uc2 and \\uc0") << withHeader("\\uc2 a\\u241 xxb\\uc0 \\u241 c") << "añbñc";
    QTest::newRow("negative value") << withHeader("\\u-3913?") << "\uF0B7";
    QTest::newRow("surrogate pair as negatives and as positives")
        << withHeader("[\\u-10179?\\u-8704?\\u55357?\\u56832?]") << "[\U0001F600\U0001F600]";
    QTest::newRow("lone surrogates") << withHeader("[\\u-10179?x\\u-8704?]") << "[\uFFFDx\uFFFD]";
    QTest::newRow("skip counts are per group: saved, inherited, ended with the group")
        << withHeader("{\\uc2 a}\\u233 XY\\uc2{\\u233 XYZ}\\uc3{\\u233 a}b") << "aéYéZéb";
    QTest::newRow("a control word counts as one") << withHeader("\\u233\\tab X") << "éX";
    QTest::newRow("\\upr shows its \\ud twin")
        << withHeader("{\\upr{8-bit text}{\\*\\ud{wide \\u233?}}}") << "wide é";
    QTest::newRow("out of range") << withHeader("[\\u99999999?\\u-99999999999?]")
                                  << "[\uFFFD\uFFFD]";
    QTest::newRow("control characters are dropped")
        << withHeader("[\\u10?\\u13?\\u8233?\\u-560?]") << "[]";

    // Binary data; in the "past the end" row the closing brace is binary data too.
    QTest::newRow("\\bin: braces and backslashes are data; a negative count is none")
        << withHeader("a\\bin4 {}\\}b\\bin-5 c") << "abc";
    QTest::newRow("\\bin inside a skipped group") << withHeader("a{\\*\\x \\bin2 }}}b") << "ab";
    QTest::newRow("\\bin counts as one fallback") << withHeader("\\u233\\bin1 xb") << "éb";
    QTest::newRow("\\bin past the end") << withHeader("a\\bin1000 xyz") << "a";
}

void TestRtfReader::text()
{
    QFETCH(QByteArray, rtf);
    QTEST(outline(*read(rtf)), "expected");
}

void TestRtfReader::characterFormats_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("expected"); // of the text "word"

    const QString plain = QStringLiteral("family:Arial size:12");
    QTest::newRow("bold italic strike small caps, font, size, colours")
        << QByteArray("\\b\\i\\strike\\scaps\\f1\\fs18\\cf3\\highlight2 word")
        << "bold italic strike smallcaps family:Courier New size:9 fg:#0000ff bg:#ffff00";
    QTest::newRow("underline superscript caps \\cb")
        << QByteArray("\\ul\\super\\caps\\cb3 word")
        << "underline:1 super caps " + plain + " bg:#0000ff";
    QTest::newRow("dashed underline subscript \\chcbpat")
        << QByteArray("\\uldash\\sub\\chcbpat2 word") << "underline:2 sub " + plain + " bg:#ffff00";
    QTest::newRow("wave underline") << QByteArray("\\ulwave word") << "underline:6 " + plain;
    QTest::newRow("ended by their off words")
        << QByteArray("\\b\\i\\ul\\strike\\sub\\cf1 x\\b0\\i0\\ul0\\strike0\\nosupersub\\cf0 word")
        << plain;
    QTest::newRow("\\ulnone") << QByteArray("\\uldb x\\ulnone word") << plain;
    QTest::newRow("colour past the table")
        << QByteArray("\\cf99999999999\\highlight40 word") << plain;
    QTest::newRow("huge size is capped")
        << QByteArray("\\fs99999999999999999999 word") << "family:Arial size:1638";
    QTest::newRow("group restores") << QByteArray("{\\b\\i\\cf1 x}word") << plain;
    QTest::newRow("group inherits") << QByteArray("\\b{\\i word}") << "bold italic " + plain;
    QTest::newRow("\\plain resets")
        << QByteArray("\\b\\i\\ul\\f1\\fs40\\cf1 x\\plain word") << plain;
    QTest::newRow("web link")
        << QByteArray("{\\field{\\*\\fldinst{HYPERLINK \"http://example.com/a?b=1\"}}"
                      "{\\fldrslt{\\ul\\cf3 word}}}")
        << "underline:1 " + plain + " fg:#0000ff href:http://example.com/a?b=1";
    QTest::newRow("link instruction in pieces, with a switch")
        << QByteArray("{\\field{\\*\\fldinst {\\f1 HYPERLINK }{\"mailto:x@example.com\" "
                      "\\\\o \"tip\"}{\\*\\datafield 00ff}}{\\fldrslt word}}")
        << plain + " href:mailto:x@example.com";
    QTest::newRow("bookmark link")
        << QByteArray("{\\field{\\*\\fldinst HYPERLINK \\\\l \"mark\"}{\\fldrslt word}}")
        << plain + " href:#mark";
    QTest::newRow("other fields are no links")
        << QByteArray("{\\field{\\*\\fldinst PAGE}{\\fldrslt word}}") << plain;
    QTest::newRow("text after a link")
        << QByteArray("{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt a}} word") << plain;
}

void TestRtfReader::characterFormats()
{
    QFETCH(QByteArray, body);
    QTEST(describe(formatOf(*read(withHeader(body)), QStringLiteral("word"))), "expected");
}

void TestRtfReader::paragraphFormats_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("expected");

    QTest::newRow("defaults") << QByteArray("word\\par") << "";
    QTest::newRow("justified") << QByteArray("\\qj word\\par") << "justify";
    QTest::newRow("indents in twips; a hanging one sets a tab stop where the text begins")
        << QByteArray("\\li720\\ri360\\fi-360 1.\\tab word\\par")
        << "left:48 right:24 first:-24 tab:24";
    QTest::newRow("spacing") << QByteArray("\\sb240\\sa120 word\\par") << "top:16 bottom:8";
    QTest::newRow("centred; the end of the paragraph decides")
        << QByteArray("word\\qc\\li150\\par") << "centre left:10";
    QTest::newRow("\\pard resets") << QByteArray("\\qc\\li720 x\\par\\pard word\\par") << "";
    QTest::newRow("right; properties carry to the next paragraph")
        << QByteArray("\\qr\\sa60 x\\par word\\par") << "right bottom:4";
    QTest::newRow("\\deftab") << QByteArray("\\deftab360 word\\par") << "deftab:24";
    QTest::newRow("huge values are capped")
        << QByteArray("\\li2147483647\\ri-99999999999\\sb99999999 word\\par")
        << "left:2112 right:-2112 top:2112";
}

void TestRtfReader::paragraphFormats()
{
    QFETCH(QByteArray, body);
    QTEST(describeParagraph(*read(withHeader(body))), "expected");
}

// Symbol and Wingdings bytes stand for signs, shown as the Unicode characters they draw, in
// the document's own font rather than the symbol font.
void TestRtfReader::symbolFonts()
{
    const auto document = read(
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1\\froman\\fcharset2 Symbol;}"
        "{\\f2\\fnil\\fcharset2 Wingdings;}{\\f3\\fnil\\fcharset0 Symbol;}{\\f4\\fcharset2 MT;}}"
        "\\f0\\uc1 [{\\f1 \\'b7 abgpW \\'ae\\'d6\\'b3\\'a0}|{\\f2 "
        "\\'a7\\'d8\\'fc\\'76\\'71\\'6c\\'9f"
        "\\'e8\\'f0\\'fe\\'fb}|{\\f3 \\'b7}{\\f4 a}|{\\f1 \\u-3913\\'b7\\u61601?}{\\f2\\u61692?}|"
        "\\'b7\\u-3913?]}");
    QCOMPARE(outline(*document),
             QStringLiteral("[\u2022 \u03b1\u03b2\u03b3\u03c0\u03a9 \u2192\u221a\u2265\u20ac|"
                            "\u25aa\u27a2\u2714\u2756\u2751\u25cf\u2022\u2794\u21e8\u2611\u2718|"
                            "\u2022\u03b1|\u2022\u03d2\u2714|\u00b7\uf0b7]"));
    QCOMPARE(describe(formatOf(*document, QStringLiteral("\u03b1"))), QStringLiteral("size:12"));
    QCOMPARE(describe(formatOf(*document, QStringLiteral("\u25aa"))), QStringLiteral("size:12"));
    QCOMPARE(describe(formatOf(*document, QStringLiteral("["))),
             QStringLiteral("family:Arial size:12"));
}

void TestRtfReader::tableLayout()
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
    const auto fixed = [](qreal pixels) { return QTextLength(QTextLength::FixedLength, pixels); };
    QCOMPARE(table->format().columnWidthConstraints(),
             QList<QTextLength>({fixed(100), fixed(200)}));
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
void TestRtfReader::rowHeights()
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
    QVERIFY2(near(box("z").top() - box("y").top(), line), "at least 30 twips: the text's height");
    QVERIFY2(near(box("w").top() - box("z").top(), line), "exactly 30 twips: the text's height");
}

void TestRtfReader::tableLimits()
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

void TestRtfReader::pictures_data()
{
    QTest::addColumn<QByteArray>("picture");
    QTest::addColumn<QSize>("shown");

    const QByteArray png = imageBytes("PNG", QSize(20, 10)).toHex();
    const QByteArray jpeg = imageBytes("JPG", QSize(30, 15));
    QTest::newRow("png in hex, natural size")
        << "{\\pict\\pngblip\\picw20\\pich10 " + png + "}" << QSize(20, 10);
    QTest::newRow("png sized by goal")
        << "{\\pict\\pngblip\\picwgoal1500\\pichgoal600\n" + png + "}" << QSize(100, 40);
    QTest::newRow("goal and scale")
        << "{\\pict\\pngblip\\picwgoal1500\\pichgoal600\\picscalex50\\picscaley200 " + png + "}"
        << QSize(50, 80);
    QTest::newRow("huge goal is capped, a negative one ignored")
        << "{\\pict\\pngblip\\picwgoal2147483647\\pichgoal-5 " + png + "}" << QSize(4096, 10);
    QTest::newRow("jpeg in \\bin")
        << "{\\pict\\jpegblip\\bin" + QByteArray::number(jpeg.size()) + " " + jpeg + "}"
        << QSize(30, 15);
    QTest::newRow("hex split over lines")
        << "{\\pict\\pngblip " + png.left(11) + "\r\n" + png.mid(11) + "}" << QSize(20, 10);
    QTest::newRow("only the picture meant for this reader, of a kind it shows")
        << "{\\*\\shppict{\\pict\\pngblip " + png + "}}{\\nonshppict{\\pict\\wmetafile8 " +
               imageBytes("PNG", QSize(4, 4)).toHex() +
               "}}{\\pict\\wmetafile8 0100}{\\pict\\emfblip 0100}{\\pict\\pngblip 0badc0de}"
        << QSize(20, 10);
}

void TestRtfReader::pictures()
{
    QFETCH(QByteArray, picture);
    QFETCH(QSize, shown);
    const auto document = read(withHeader("a" + picture + "b"));
    QCOMPARE(outline(*document), QStringLiteral("a\uFFFCb"));
    const QTextImageFormat image =
        formatOf(*document, QString(QChar::ObjectReplacementCharacter)).toImageFormat();
    QCOMPARE(QSize(qRound(image.width()), qRound(image.height())), shown);
    const QVariant resource = document->resource(QTextDocument::ImageResource, QUrl(image.name()));
    QVERIFY(!resource.value<QImage>().isNull());
}

// The default reference document as a word processor writes it back after opening it:
// style sheet, list table, associated fonts, Unicode with fallbacks, row properties.
void TestRtfReader::wordProcessorOutput()
{
    QFile file(QFINDTESTDATA("data/libreoffice-export.rtf"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const auto document = read(file.readAll());
    const QString text = document->toPlainText();
    QVERIFY(text.startsWith(QStringLiteral("Referencias del Plan de Cuentas de Bienes\n")));
    for (const char* leak : {"Normal", "ListLabel", "Liberation", "Times New Roman"})
        QVERIFY2(!text.contains(QLatin1String(leak)), leak);
    QVERIFY(text.contains(QStringLiteral("\u2022\t11 Terrenos (1101 urbanos, 1102 rurales).\n")));
    QVERIFY(text.contains(QStringLiteral("\n2.\tValor amortizable: el precio de compra (P) menos "
                                         "el valor residual estimado, P \u2212 R.\n")));
    QCOMPARE(describe(formatOf(*document, QStringLiteral("3.2 Un ejemplo"))),
             QStringLiteral("bold family:Arial size:12 fg:#800000"));

    const auto found = tables(*document);
    QCOMPARE(found.size(), 2);
    QCOMPARE(found.at(0)->rows(), 19);
    QCOMPARE(found.at(0)->columns(), 4);
    QCOMPARE(cellText(found.at(0), 13, 2), QStringLiteral("3 o 5"));
    QCOMPARE(found.at(0)->cellAt(0, 0).format().background().color(), QColor(214, 230, 245));
    QCOMPARE(cellText(found.at(1), 6, 2), QStringLiteral("499,50"));
    QCOMPARE(document->find(QStringLiteral("499,50")).blockFormat().alignment() &
                 Qt::AlignHorizontal_Mask,
             Qt::AlignRight);
}

void TestRtfReader::notRtf()
{
    QTextDocument document;
    document.setPlainText(QStringLiteral("old content"));
    QVERIFY(!readRtf("hello {\\rtf1 x}", document));
    QVERIFY(document.isEmpty());
    QVERIFY(!readRtf("{\\rt", document));
    QVERIFY(readRtf(" \r\n{\\rtf1 x}", document));
    QCOMPARE(document.toRawText(), QStringLiteral("x"));
}

QTEST_MAIN(TestRtfReader)
#include "tst_rtfreader.moc"
