// Broken, hostile and truncated RTF: the reader shows what it could read and returns.
#include "RtfTestSupport.h"

#include "references/RtfReader.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTest>

using namespace vemtaro::references;
using namespace vemtaro::references::test;

class TestMalformedRtf : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void showsWhatItCouldRead_data();
    void showsWhatItCouldRead();
    void replaysFuzzFindings();
    void junkLeavesTheTextAroundIt();
};

void TestMalformedRtf::showsWhatItCouldRead_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("expected");

    QTest::newRow("extra closing braces end the document") << QByteArray("{\\rtf1 a}}}b") << "a";
    QTest::newRow("missing closing braces") << QByteArray("{\\rtf1 a{\\b b{\\i c") << "abc";
    QTest::newRow("nesting within the cap shows")
        << "{\\rtf1 a" + QByteArray(200, '{') + "mid" + QByteArray(200, '}') + "b}"
        << "amidb";
    // Past the cap groups keep no state of their own, but their text still shows, and
    // destinations there are skipped without leaking into the groups around them.
    QTest::newRow("nesting beyond the cap keeps its text")
        << "{\\rtf1 a" + QByteArray(300, '{') + "deep" + QByteArray(300, '}') + "b}"
        << "adeepb";
    QTest::newRow("destinations beyond the cap")
        << "{\\rtf1 a" + QByteArray(300, '{') +
               "{\\*\\fldinst x}{\\fonttbl f;}{\\pict 00}{\\*\\nosuch y}{\\field z}deep" +
               QByteArray(300, '}') + "b}c"
        << "azdeepb";
    QTest::newRow("a million open braces") << "{\\rtf1 a" + QByteArray(1000000, '{') + "x"
                                           << "ax";
    QTest::newRow("ends after a backslash") << QByteArray("{\\rtf1 a\\") << "a";
    QTest::newRow("ends inside a hex escape") << QByteArray("{\\rtf1 a\\'4") << "a4";
    QTest::newRow("ends inside a picture")
        << QByteArray("{\\rtf1 a{\\pict\\pngblip 89504e47") << "a";
    QTest::newRow("ends inside the font table") << QByteArray("{\\rtf1{\\fonttbl{\\f0 Ari") << "";
    QTest::newRow("ends inside a field instruction")
        << QByteArray("{\\rtf1 a{\\field{\\*\\fldinst HYPERLINK \"x") << "a";
    QTest::newRow("ends inside \\bin") << QByteArray("{\\rtf1 a\\bin2147483647 {{{") << "a";
    QTest::newRow("ends inside a table row")
        << QByteArray("{\\rtf1\\trowd\\cellx100\\cellx200\\intbl a\\cell b") << "\n[a|b]\n";
    QTest::newRow("overlong control word") << "{\\rtf1 \\" + QByteArray(5000, 'a') + "1 x}"
                                           << "x";
    QTest::newRow("overlong parameter") << "{\\rtf1 \\b" + QByteArray(5000, '9') + " x}"
                                        << "x";
    QTest::newRow("\\* in the outermost group") << QByteArray("{\\rtf1\\*\\nosuch a}") << "a";
    QTest::newRow("destination word in the outermost group")
        << QByteArray("{\\rtf1\\info a\\fonttbl b}") << "ab";
    QTest::newRow("\\upr with nothing after it") << QByteArray("{\\rtf1\\upr a}") << "a";
    QTest::newRow("field result without a field") << QByteArray("{\\rtf1{\\fldrslt r}}") << "r";
    QTest::newRow("field instruction without a field")
        << QByteArray("{\\rtf1{\\*\\fldinst HYPERLINK x}y}") << "y";
    QTest::newRow("picture outside the body")
        << QByteArray("{\\rtf1{\\fonttbl{\\pict 00}}z}") << "z";
    QTest::newRow("\\uc far beyond the text")
        << QByteArray("{\\rtf1{\\uc2147483647\\u233 gone}b}") << "éb";
    QTest::newRow("a font numbered -1 is no font")
        << QByteArray("{\\rtf1{\\fonttbl{\\f-1\\fcharset2 Symbol;}}a}") << "a";
    QTest::newRow("\\row and \\cell in a font table")
        << QByteArray("{\\rtf1{\\fonttbl\\cell\\row\\par x;}y}") << "y";
}

void TestMalformedRtf::showsWhatItCouldRead()
{
    QFETCH(QByteArray, rtf);
    QTEST(outline(*read(rtf)), "expected");
}

// Inputs the fuzzer once found troublesome: each is read and laid out.
void TestMalformedRtf::replaysFuzzFindings()
{
    const QDir folder(QFINDTESTDATA("fuzz-regressions"));
    QVERIFY2(folder.exists(QStringLiteral("README.md")), "the fuzz-regressions folder is missing");
    for (const QString& name : folder.entryList(QDir::Files)) {
        QFile file(folder.filePath(name));
        if (name == QStringLiteral("README.md") || !file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray rtf = file.readAll();
        QTextDocument document;
        QVERIFY2(readRtf(rtf, document) == looksLikeRtf(rtf), qPrintable(name));
        document.setTextWidth(500);
        document.size();
    }
}

// Random RTF made of the reader's own words, braces (now and then past the nesting cap),
// \bin data, \u and \' escapes and stray bytes, in groups that each close again, with
// numbered marks of plain text between the groups. Whatever a group holds, the marks after
// it must show, in order, and the document must stay in proportion to the input.
void TestMalformedRtf::junkLeavesTheTextAroundIt()
{
    const QList<QByteArray> words =
        QByteArray("b i0 ul v plain pard par line tab cell row nestcell nestrow trowd intbl itap2 "
                   "sect page fonttbl colortbl pict pngblip field fldinst fldrslt upr ud listtext "
                   "info nonesttables nesttableprops deff0 ansi mac pc red255 clbrdrt brdrs "
                   "brdrw30 brdrcf1 clvertalc bullet emdash nosuchword")
            .split(' ');
    const QList<QByteArray> numbered =
        QByteArray("u uc f fs cf cellx trrh fcharset ansicpg cpg trgaph li fi").split(' ');
    const QList<QByteArray> parameters =
        QByteArray("-70000 -3913 -1 0 1 2 77 128 255 932 10001 61623 2147483647").split(' ');
    const QList<QByteArray> symbols = QByteArray("\\\\ \\{ \\} \\~ \\- \\_ \\*").split(' ');
    QRandomGenerator random(20240607);
    const auto any = [&random](const QList<QByteArray>& list) {
        return list.at(random.bounded(int(list.size())));
    };
    for (int round = 0; round < 20; ++round) {
        QByteArray rtf = "{\\rtf1\\ansi ";
        QStringList marks;
        for (int group = 0; group < 40; ++group) {
            rtf += '{';
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
                    const int digits = 1 + random.bounded(2);
                    rtf +=
                        "\\'" + QByteArray::number(random.bounded(16, 256), 16).left(digits) + ' ';
                } else { // text, with bytes past ASCII, but no RTF syntax
                    for (int i = random.bounded(1, 9); i > 0; --i) {
                        const char byte = char(random.bounded(1, 256));
                        rtf += byte == '\\' || byte == '{' || byte == '}' ? 'x' : byte;
                    }
                }
            }
            rtf += QByteArray(depth, '}');
            marks << QStringLiteral("Mark%1x%2").arg(round).arg(group);
            rtf += ' ' + marks.last().toLatin1() + ' ';
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

QTEST_MAIN(TestMalformedRtf)
#include "tst_malformedrtf.moc"
