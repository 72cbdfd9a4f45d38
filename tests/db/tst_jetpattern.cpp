#include "db/DbError.h"
#include "db/JetFunctions.h"
#include "db/JetPattern.h"

#include <QRandomGenerator>
#include <QTest>
#include <cstring>
#include <memory>
#include <sqlite3.h>

using vemtaro::db::compareJetText;
using vemtaro::db::DbError;
using vemtaro::db::JetPattern;

namespace {

std::string_view view(const QByteArray& bytes)
{
    return {bytes.constData(), size_t(bytes.size())};
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

// An in-memory database with the functions registered and a table t(v) of `values`.
struct MemoryDb {
    sqlite3* db = nullptr;
    MemoryDb()
    {
        sqlite3_open(":memory:", &db);
        vemtaro::db::registerJetFunctions(db);
        exec("CREATE TABLE t (id INTEGER PRIMARY KEY, v)");
        exec("INSERT INTO t (v) VALUES (NULL), ('MESA'), (12), (12.5), (''), ('Ñandú')");
    }
    ~MemoryDb() { sqlite3_close(db); }
    void exec(const char* sql)
    {
        QCOMPARE(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
    }
    // The single integer that `sql` yields, or -1 for a NULL.
    int value(const char* sql)
    {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK)
            return -2;
        int result = -2;
        if (sqlite3_step(stmt) == SQLITE_ROW)
            result = sqlite3_column_type(stmt, 0) == SQLITE_NULL ? -1 : sqlite3_column_int(stmt, 0);
        sqlite3_finalize(stmt);
        return result;
    }
};

} // namespace

class TestJetPattern : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void matches_data();
    void matches();
    void malformedPatternsAreRefused_data();
    void malformedPatternsAreRefused();
    void agreesWithBacktrackingOnRandomPatterns();
    void findsWordsAtEveryPlace();
    void hostileBytesNeverCrash();
    void onlyStarsMatchAnyText();
    void collationOrder_data();
    void collationOrder();
    void collationAgreesWithFoldedComparison();
    void collationSortsThroughSql();
    void sqlNullsNeverMatch_data();
    void sqlNullsNeverMatch();
    void sqlReportsMalformedPattern();
    void sqlRebindingParameterRecompiles();
};

void TestJetPattern::matches_data()
{
    QTest::addColumn<QByteArray>("pattern");
    QTest::addColumn<QByteArray>("subject");
    QTest::addColumn<bool>("expected");

    // Wildcards and anchoring.
    QTest::newRow("word inside") << QByteArray("*mesa*") << QByteArray("MESA DE ROBLE") << true;
    QTest::newRow("word split") << QByteArray("*mesa*") << QByteArray("ME SA") << false;
    QTest::newRow("two stars, empty text") << QByteArray("**") << QByteArray("") << true;
    QTest::newRow("empty pattern, empty text") << QByteArray("") << QByteArray("") << true;
    QTest::newRow("empty pattern, text") << QByteArray("") << QByteArray("a") << false;
    QTest::newRow("no star is whole text") << QByteArray("mesa") << QByteArray("mesas") << false;
    QTest::newRow("prefix") << QByteArray("12*") << QByteArray("120") << true;
    QTest::newRow("prefix elsewhere") << QByteArray("12*") << QByteArray("312") << false;
    QTest::newRow("suffix") << QByteArray("*1") << QByteArray("21") << true;
    QTest::newRow("suffix not at end") << QByteArray("*1") << QByteArray("12") << false;
    QTest::newRow("inside a code") << QByteArray("*12*") << QByteArray("3124") << true;
    QTest::newRow("ordered parts") << QByteArray("a*b*c") << QByteArray("aXbYc") << true;
    QTest::newRow("parts out of order") << QByteArray("a*b*c") << QByteArray("acb") << false;
    QTest::newRow("tail needs its own chars") << QByteArray("*ab*ab") << QByteArray("ab") << false;
    QTest::newRow("tail after overlap") << QByteArray("*aba*ba") << QByteArray("ababa") << true;
    QTest::newRow("head and tail share nothing") << QByteArray("a*a") << QByteArray("a") << false;
    QTest::newRow("one char at least") << QByteArray("?*") << QByteArray("") << false;
    QTest::newRow("two chars at least") << QByteArray("*??*") << QByteArray("x") << false;

    // Single characters, digits, lists.
    QTest::newRow("? takes a whole letter") << QByteArray("?") << QByteArray("ñ") << true;
    QTest::newRow("?? on one letter") << QByteArray("??") << QByteArray("ñ") << false;
    QTest::newRow("# digit") << QByteArray("*#") << QByteArray("ABC9") << true;
    QTest::newRow("# letter") << QByteArray("#") << QByteArray("a") << false;
    QTest::newRow("# only ASCII digits") << QByteArray("#") << QByteArray("٣") << false;
    QTest::newRow("list") << QByteArray("[abc]") << QByteArray("B") << true;
    QTest::newRow("negated list") << QByteArray("[!abc]") << QByteArray("d") << true;
    QTest::newRow("negated list, other case") << QByteArray("[!abc]") << QByteArray("A") << false;
    QTest::newRow("range, other case") << QByteArray("[a-z]") << QByteArray("Q") << true;
    QTest::newRow("range by code point") << QByteArray("[a-z]") << QByteArray("ñ") << false;
    QTest::newRow("accented list item") << QByteArray("[ñ]") << QByteArray("Ñ") << true;
    QTest::newRow("star in list") << QByteArray("*[*]*") << QByteArray("a*b") << true;
    QTest::newRow("star in list is literal") << QByteArray("*[*]*") << QByteArray("ab") << false;
    QTest::newRow("? in list") << QByteArray("[?]") << QByteArray("x") << false;
    QTest::newRow("# in list") << QByteArray("[#]") << QByteArray("#") << true;
    QTest::newRow("empty list is nothing") << QByteArray("a[]b") << QByteArray("ab") << true;
    QTest::newRow("lone ! is itself") << QByteArray("[!]") << QByteArray("!") << true;
    QTest::newRow("lone ! is only itself") << QByteArray("[!]") << QByteArray("a") << false;
    QTest::newRow("dash first") << QByteArray("[-a]") << QByteArray("-") << true;
    QTest::newRow("dash last") << QByteArray("[a-]") << QByteArray("-") << true;
    QTest::newRow("negated dash") << QByteArray("[!-]") << QByteArray("-") << false;
    QTest::newRow("bracket close outside") << QByteArray("a]") << QByteArray("A]") << true;

    // Case and accents.
    QTest::newRow("accented, other case") << QByteArray("*árbol*") << QByteArray("ÁRBOL") << true;
    QTest::newRow("accent is significant") << QByteArray("*arbol*") << QByteArray("ÁRBOL") << false;
    QTest::newRow("ñ inside upper text") << QByteArray("*ñ*") << QByteArray("AÑO") << true;
    QTest::newRow("found after accents") << QByteArray("*mesa*") << QByteArray("ÁÉÍ MESA") << true;
    QTest::newRow("folds to ASCII") << QByteArray("*k*") << QByteArray("\u212A") << true;
    QTest::newRow("long s inside a word") << QByteArray("*mesa*") << QByteArray("MEſA") << true;
    QTest::newRow("long s first") << QByteArray("*silla*") << QByteArray("X ſILLA") << true;
    QTest::newRow("long s second") << QByteArray("*as*") << QByteArray("Aſ") << true;
    QTest::newRow("long word across bytes")
        << QByteArray("*madera y metal*") << QByteArray("MESA DE MADERA Y METAL") << true;
    QTest::newRow("long word, one letter off")
        << QByteArray("*madera y metal*") << QByteArray("MESA DE MADERA Y METAS") << false;

    // Bytes that are not UTF-8 are characters of their own.
    QTest::newRow("? on a stray byte") << QByteArray("?") << QByteArray("\xFF") << true;
    QTest::newRow("cut sequence is two") << QByteArray("?") << QByteArray("\xE2\x82") << false;
    QTest::newRow("cut sequence, two ?") << QByteArray("??") << QByteArray("\xE2\x82") << true;
    QTest::newRow("same stray byte") << QByteArray("*\xFF") << QByteArray("a\xFF") << true;
    QTest::newRow("other stray byte") << QByteArray("\xFF") << QByteArray("\xFE") << false;
    QTest::newRow("stray lead is not é") << QByteArray("*\xC3*") << QByteArray("café") << false;
    QTest::newRow("stray lead found") << QByteArray("*\xC3*") << QByteArray("x\xC3(") << true;
    QTest::newRow("nul is a character") << QByteArray("a?b", 3) << QByteArray("a\0b", 3) << true;
}

void TestJetPattern::matches()
{
    QFETCH(QByteArray, pattern);
    QFETCH(QByteArray, subject);
    QFETCH(bool, expected);
    QCOMPARE(JetPattern(view(pattern)).matches(view(subject)), expected);
}

void TestJetPattern::malformedPatternsAreRefused_data()
{
    QTest::addColumn<QByteArray>("pattern");
    QTest::addColumn<QString>("reason");
    QTest::newRow("open list") << QByteArray("*[abc") << QStringLiteral("corchete de cierre");
    QTest::newRow("bare bracket") << QByteArray("[") << QStringLiteral("corchete de cierre");
    QTest::newRow("open negated list") << QByteArray("a[!") << QStringLiteral("corchete de cierre");
    QTest::newRow("backwards range")
        << QByteArray("[z-a]") << QStringLiteral("«z-a» está al revés");
}

void TestJetPattern::malformedPatternsAreRefused()
{
    QFETCH(QByteArray, pattern);
    QFETCH(QString, reason);
    try {
        JetPattern compiled(view(pattern));
        QFAIL("the pattern was accepted");
    } catch (const DbError& error) {
        QVERIFY2(error.description().contains(reason), qPrintable(error.description()));
        QVERIFY(error.description().startsWith(QStringLiteral("Patrón no válido")));
    }
}

void TestJetPattern::agreesWithBacktrackingOnRandomPatterns()
{
    QRandomGenerator random(20240611);
    // Few letters, so that parts repeat and overlap; ſ and K fold to s and k.
    const QStringList patternChars = {"a", "b", "s", "k", "A", "1", "*", "*", "?", "#", "ñ"};
    const QStringList subjectChars = {"a", "b", "s", "k",      "A", "B", "S",
                                      "1", "2", "ſ", "\u212A", "ñ", "Ñ", "é"};
    auto randomText = [&](const QStringList& alphabet, int maxLength) {
        QString text;
        for (int n = random.bounded(maxLength + 1); n > 0; --n)
            text += alphabet[random.bounded(int(alphabet.size()))];
        return text;
    };
    for (int i = 0; i < 30000; ++i) {
        const QString pattern = randomText(patternChars, 7);
        const QString subject = randomText(subjectChars, 20);
        const bool expected =
            referenceMatch(pattern.toStdU32String().c_str(), subject.toStdU32String().c_str());
        const QByteArray patternBytes = pattern.toUtf8();
        const QByteArray subjectBytes = subject.toUtf8();
        QVERIFY2(JetPattern(view(patternBytes)).matches(view(subjectBytes)) == expected,
                 qPrintable(pattern + QStringLiteral(" on ") + subject));
    }
}

// Long texts are searched in blocks; a word must be found wherever it lies, also across
// block borders and in the last block, and never beyond the text.
void TestJetPattern::findsWordsAtEveryPlace()
{
    const JetPattern word("*mesa*");
    const JetPattern letter("*q*");
    const JetPattern accented("*ño*");
    for (int length = 0; length < 48; ++length) {
        for (int place = 0; place <= length; ++place) {
            const QByteArray before(place, 'x');
            const QByteArray after(length - place, 'x');
            QVERIFY(word.matches(view(before + "MESA" + after)));
            QVERIFY(!word.matches(view(before + "MES" + after)));
            QVERIFY(letter.matches(view(before + "Q" + after)));
            QVERIFY(accented.matches(view(before + "AÑO" + after)));
            QVERIFY(word.matches(view(before + "MEſA" + after)));
            // In a buffer of its exact size, so that a sanitizer sees any read beyond it.
            const QByteArray cut = before + "MES";
            const auto exact = std::make_unique<char[]>(size_t(cut.size()));
            std::memcpy(exact.get(), cut.constData(), size_t(cut.size()));
            QVERIFY(!word.matches(std::string_view(exact.get(), size_t(cut.size()))));
        }
    }
}

void TestJetPattern::hostileBytesNeverCrash()
{
    QRandomGenerator random(7);
    int refused = 0;
    for (int i = 0; i < 5000; ++i) {
        QByteArray pattern(random.bounded(24), '\0');
        QByteArray subject(random.bounded(24), '\0');
        for (char& c : pattern)
            c = char(random.bounded(256));
        for (char& c : subject)
            c = char(random.bounded(256));
        try {
            JetPattern(view(pattern)).matches(view(subject));
        } catch (const DbError&) {
            ++refused;
        }
    }
    QVERIFY(refused > 0); // some of them held an open `[`
}

void TestJetPattern::onlyStarsMatchAnyText()
{
    QVERIFY(JetPattern("*").matchesAnyText());
    QVERIFY(JetPattern("***").matchesAnyText());
    QVERIFY(!JetPattern("").matchesAnyText());
    QVERIFY(!JetPattern("*?").matchesAnyText());
}

void TestJetPattern::collationOrder_data()
{
    QTest::addColumn<QByteArray>("lower");
    QTest::addColumn<QByteArray>("higher");
    QTest::newRow("case ignored") << QByteArray("abc") << QByteArray("ABD");
    QTest::newRow("upper before lower letter") << QByteArray("a") << QByteArray("B");
    QTest::newRow("prefix first") << QByteArray("MESA") << QByteArray("mesas");
    QTest::newRow("empty first") << QByteArray("") << QByteArray("a");
    QTest::newRow("tiebreak on bytes") << QByteArray("Ñ") << QByteArray("ñ");
    QTest::newRow("tiebreak, ASCII") << QByteArray("MESA") << QByteArray("mesa");
    QTest::newRow("accents after letters") << QByteArray("z") << QByteArray("á");
    QTest::newRow("folded before bytes") << QByteArray("ab") << QByteArray("AC");
    QTest::newRow("inside a shared lead byte") << QByteArray("é") << QByteArray("ê");
    QTest::newRow("letter before a stray byte") << QByteArray("\xC3\xA9") << QByteArray("\xC3");
    QTest::newRow("long shared beginning")
        << QByteArray("MESA DE ROBLE X") << QByteArray("mesa de roble y");
    QTest::newRow("long, case only") << QByteArray("MESA DE ROBLE") << QByteArray("mesa de roble");
}

void TestJetPattern::collationOrder()
{
    QFETCH(QByteArray, lower);
    QFETCH(QByteArray, higher);
    QVERIFY(compareJetText(view(lower), view(higher)) < 0);
    QVERIFY(compareJetText(view(higher), view(lower)) > 0);
    QCOMPARE(compareJetText(view(lower), view(lower)), 0);
}

void TestJetPattern::collationAgreesWithFoldedComparison()
{
    QRandomGenerator random(99);
    const QStringList alphabet = {"a", "A", "b", "é", "É", "ñ", "Ñ", "ſ", "s", "S", "1", " "};
    auto randomText = [&] {
        QString text;
        for (int n = random.bounded(12); n > 0; --n)
            text += alphabet[random.bounded(int(alphabet.size()))];
        return text;
    };
    auto sign = [](int v) { return (v > 0) - (v < 0); };
    for (int i = 0; i < 20000; ++i) {
        const QString a = randomText();
        const QString b = randomText();
        const std::u32string foldedA = a.toCaseFolded().toStdU32String();
        const std::u32string foldedB = b.toCaseFolded().toStdU32String();
        const QByteArray bytesA = a.toUtf8();
        const QByteArray bytesB = b.toUtf8();
        const int expected = foldedA != foldedB
                                 ? (foldedA < foldedB ? -1 : 1)
                                 : sign(std::string_view(view(bytesA)).compare(view(bytesB)));
        QVERIFY2(sign(compareJetText(view(bytesA), view(bytesB))) == expected,
                 qPrintable(a + QStringLiteral(" / ") + b));
    }
}

void TestJetPattern::collationSortsThroughSql()
{
    MemoryDb memory;
    memory.exec("CREATE TABLE w (v TEXT)");
    memory.exec("INSERT INTO w VALUES ('roble'), ('MESA'), ('Mesa'), ('árbol'), ('Zapato'), "
                "('ñandú'), ('Nube')");
    sqlite3_stmt* stmt = nullptr;
    QCOMPARE(sqlite3_prepare_v2(memory.db, "SELECT v FROM w ORDER BY v COLLATE jet_text", -1, &stmt,
                                nullptr),
             SQLITE_OK);
    QStringList order;
    while (sqlite3_step(stmt) == SQLITE_ROW)
        order << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    QCOMPARE(order, QStringList({"MESA", "Mesa", "Nube", "roble", "Zapato", "árbol", "ñandú"}));
}

void TestJetPattern::sqlNullsNeverMatch_data()
{
    QTest::addColumn<QByteArray>("sql");
    QTest::addColumn<int>("expected");
    QTest::newRow("* skips the null")
        << QByteArray("SELECT count(*) FROM t WHERE jet_like('*', v)") << 5;
    QTest::newRow("not * selects nothing")
        << QByteArray("SELECT count(*) FROM t WHERE NOT jet_like('*', v)") << 0;
    QTest::newRow("not like skips the null")
        << QByteArray("SELECT count(*) FROM t WHERE NOT jet_like('*zz*', v)") << 5;
    QTest::newRow("null value") << QByteArray("SELECT jet_like('*', NULL)") << -1;
    QTest::newRow("null pattern") << QByteArray("SELECT jet_like(NULL, 'a')") << -1;
    QTest::newRow("integer on its text")
        << QByteArray("SELECT count(*) FROM t WHERE jet_like('1#', v)") << 1;
    QTest::newRow("real on its text")
        << QByteArray("SELECT count(*) FROM t WHERE jet_like('*.5', v)") << 1;
    QTest::newRow("case through SQL")
        << QByteArray("SELECT count(*) FROM t WHERE jet_like('ñ*', v)") << 1;
    QTest::newRow("two patterns, one statement")
        << QByteArray("SELECT count(*) FROM t WHERE jet_like('*a*', v) AND NOT jet_like('*ú*', v)")
        << 1;
}

void TestJetPattern::sqlNullsNeverMatch()
{
    QFETCH(QByteArray, sql);
    QFETCH(int, expected);
    MemoryDb memory;
    QCOMPARE(memory.value(sql.constData()), expected);
}

void TestJetPattern::sqlReportsMalformedPattern()
{
    MemoryDb memory;
    sqlite3_stmt* stmt = nullptr;
    QCOMPARE(sqlite3_prepare_v2(memory.db, "SELECT count(*) FROM t WHERE jet_like('[a', v)", -1,
                                &stmt, nullptr),
             SQLITE_OK);
    QCOMPARE(sqlite3_step(stmt), SQLITE_ERROR);
    QVERIFY(QString::fromUtf8(sqlite3_errmsg(memory.db))
                .contains(QStringLiteral("corchete de cierre")));
    sqlite3_finalize(stmt);
}

void TestJetPattern::sqlRebindingParameterRecompiles()
{
    MemoryDb memory;
    sqlite3_stmt* stmt = nullptr;
    QCOMPARE(sqlite3_prepare_v2(memory.db, "SELECT count(*) FROM t WHERE jet_like(?1, v)", -1,
                                &stmt, nullptr),
             SQLITE_OK);
    auto countFor = [&](const char* pattern) {
        sqlite3_reset(stmt);
        sqlite3_bind_text(stmt, 1, pattern, -1, SQLITE_TRANSIENT);
        sqlite3_step(stmt);
        return sqlite3_column_int(stmt, 0);
    };
    QCOMPARE(countFor("*a*"), 2);
    QCOMPARE(countFor("12"), 1);
    QCOMPARE(countFor("*"), 5);
    QCOMPARE(countFor("*a*"), 2);
    sqlite3_finalize(stmt);
}

QTEST_GUILESS_MAIN(TestJetPattern)
#include "tst_jetpattern.moc"
