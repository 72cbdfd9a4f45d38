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
    void survivesJunk_data();
    void survivesJunk();
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
    QTest::newRow("nesting beyond the cap is skipped")
        << "{\\rtf1 a" + QByteArray(300, '{') + "deep" + QByteArray(300, '}') + "b}"
        << "ab";
    QTest::newRow("a million open braces") << "{\\rtf1 a" + QByteArray(1000000, '{') + "x"
                                           << "a";
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
    QTest::newRow("\\row and \\cell in a font table")
        << QByteArray("{\\rtf1{\\fonttbl\\cell\\row\\par x;}y}") << "y";
}

void TestMalformedRtf::showsWhatItCouldRead()
{
    QFETCH(QByteArray, rtf);
    QTEST(outline(*read(rtf)), "expected");
}

// Recorded fuzzer findings, and seeded junk of mostly syntax characters, so that it reaches
// deep into the reader: each is read and laid out.
void TestMalformedRtf::survivesJunk_data()
{
    QTest::addColumn<QByteArray>("rtf");
    const QDir folder(QFINDTESTDATA("fuzz-regressions"));
    QVERIFY2(folder.exists(QStringLiteral("README.md")), "the fuzz-regressions folder is missing");
    for (const QString& name : folder.entryList(QDir::Files)) {
        QFile file(folder.filePath(name));
        if (name != QStringLiteral("README.md") && file.open(QIODevice::ReadOnly))
            QTest::newRow(qPrintable(name)) << file.readAll();
    }
    QRandomGenerator random(20240607);
    static const char syntax[] = "{}\\'*0123456789abcdefu-; \r\n";
    for (int round = 0; round < 20; ++round) {
        QByteArray junk = "{\\rtf1 ";
        for (int i = 0; i < 20000; ++i)
            junk += random.bounded(3) == 0 ? char(random.bounded(256))
                                           : syntax[random.bounded(int(sizeof syntax) - 1)];
        QTest::addRow("junk %d", round) << junk;
    }
}

void TestMalformedRtf::survivesJunk()
{
    QFETCH(QByteArray, rtf);
    QTextDocument document;
    QCOMPARE(readRtf(rtf, document), looksLikeRtf(rtf));
    document.setTextWidth(500);
    QVERIFY(document.size().height() > 0);
}

QTEST_MAIN(TestMalformedRtf)
#include "tst_malformedrtf.moc"
