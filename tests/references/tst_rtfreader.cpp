// What the RTF reader makes of formatting, structure, code pages, Unicode, tables,
// pictures, links and skipped destinations.
#include "RtfTestSupport.h"

#include "references/RtfReader.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QTest>
#include <QTextBlock>
#include <QTextFragment>
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

// The image formats of the document's pictures, in order.
QList<QTextImageFormat> images(const QTextDocument& document)
{
    QList<QTextImageFormat> found;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isImageFormat())
                found.append(it.fragment().charFormat().toImageFormat());
    return found;
}

} // namespace

class TestRtfReader : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void characterFormats_data();
    void characterFormats();
    void paragraphFormats_data();
    void paragraphFormats();
    void hangingIndentAlignsTheTextAfterTheNumber();
    void paragraphStructure_data();
    void paragraphStructure();
    void specialCharacters_data();
    void specialCharacters();
    void codePages_data();
    void codePages();
    void unicode_data();
    void unicode();
    void skippedDestinations_data();
    void skippedDestinations();
    void binaryData_data();
    void binaryData();
    void tableStructure();
    void tableLayout();
    void tableFollowedByText();
    void uncloseableRowsStillShow();
    void longTableGoesOnInANewTable();
    void pictures_data();
    void pictures();
    void pictureOfEachWordOutputOnlyOnce();
    void hyperlinks_data();
    void hyperlinks();
    void wordProcessorOutput();
    void notRtf();
};

void TestRtfReader::characterFormats_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("expected");

    const QString plain = QStringLiteral("family:Arial size:12");
    QTest::newRow("plain text") << QByteArray("x \\b y\\b0  word") << "word" << plain;
    QTest::newRow("bold") << QByteArray("\\b word\\b0") << "word"
                          << "bold " + plain;
    QTest::newRow("bold ended by \\b0") << QByteArray("\\b x\\b0 word") << "word" << plain;
    QTest::newRow("italic") << QByteArray("\\i word") << "word"
                            << "italic " + plain;
    QTest::newRow("underline") << QByteArray("\\ul word") << "word"
                               << "underline:1 " + plain;
    QTest::newRow("\\ul0 ends underline") << QByteArray("\\ul x\\ul0 word") << "word" << plain;
    QTest::newRow("\\ulnone ends underline")
        << QByteArray("\\uldb x\\ulnone word") << "word" << plain;
    QTest::newRow("dashed underline") << QByteArray("\\uldash word") << "word"
                                      << "underline:2 " + plain;
    QTest::newRow("wave underline") << QByteArray("\\ulwave word") << "word"
                                    << "underline:6 " + plain;
    QTest::newRow("strike") << QByteArray("\\strike word") << "word"
                            << "strike " + plain;
    QTest::newRow("superscript") << QByteArray("x\\super word") << "word"
                                 << "super " + plain;
    QTest::newRow("subscript") << QByteArray("x\\sub word\\nosupersub y") << "word"
                               << "sub " + plain;
    QTest::newRow("\\nosupersub") << QByteArray("\\sub x\\nosupersub word") << "word" << plain;
    QTest::newRow("caps") << QByteArray("\\caps word") << "word"
                          << "caps " + plain;
    QTest::newRow("small caps") << QByteArray("\\scaps word") << "word"
                                << "smallcaps " + plain;
    QTest::newRow("font") << QByteArray("\\f1 word") << "word"
                          << "family:Courier New size:12";
    QTest::newRow("size in half points") << QByteArray("\\fs30 word") << "word"
                                         << "family:Arial size:15";
    QTest::newRow("foreground") << QByteArray("\\cf1 word") << "word" << plain + " fg:#ff0000";
    QTest::newRow("\\cf0 is automatic") << QByteArray("\\cf1 x\\cf0 word") << "word" << plain;
    QTest::newRow("highlight") << QByteArray("\\highlight2 word") << "word"
                               << plain + " bg:#ffff00";
    QTest::newRow("\\cb") << QByteArray("\\cb3 word") << "word" << plain + " bg:#0000ff";
    QTest::newRow("\\chcbpat") << QByteArray("\\chcbpat2 word") << "word" << plain + " bg:#ffff00";
    QTest::newRow("colour past the table") << QByteArray("\\cf40 word") << "word" << plain;
    QTest::newRow("group restores") << QByteArray("{\\b\\i\\cf1 x}word") << "word" << plain;
    QTest::newRow("group inherits") << QByteArray("\\b{\\i word}") << "word"
                                    << "bold italic " + plain;
    QTest::newRow("\\plain resets")
        << QByteArray("\\b\\i\\ul\\f1\\fs40\\cf1 x\\plain word") << "word" << plain;
    QTest::newRow("several at once")
        << QByteArray("\\b\\i\\strike\\f1\\fs18\\cf3\\highlight2 word") << "word"
        << "bold italic strike family:Courier New size:9 "
           "fg:#0000ff bg:#ffff00";
}

void TestRtfReader::characterFormats()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, word);
    QFETCH(QString, expected);
    const auto document = read(withHeader(body));
    QCOMPARE(describe(formatOf(*document, word)), expected);
}

void TestRtfReader::paragraphFormats_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("alignment");
    QTest::addColumn<qreal>("left");
    QTest::addColumn<qreal>("right");
    QTest::addColumn<qreal>("firstLine");
    QTest::addColumn<qreal>("top");
    QTest::addColumn<qreal>("bottom");

    QTest::newRow("defaults") << QByteArray("word\\par") << int(Qt::AlignLeft) << 0.0 << 0.0 << 0.0
                              << 0.0 << 0.0;
    QTest::newRow("centred") << QByteArray("\\qc word\\par") << int(Qt::AlignHCenter) << 0.0 << 0.0
                             << 0.0 << 0.0 << 0.0;
    QTest::newRow("right") << QByteArray("\\qr word\\par") << int(Qt::AlignRight) << 0.0 << 0.0
                           << 0.0 << 0.0 << 0.0;
    QTest::newRow("justified") << QByteArray("\\qj word\\par") << int(Qt::AlignJustify) << 0.0
                               << 0.0 << 0.0 << 0.0 << 0.0;
    QTest::newRow("indents in twips") << QByteArray("\\li720\\ri360\\fi-360 word\\par")
                                      << int(Qt::AlignLeft) << 48.0 << 24.0 << -24.0 << 0.0 << 0.0;
    QTest::newRow("spacing") << QByteArray("\\sb240\\sa120 word\\par") << int(Qt::AlignLeft) << 0.0
                             << 0.0 << 0.0 << 16.0 << 8.0;
    QTest::newRow("the end of the paragraph decides")
        << QByteArray("word\\qc\\li150\\par") << int(Qt::AlignHCenter) << 10.0 << 0.0 << 0.0 << 0.0
        << 0.0;
    QTest::newRow("\\pard resets") << QByteArray("\\qc\\li720 x\\par\\pard word\\par")
                                   << int(Qt::AlignLeft) << 0.0 << 0.0 << 0.0 << 0.0 << 0.0;
    QTest::newRow("properties carry to the next paragraph")
        << QByteArray("\\qr\\sa60 x\\par word\\par") << int(Qt::AlignRight) << 0.0 << 0.0 << 0.0
        << 0.0 << 4.0;
    QTest::newRow("huge indent is capped")
        << QByteArray("\\li2147483647 word\\par") << int(Qt::AlignLeft) << 2112.0 << 0.0 << 0.0
        << 0.0 << 0.0;
}

void TestRtfReader::paragraphFormats()
{
    QFETCH(QByteArray, body);
    const auto document = read(withHeader(body));
    const QTextBlockFormat format = blockFormatOf(*document, QStringLiteral("word"));
    QTEST(int(format.alignment() & Qt::AlignHorizontal_Mask), "alignment");
    QTEST(format.leftMargin(), "left");
    QTEST(format.rightMargin(), "right");
    QTEST(format.textIndent(), "firstLine");
    QTEST(format.topMargin(), "top");
    QTEST(format.bottomMargin(), "bottom");
}

void TestRtfReader::hangingIndentAlignsTheTextAfterTheNumber()
{
    const auto document = read(withHeader("\\deftab360 \\fi-360\\li720 1.\\tab item\\par"));
    const QTextBlockFormat format = blockFormatOf(*document, QStringLiteral("item"));
    QCOMPARE(format.tabPositions().size(), 1);
    QCOMPARE(format.tabPositions().first().position, 24.0);
    QCOMPARE(document->defaultTextOption().tabStopDistance(), 24.0);
}

void TestRtfReader::paragraphStructure_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QStringList>("blocks");

    QTest::newRow("paragraphs") << QByteArray("one\\par two\\par three")
                                << QStringList{"one", "two", "three"};
    QTest::newRow("no empty paragraph after the last \\par")
        << QByteArray("one\\par") << QStringList{"one"};
    QTest::newRow("empty paragraphs are kept")
        << QByteArray("one\\par\\par two") << QStringList{"one", "", "two"};
    QTest::newRow("line break stays in the paragraph")
        << QByteArray("one\\line two") << QStringList{QStringLiteral("one\u2028two")};
    QTest::newRow("tab") << QByteArray("one\\tab two") << QStringList{"one\ttwo"};
    QTest::newRow("backslash and line end")
        << QByteArray("one\\\ntwo\\\r\nthree") << QStringList{"one", "two", "three"};
    QTest::newRow("line ends in text are ignored")
        << QByteArray("on\ne\r\n two") << QStringList{"one two"};
    QTest::newRow("\\sect and \\page end paragraphs")
        << QByteArray("one\\sect two\\page three") << QStringList{"one", "two", "three"};
    QTest::newRow("hidden text") << QByteArray("one{\\v secret} two\\v  gone\\v0 !")
                                 << QStringList{"one two!"};
    QTest::newRow("list texts as written")
        << QByteArray("{\\pntext\\f0 1.\\tab}{\\*\\pn\\pnlvlbody{\\pntxta .}}first\\par"
                      "{\\listtext\\'95\\tab}second")
        << QStringList{"1.\tfirst", QStringLiteral("\u2022\tsecond")};
    QTest::newRow("unknown words are ignored, their text shows")
        << QByteArray("\\widctlpar\\nosuchword12 one\\par") << QStringList{"one"};
}

void TestRtfReader::paragraphStructure()
{
    QFETCH(QByteArray, body);
    const auto document = read(withHeader(body));
    QTEST(blockTexts(*document), "blocks");
}

void TestRtfReader::specialCharacters_data()
{
    QTest::addColumn<QByteArray>("control");
    QTest::addColumn<QString>("expected");

    QTest::newRow("non-breaking space") << QByteArray("\\~") << QStringLiteral("\u00A0");
    QTest::newRow("soft hyphen") << QByteArray("\\-") << QStringLiteral("\u00AD");
    QTest::newRow("non-breaking hyphen") << QByteArray("\\_") << QStringLiteral("\u2011");
    QTest::newRow("em dash") << QByteArray("\\emdash ") << QStringLiteral("\u2014");
    QTest::newRow("en dash") << QByteArray("\\endash ") << QStringLiteral("\u2013");
    QTest::newRow("left quote") << QByteArray("\\lquote ") << QStringLiteral("\u2018");
    QTest::newRow("right quote") << QByteArray("\\rquote ") << QStringLiteral("\u2019");
    QTest::newRow("left double quote") << QByteArray("\\ldblquote ") << QStringLiteral("\u201C");
    QTest::newRow("right double quote") << QByteArray("\\rdblquote ") << QStringLiteral("\u201D");
    QTest::newRow("bullet") << QByteArray("\\bullet ") << QStringLiteral("\u2022");
    QTest::newRow("escaped braces and backslash") << QByteArray("\\{\\}\\\\") << "{}\\";
}

void TestRtfReader::specialCharacters()
{
    QFETCH(QByteArray, control);
    QFETCH(QString, expected);
    const auto document = read(withHeader("[" + control + "]"));
    QCOMPARE(document->toRawText(), "[" + expected + "]");
}

void TestRtfReader::codePages_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("expected");

    QTest::newRow("1252 accents and eñe")
        << QByteArray("{\\rtf1\\ansi\\ansicpg1252 Espa\\'f1a: cami\\'f3n, \\'bfqu\\'e9? "
                      "\\'c1\\'c9\\'cd\\'d3\\'da\\'d1\\'fc \\'80}")
        << QStringLiteral("España: camión, ¿qué? ÁÉÍÓÚÑü €");
    QTest::newRow("raw 8-bit bytes decode like escapes") << QByteArray("{\\rtf1\\ansi Espa\xf1"
                                                                       "a}")
                                                         << QStringLiteral("España");
    QTest::newRow("\\ansicpg1251")
        << QByteArray("{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0\\'e8}") << QStringLiteral("При");
    QTest::newRow("font charset 238 reads 1250")
        << QByteArray("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset238 Arial CE;}}"
                      "\\'e8{\\f1 \\'e8}\\'e8}")
        << QStringLiteral("èčè");
    QTest::newRow("\\cpg of a font") << QByteArray("{\\rtf1\\ansi{\\fonttbl{\\f1\\cpg1253 G;}}"
                                                   "\\f1 \\'e1}")
                                     << QStringLiteral("α");
    QTest::newRow("\\mac") << QByteArray("{\\rtf1\\mac Espa\\'96a, cami\\'97n}")
                           << QStringLiteral("España, camión");
    QTest::newRow("\\pc (437)") << QByteArray("{\\rtf1\\pc Espa\\'a4a}")
                                << QStringLiteral("España");
    QTest::newRow("\\pca (850)") << QByteArray("{\\rtf1\\pca \\'a5\\'b5}") << QStringLiteral("ÑÁ");
    QTest::newRow("Shift-JIS escapes and a literal trail byte")
        << QByteArray("{\\rtf1\\ansi{\\fonttbl{\\f1\\fcharset128 MS Mincho;}}"
                      "\\f1 \\'93\\'fa\\'96\\'7b\\'83@ ok}")
        << QStringLiteral("日本ァ ok");
    QTest::newRow("GBK (936)") << QByteArray("{\\rtf1\\ansi{\\fonttbl{\\f2\\fcharset134 SimSun;}}"
                                             "\\f2 \\'d6\\'d0\\'ce\\'c4}")
                               << QStringLiteral("中文");
    QTest::newRow("Korean (949) and Big5 (950)")
        << QByteArray("{\\rtf1\\ansi{\\fonttbl{\\f1\\fcharset129 K;}{\\f2\\fcharset136 T;}}"
                      "{\\f1 \\'b0\\'a1}{\\f2 \\'a4\\'a4}}")
        << QStringLiteral("가中");
    QTest::newRow("lead byte cut by a font change")
        << QByteArray("{\\rtf1\\ansi{\\fonttbl{\\f0 A;}{\\f1\\fcharset128 J;}}"
                      "{\\f1 \\'93}x}")
        << QStringLiteral("\uFFFDx");
    QTest::newRow("lead byte before an invalid trail byte")
        << QByteArray("{\\rtf1\\ansi{\\fonttbl{\\f1\\fcharset128 J;}}\\f1 \\'93 x}")
        << QStringLiteral("\uFFFD x");
    QTest::newRow("control bytes are dropped")
        << QByteArray("{\\rtf1\\ansi a\\'00\\'07\\'1fb\\'09c}") << QStringLiteral("ab\tc");
}

void TestRtfReader::codePages()
{
    QFETCH(QByteArray, rtf);
    const auto document = read(rtf);
    QTEST(document->toRawText(), "expected");
}

void TestRtfReader::unicode_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("expected");

    QTest::newRow("\\u with one fallback")
        << QByteArray("Espa\\u241?a") << QStringLiteral("España");
    QTest::newRow("hex fallback counts as one")
        << QByteArray("cami\\u243\\'f3n") << QStringLiteral("camión");
    QTest::newRow("\\uc2") << QByteArray("\\uc2 a\\u241 xxb") << QStringLiteral("añb");
    QTest::newRow("\\uc0") << QByteArray("\\uc0 a\\u241 b") << QStringLiteral("añb");
    QTest::newRow("negative value") << QByteArray("\\u-3913?") << QStringLiteral("\uF0B7");
    QTest::newRow("surrogate pair as negatives")
        << QByteArray("[\\u-10179?\\u-8704?]") << QStringLiteral("[\U0001F600]");
    QTest::newRow("surrogate pair as positives")
        << QByteArray("[\\u55357?\\u56832?]") << QStringLiteral("[\U0001F600]");
    QTest::newRow("lone high surrogate")
        << QByteArray("[\\u-10179?x]") << QStringLiteral("[\uFFFDx]");
    QTest::newRow("lone low surrogate") << QByteArray("[\\u-8704?]") << QStringLiteral("[\uFFFD]");
    QTest::newRow("\\uc is saved per group")
        << QByteArray("{\\uc2 a}\\u233 XY") << QStringLiteral("aéY");
    QTest::newRow("inner group inherits \\uc")
        << QByteArray("\\uc2{\\u233 XYZ}") << QStringLiteral("éZ");
    QTest::newRow("group end stops skipping")
        << QByteArray("\\uc3{\\u233 a}b") << QStringLiteral("éb");
    QTest::newRow("a control word counts as one")
        << QByteArray("\\u233\\tab X") << QStringLiteral("éX");
    QTest::newRow("\\upr shows its \\ud twin")
        << QByteArray("{\\upr{8-bit text}{\\*\\ud{wide \\u233?}}}") << QStringLiteral("wide é");
    QTest::newRow("out of range") << QByteArray("[\\u99999999?]") << QStringLiteral("[\uFFFD]");
    QTest::newRow("control characters are dropped")
        << QByteArray("[\\u10?\\u13?\\u8233?\\u-560?]") << QStringLiteral("[]");
}

void TestRtfReader::unicode()
{
    QFETCH(QByteArray, body);
    const auto document = read(withHeader(body));
    QTEST(document->toRawText(), "expected");
}

void TestRtfReader::skippedDestinations_data()
{
    QTest::addColumn<QByteArray>("body");

    QTest::newRow("unknown \\* destination") << QByteArray("{\\*\\nosuchthing gone{ x}}");
    QTest::newRow("\\* before a plain word") << QByteArray("{\\*\\b gone}");
    QTest::newRow("info") << QByteArray("{\\info{\\title gone}{\\author gone}}");
    QTest::newRow("stylesheet") << QByteArray("{\\stylesheet{\\s0 gone;}{\\s1 gone;}}");
    QTest::newRow("header and footer") << QByteArray("{\\header gone}{\\footerr gone}");
    QTest::newRow("footnote") << QByteArray("{\\footnote gone}");
    QTest::newRow("annotation") << QByteArray("{\\*\\atnid gone}{\\*\\annotation gone}");
    QTest::newRow("fallback picture") << QByteArray("{\\nonshppict{\\pict\\wmetafile8 0102}gone}");
    QTest::newRow("escaped braces inside") << QByteArray("{\\*\\x gone \\} gone \\{ gone}");
}

void TestRtfReader::skippedDestinations()
{
    QFETCH(QByteArray, body);
    const auto document = read(withHeader("[" + body + "]"));
    QCOMPARE(document->toRawText(), QStringLiteral("[]"));
}

void TestRtfReader::binaryData_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("expected");

    QTest::newRow("braces and backslashes are data")
        << QByteArray("a\\bin4 {}\\}b") << QStringLiteral("ab");
    QTest::newRow("inside a skipped group")
        << QByteArray("a{\\*\\x \\bin2 }}}b") << QStringLiteral("ab");
    QTest::newRow("counts as one fallback character")
        << QByteArray("\\u233\\bin1 xb") << QStringLiteral("éb");
    QTest::newRow("past the end") << QByteArray("a\\bin1000 xyz") << QStringLiteral("a");
    QTest::newRow("negative count") << QByteArray("a\\bin-5 b") << QStringLiteral("ab");
}

void TestRtfReader::binaryData()
{
    QFETCH(QByteArray, body);
    // The closing brace that withHeader() adds is binary data in the "past the end" row.
    const auto document = read(withHeader(body));
    QTEST(document->toRawText(), "expected");
}

void TestRtfReader::tableStructure()
{
    const auto document =
        read(withHeader("Before\\par"
                        "\\trowd\\cellx2000\\cellx4000\\cellx6000"
                        "\\pard\\intbl A1\\cell \\b A2\\b0\\cell two\\par lines\\cell\\row"
                        "\\trowd\\cellx2000\\cellx4000\\cellx6000"
                        "\\pard\\intbl B1\\cell B2\\cell B3\\cell\\row"
                        "\\pard After\\par"));
    const auto found = tables(*document);
    QCOMPARE(found.size(), 1);
    QTextTable* table = found.first();
    QCOMPARE(table->rows(), 2);
    QCOMPARE(table->columns(), 3);
    QCOMPARE(cellText(table, 0, 0), QStringLiteral("A1"));
    QCOMPARE(cellText(table, 0, 1), QStringLiteral("A2"));
    QCOMPARE(cellText(table, 0, 2), QStringLiteral("two\nlines"));
    QCOMPARE(cellText(table, 1, 2), QStringLiteral("B3"));
    QCOMPARE(describe(formatOf(*document, QStringLiteral("A2"))),
             QStringLiteral("bold family:Arial size:12"));
    // The table stands between the paragraphs around it.
    QVERIFY(document->find(QStringLiteral("Before")).position() < table->firstPosition());
    QVERIFY(document->find(QStringLiteral("After")).position() > table->lastPosition());
}

void TestRtfReader::tableLayout()
{
    // Word writes the row properties again, in a group, just before \row.
    const QByteArray row = "\\trowd\\trgaph108\\clbrdrt\\brdrs\\brdrw10\\clcbpat2\\cellx1500"
                           "\\clbrdrt\\brdrs\\cellx4500";
    const auto document = read(withHeader("\\pard\\intbl x\\cell y\\cell{" + row + "\\row}" +
                                          "\\pard\\intbl z\\cell\\row\\pard\\par"));
    const auto found = tables(*document);
    QCOMPARE(found.size(), 1);
    QTextTable* table = found.first();
    QCOMPARE(table->rows(), 2);
    QCOMPARE(table->columns(), 2);
    const QTextTableFormat format = table->format();
    QCOMPARE(format.border(), 1.0);
    const auto widths = format.columnWidthConstraints();
    QCOMPARE(widths.size(), 2);
    QCOMPARE(widths.at(0).rawValue(), 100.0);
    QCOMPARE(widths.at(1).rawValue(), 200.0);
    QCOMPARE(table->cellAt(0, 0).format().background().color(), QColor(255, 255, 0));
    QCOMPARE(table->cellAt(0, 1).format().hasProperty(QTextFormat::BackgroundBrush), false);
    // The second row used the definition still in force, and has only one cell.
    QCOMPARE(cellText(table, 1, 0), QStringLiteral("z"));
    QCOMPARE(cellText(table, 1, 1), QString());
}

void TestRtfReader::tableFollowedByText()
{
    const auto document = read(withHeader("\\trowd\\cellx1000\\intbl a\\cell\\row"
                                          "\\trowd\\cellx1000\\intbl b\\cell\\row"
                                          "\\pard between\\par"
                                          "\\trowd\\cellx1000\\intbl c\\cell\\row\\pard end"));
    const auto found = tables(*document);
    QCOMPARE(found.size(), 2);
    QCOMPARE(found.at(0)->rows(), 2);
    QCOMPARE(cellText(found.at(1), 0, 0), QStringLiteral("c"));
    QVERIFY(blockTexts(*document).contains(QStringLiteral("between")));
    QCOMPARE(blockTexts(*document).last(), QStringLiteral("end"));
}

void TestRtfReader::uncloseableRowsStillShow()
{
    // No \row at all, a \cell without \intbl, and more cells than any row may hold.
    QByteArray many;
    for (int i = 0; i < 100; ++i)
        many += "c" + QByteArray::number(i) + "\\cell ";
    const auto document = read(withHeader("first\\cell second\\cell\\pard after\\par " + many));
    const auto found = tables(*document);
    QCOMPARE(found.size(), 2);
    QCOMPARE(cellText(found.at(0), 0, 1), QStringLiteral("second"));
    QCOMPARE(found.at(1)->columns(), 63);
    QVERIFY(cellText(found.at(1), 0, 62).startsWith(QStringLiteral("c62")));
    QVERIFY(cellText(found.at(1), 0, 62).contains(QStringLiteral("c99")));
}

void TestRtfReader::longTableGoesOnInANewTable()
{
    // One row of 63 cells, then 1000 rows of one cell: each row would be 63 cells wide.
    QByteArray rtf = "\\intbl ";
    for (int i = 0; i < 63; ++i)
        rtf += "w\\cell ";
    rtf += "\\row ";
    for (int i = 0; i < 1000; ++i)
        rtf += "r" + QByteArray::number(i) + "\\cell\\row ";
    const auto document = read(withHeader(rtf));
    const auto found = tables(*document);
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
    QTest::newRow("goal and scale") << "{\\pict\\pngblip\\picwgoal1500\\pichgoal600"
                                       "\\picscalex50\\picscaley200 " +
                                           png + "}"
                                    << QSize(50, 80);
    QTest::newRow("jpeg in \\bin")
        << "{\\pict\\jpegblip\\bin" + QByteArray::number(jpeg.size()) + " " + jpeg + "}"
        << QSize(30, 15);
    QTest::newRow("hex split over lines")
        << "{\\pict\\pngblip " + png.left(11) + "\r\n" + png.mid(11) + "}" << QSize(20, 10);
}

void TestRtfReader::pictures()
{
    QFETCH(QByteArray, picture);
    QFETCH(QSize, shown);
    const auto document = read(withHeader("a" + picture + "b"));
    const auto found = images(*document);
    QCOMPARE(found.size(), 1);
    QCOMPARE(QSize(qRound(found.first().width()), qRound(found.first().height())), shown);
    const QVariant resource =
        document->resource(QTextDocument::ImageResource, QUrl(found.first().name()));
    QVERIFY(!resource.value<QImage>().isNull());
    QCOMPARE(document->toRawText(), QStringLiteral("a\uFFFCb"));
}

void TestRtfReader::pictureOfEachWordOutputOnlyOnce()
{
    const QByteArray png = imageBytes("PNG", QSize(4, 4)).toHex();
    const auto document = read(withHeader(
        "{\\*\\shppict{\\pict\\pngblip " + png + "}}{\\nonshppict{\\pict\\wmetafile8 " + png +
        "}}" + "{\\pict\\wmetafile8 0100}{\\pict\\emfblip 0100}{\\pict\\pngblip 0badc0de}"));
    QCOMPARE(images(*document).size(), 1);
}

void TestRtfReader::hyperlinks_data()
{
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<QString>("href");

    QTest::newRow("web address")
        << QByteArray("{\\field{\\*\\fldinst{HYPERLINK \"http://example.com/a?b=1\"}}"
                      "{\\fldrslt{\\ul\\cf3 the link}}}")
        << "http://example.com/a?b=1";
    QTest::newRow("instruction in pieces, with a switch")
        << QByteArray("{\\field{\\*\\fldinst {\\f1 HYPERLINK }{\"mailto:x@example.com\" "
                      "\\\\o \"tip\"}{\\*\\datafield 00ff}}{\\fldrslt the link}}")
        << "mailto:x@example.com";
    QTest::newRow("bookmark") << QByteArray("{\\field{\\*\\fldinst HYPERLINK \\\\l \"mark\"}"
                                            "{\\fldrslt the link}}")
                              << "#mark";
    QTest::newRow("other fields show their result")
        << QByteArray("{\\field{\\*\\fldinst PAGE}{\\fldrslt the link}}") << QString();
}

void TestRtfReader::hyperlinks()
{
    QFETCH(QByteArray, field);
    QFETCH(QString, href);
    const auto document = read(withHeader("before " + field + " after"));
    QCOMPARE(document->toRawText(), QStringLiteral("before the link after"));
    const QTextCharFormat link = formatOf(*document, QStringLiteral("the link"));
    QCOMPARE(link.isAnchor(), !href.isEmpty());
    QCOMPARE(link.anchorHref(), href);
    QVERIFY(!formatOf(*document, QStringLiteral("after")).isAnchor());
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
    for (const QString& leak : {QStringLiteral("Normal"), QStringLiteral("ListLabel"),
                                QStringLiteral("Liberation"), QStringLiteral("Times New Roman")})
        QVERIFY2(!text.contains(leak), qPrintable(leak));
    QVERIFY(text.contains(QStringLiteral("\u2022\t11 Terrenos (1101 urbanos, 1102 rurales).\n")));
    QVERIFY(text.contains(QStringLiteral("\n2.\tValor amortizable: el precio de compra (P) menos "
                                         "el valor residual estimado, P \u2212 R.\n")));
    const QTextCharFormat heading = formatOf(*document, QStringLiteral("3.2 Un ejemplo"));
    QCOMPARE(heading.fontWeight(), int(QFont::Bold));
    QCOMPARE(heading.fontPointSize(), 12.0);
    QCOMPARE(heading.foreground().color(), QColor(128, 0, 0));
    QCOMPARE(describe(formatOf(*document, QStringLiteral("Ambos"))),
             QStringLiteral("family:Arial size:11"));

    const auto found = tables(*document);
    QCOMPARE(found.size(), 2);
    QCOMPARE(found.at(0)->rows(), 19);
    QCOMPARE(found.at(0)->columns(), 4);
    QCOMPARE(cellText(found.at(0), 13, 0), QStringLiteral("EQUIPO DE COMPUTACION"));
    QCOMPARE(cellText(found.at(0), 13, 2), QStringLiteral("3 o 5"));
    QCOMPARE(found.at(0)->cellAt(0, 0).format().background().color(), QColor(214, 230, 245));
    QCOMPARE(cellText(found.at(1), 6, 2), QStringLiteral("499,50"));
    QCOMPARE(blockFormatOf(*document, QStringLiteral("499,50")).alignment() &
                 Qt::AlignHorizontal_Mask,
             Qt::AlignRight);
}

void TestRtfReader::notRtf()
{
    QTextDocument document;
    document.setPlainText(QStringLiteral("old content"));
    QVERIFY(!readRtf("hello {\\rtf1 x}", document));
    QVERIFY(document.isEmpty());
    QVERIFY(!readRtf(QByteArray(), document));
    QVERIFY(!readRtf("{\\rt", document));
    QVERIFY(readRtf(" \r\n{\\rtf1 x}", document));
    QCOMPARE(document.toRawText(), QStringLiteral("x"));
}

QTEST_MAIN(TestRtfReader)
#include "tst_rtfreader.moc"
