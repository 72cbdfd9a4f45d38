#include "DbTestSupport.h"

#include "db/JetFunctions.h"
#include "db/JetPattern.h"

#include <QRandomGenerator>
#include <cstring>
#include <memory>
#include <sqlite3.h>

using vemtaro::db::DbError;
using vemtaro::db::JetPattern;

namespace {

std::string_view view(const QByteArray& bytes)
{
    return {bytes.constData(), size_t(bytes.size())};
}

QString randomText(QRandomGenerator& random, const QStringList& alphabet, int maxLength)
{
    QString text;
    for (int n = random.bounded(maxLength + 1); n > 0; --n)
        text += alphabet[random.bounded(int(alphabet.size()))];
    return text;
}

// A plain backtracking matcher for patterns of literals, `*`, `?` and `#`, on decoded
// characters, to check the compiled matcher's search strategy against.
bool referenceMatch(const char32_t* pattern, const char32_t* subject)
{
    if (*pattern == 0)
        return *subject == 0;
    if (*pattern == '*')
        return referenceMatch(pattern + 1, subject) ||
               (*subject && referenceMatch(pattern, subject + 1));
    if (*subject == 0)
        return false;
    const bool one = *pattern == '?' || (*pattern == '#' ? *subject >= '0' && *subject <= '9'
                                                         : QChar::toCaseFolded(*pattern) ==
                                                               QChar::toCaseFolded(*subject));
    return one && referenceMatch(pattern + 1, subject + 1);
}

} // namespace

class TestJetPattern : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void matches_data()
    {
        QTest::addColumn<QByteArray>("pattern");
        QTest::addColumn<QByteArray>("subject");
        QTest::addColumn<bool>("expected");
        auto row = [](const char* name, const QByteArray& pattern, const QByteArray& subject,
                      bool expected) { QTest::newRow(name) << pattern << subject << expected; };

        // Wildcards of every kind on many texts are checked on random patterns below.
        row("# only ASCII digits", "#", "٣", false);
        row("list", "[abc]", "B", true);
        row("negated list", "[!abc]", "d", true);
        row("negated list, other case", "[!abc]", "A", false);
        row("range, other case", "[a-z]", "Q", true);
        row("range by code point", "[a-z]", "ñ", false);
        row("accented list item", "[ñ]", "Ñ", true);
        row("star in list is literal", "*[*]*", "ab", false);
        row("? in list is literal", "[?]", "x", false);
        row("# in list is literal", "[#]", "#", true);
        row("empty list is nothing", "a[]b", "ab", true);
        row("lone ! is itself", "[!]", "!", true);
        row("dash first", "[-a]", "-", true);
        row("dash last", "[a-]", "-", true);
        row("negated dash", "[!-]", "-", false);
        row("bracket close outside", "a]", "A]", true);

        row("accented, other case", "*árbol*", "ÁRBOL", true);
        row("accent is significant", "*arbol*", "ÁRBOL", false);
        row("ñ inside upper text", "*ñ*", "AÑO", true);
        row("found after accents", "*mesa*", "ÁÉÍ MESA", true);
        row("long s first", "*silla*", "X ſILLA", true);
        row("long word across bytes", "*madera y metal*", "MESA DE MADERA Y METAL", true);
        row("long word, one letter off", "*madera y metal*", "MESA DE MADERA Y METAS", false);

        // Bytes that are not UTF-8 are characters of their own.
        row("? on a stray byte", "?", "\xFF", true);
        row("cut sequence is two", "?", "\xE2\x82", false);
        row("cut sequence, two ?", "??", "\xE2\x82", true);
        row("other stray byte", "\xFF", "\xFE", false);
        row("stray lead is not é", "*\xC3*", "café", false);
        row("stray lead found", "*\xC3*", "x\xC3(", true);
        row("nul is a character", QByteArray("a?b", 3), QByteArray("a\0b", 3), true);
    }

    void matches()
    {
        QFETCH(QByteArray, pattern);
        QFETCH(QByteArray, subject);
        QFETCH(bool, expected);
        QCOMPARE(JetPattern(view(pattern)).matches(view(subject)), expected);
    }

    void agreesWithBacktrackingOnRandomPatterns()
    {
        QRandomGenerator random(20240611);
        // Few letters, so that parts repeat and overlap; ſ and K fold to s and k.
        const QStringList patternChars = {"a", "b", "s", "k", "A", "1", "*", "*", "?", "#", "ñ"};
        const QStringList subjectChars = {"a", "b", "s", "k",      "A", "B", "S",
                                          "1", "2", "ſ", "\u212A", "ñ", "Ñ", "é"};
        for (int i = 0; i < 30000; ++i) {
            const QString pattern = randomText(random, patternChars, 7);
            const QString subject = randomText(random, subjectChars, 20);
            const bool expected =
                referenceMatch(pattern.toStdU32String().c_str(), subject.toStdU32String().c_str());
            QVERIFY2(JetPattern(view(pattern.toUtf8())).matches(view(subject.toUtf8())) == expected,
                     qPrintable(pattern + QStringLiteral(" on ") + subject));
        }
        // Any bytes at all are matched or refused, never read beyond.
        for (int i = 0; i < 5000; ++i) {
            QByteArray pattern(4 * random.bounded(7), '\0'), subject(4 * random.bounded(7), '\0');
            random.fillRange(reinterpret_cast<quint32*>(pattern.data()), pattern.size() / 4);
            random.fillRange(reinterpret_cast<quint32*>(subject.data()), subject.size() / 4);
            try {
                JetPattern(view(pattern)).matches(view(subject));
            } catch (const DbError&) {
            }
        }
    }

    // Long texts are searched in blocks; a word must be found wherever it lies, also across
    // block borders and in the last block, and never beyond the text.
    void findsWordsAtEveryPlace()
    {
        const JetPattern word("*mesa*");
        const JetPattern accented("*ño*");
        for (int length = 0; length < 48; ++length) {
            for (int place = 0; place <= length; ++place) {
                const QByteArray before(place, 'x');
                const QByteArray after(length - place, 'x');
                QVERIFY(word.matches(view(before + "MESA" + after)));
                QVERIFY(word.matches(view(before + "MEſA" + after)));
                QVERIFY(!word.matches(view(before + "MES" + after)));
                QVERIFY(accented.matches(view(before + "AÑO" + after)));
                // In a buffer of its exact size, so that a sanitizer sees any read beyond it.
                const QByteArray cut = before + "MES";
                const auto exact = std::make_unique<char[]>(size_t(cut.size()));
                std::memcpy(exact.get(), cut.constData(), size_t(cut.size()));
                QVERIFY(!word.matches(std::string_view(exact.get(), size_t(cut.size()))));
            }
        }
    }

    void throughSql_data()
    {
        // Over a table t(v) of NULL, 'MESA', 12, 12.5, '' and 'Ñandú'; a malformed pattern fails
        // the statement.
        QTest::addColumn<QByteArray>("sql");
        QTest::addColumn<QString>("expected");
        auto row = [](const char* name, const char* sql, const char* expected) {
            QTest::newRow(name) << QByteArray(sql) << QString::fromUtf8(expected);
        };
        row("* skips the null", "SELECT count(*) FROM t WHERE jet_like('*', v)", "5");
        row("not * selects nothing", "SELECT count(*) FROM t WHERE NOT jet_like('*', v)", "0");
        row("not like skips the null", "SELECT count(*) FROM t WHERE NOT jet_like('*zz*', v)", "5");
        row("null value", "SELECT jet_like('*', NULL)", "<null>");
        row("null pattern", "SELECT jet_like(NULL, 'a')", "<null>");
        row("stars only", "SELECT jet_like('***', '')", "1");
        row("star and one char", "SELECT jet_like('*?', '')", "0");
        row("integer on its text", "SELECT group_concat(v) FROM t WHERE jet_like('1#', v)", "12");
        row("real on its text", "SELECT group_concat(v) FROM t WHERE jet_like('*.5', v)", "12.5");
        row("a pattern for each row",
            "SELECT count(*) FROM t, (SELECT '*a*' AS p UNION ALL SELECT '1#') "
            "WHERE jet_like(p, v)",
            "3");
        row("open list", "SELECT count(*) FROM t WHERE jet_like('*[abc', v)",
            "<error: Patrón no válido «*[abc»: falta el corchete de cierre «]».>");
        row("open negated list", "SELECT jet_like('a[!', 'a')",
            "<error: Patrón no válido «a[!»: falta el corchete de cierre «]».>");
        row("backwards range", "SELECT jet_like('[z-a]', 'a')",
            "<error: Patrón no válido «[z-a]»: el intervalo «z-a» está al revés.>");
    }

    void throughSql()
    {
        QFETCH(QByteArray, sql);
        QFETCH(QString, expected);
        sqlite3* db = nullptr;
        sqlite3_open(":memory:", &db);
        vemtaro::db::registerJetFunctions(db);
        sqlite3_exec(db,
                     "CREATE TABLE t (v); INSERT INTO t VALUES (NULL), ('MESA'), (12), (12.5), "
                     "(''), ('Ñandú')",
                     nullptr, nullptr, nullptr);
        const QString result = scalar(db, sql.constData());
        sqlite3_close(db);
        QCOMPARE(result, expected);
    }
};

QTEST_GUILESS_MAIN(TestJetPattern)
#include "tst_jetpattern.moc"
