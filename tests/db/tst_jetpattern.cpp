#include "DbTestSupport.h"

#include "db/JetFunctions.h"
#include "db/JetPattern.h"

#include <QRandomGenerator>
#include <cstring>
#include <functional>
#include <memory>
#include <sqlite3.h>

using vemtaro::db::DbError;
using vemtaro::db::JetPattern;

namespace {

std::string_view view(const QByteArray& bytes)
{
    return {bytes.constData(), size_t(bytes.size())};
}

bool like(const QByteArray& pattern, const QByteArray& subject)
{
    return JetPattern(view(pattern)).matches(view(subject));
}

/// One piece of a random pattern: its text and what one character must be to match it
/// (none for `*`).
struct Piece {
    QString text;
    std::function<bool(char32_t)> accepts;
};

Piece literal(char32_t c)
{
    return {QString::fromUcs4(&c, 1),
            [c](char32_t s) { return QChar::toCaseFolded(s) == QChar::toCaseFolded(c); }};
}

// A list whose ranges are given by their first and last characters: a character matches
// when it or one of its case forms lies in one.
Piece list(const char* text, std::u32string ranges, bool negated)
{
    return {QString::fromUtf8(text), [=](char32_t c) {
                for (size_t i = 0; i < ranges.size(); i += 2)
                    for (char32_t form :
                         {c, QChar::toCaseFolded(c), QChar::toUpper(c), QChar::toLower(c)})
                        if (form >= ranges[i] && form <= ranges[i + 1])
                            return !negated;
                return negated;
            }};
}

// A plain backtracking matcher over pieces, on decoded characters, to check the compiled
// matcher's search strategy against.
bool referenceMatch(const Piece* pattern, const Piece* end, const char32_t* subject)
{
    if (pattern == end)
        return *subject == 0;
    if (!pattern->accepts)
        return referenceMatch(pattern + 1, end, subject) ||
               (*subject && referenceMatch(pattern, end, subject + 1));
    return *subject && pattern->accepts(*subject) && referenceMatch(pattern + 1, end, subject + 1);
}

// A view of `bytes` that continuation bytes follow in memory: a reader that went beyond its
// end would take them into the last character. `storage` holds them.
std::string_view fenced(QByteArray& storage, const QByteArray& bytes)
{
    storage = bytes + QByteArray(4, '\x80');
    return {storage.constData(), size_t(bytes.size())};
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

        // Every letter, digit and list form, and wildcards of every kind on many texts, are
        // checked below; these are the corners.
        row("? in list is literal", "[?]", "x", false);
        row("empty list is nothing", "a[]b", "ab", true);
        row("lone ! is itself", "[!]", "!", true);
        row("lone ! is no negation", "[!]", "x", false);
        row("only the lower form in the list", "[\uAB70]", "\u13A0", true); // Cherokee a
        row("dash first", "[-a]", "-", true);
        row("dash last", "[a-]", "-", true);
        row("negated dash", "[!-]", "-", false);
        row("bracket close outside", "a]", "A]", true);

        row("found after accents", "*mesa*", "ÁÉÍ MESA", true);
        row("long word across bytes", "*madera y metal*", "MESA DE MADERA Y METAL", true);
        row("long word, one letter off", "*madera y metal*", "MESA DE MADERA Y METAS", false);

        // Bytes that are not UTF-8 are characters of their own.
        row("? on a stray byte", "?", "\xFF", true);
        row("cut sequence is two", "?", "\xE2\x82", false);
        row("cut sequence, two ?", "??", "\xE2\x82", true);
        row("encoded surrogate is three bytes", "???", "\xED\xA0\x80", true);
        row("overlong form is two bytes", "??", "\xC0\xAF", true);
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
        QCOMPARE(like(pattern, subject), expected);
    }

    // Every letter the clerk types, in both cases, against every other one (accents and ñ
    // are letters of their own), alone, in a list, a range of one and a negated list; `#`
    // against every digit and the characters around and beyond them.
    void everyLetterAndDigit()
    {
        const QString letters = QStringLiteral("abcdefghijklmnopqrstuvwxyzáéíóúüñ");
        for (const QChar l : letters) {
            const QString lo(l), up(l.toUpper());
            const QString items[] = {lo, up, up + '1', lo + '-' + lo, up + '-' + up};
            for (const QChar m : letters) {
                for (const QString& subject : {QString(m), QString(m.toUpper())}) {
                    const QByteArray s = subject.toUtf8();
                    for (const QString& item : items) {
                        QVERIFY2(like(("[" + item + "]").toUtf8(), s) == (m == l),
                                 qPrintable(item + " on " + subject));
                        QVERIFY2(like(("[!" + item + "]").toUtf8(), s) == (m != l),
                                 qPrintable("!" + item + " on " + subject));
                    }
                    QVERIFY(like(lo.toUtf8(), s) == (m == l) && like(up.toUtf8(), s) == (m == l));
                }
            }
        }
        for (char32_t c = 0; c < 0x700; ++c) {
            const QByteArray s = QString::fromUcs4(&c, 1).toUtf8();
            const bool digit = c >= '0' && c <= '9';
            QVERIFY2(like("#", s) == digit, s.toHex().constData());
            QVERIFY(like("[!0-9]", s) == !digit);
            QVERIFY(like("a#", "a" + s) == digit && like("*#*", "x" + s + "x") == digit);
        }
    }

    void agreesWithBacktrackingOnRandomPatterns()
    {
        QRandomGenerator random(20240611);
        // Few letters, so that parts repeat and overlap; ſ and K fold to s and k, Kelvin's
        // K lies in [a-z] by its lower case.
        std::vector<Piece> pieces = {{"*", {}},
                                     {"*", {}},
                                     {"?", [](char32_t) { return true; }},
                                     {"#", [](char32_t c) { return c >= '0' && c <= '9'; }},
                                     list("[ab]", U"aabb", false),
                                     list("[!a]", U"aa", true),
                                     list("[a-c]", U"ac", false),
                                     list("[!0-9]", U"09", true),
                                     list("[ñ]", U"ññ", false),
                                     list("[*-]", U"**--", false),
                                     list("[!k-s]", U"ks", true)};
        for (const char32_t c : std::u32string_view(U"abskA1ñé"))
            pieces.push_back(literal(c));
        const QString subjectChars = QStringLiteral("absckABSC0129ſ\u212AñÑéÉ*-");
        for (int i = 0; i < 30000; ++i) {
            std::vector<Piece> pattern;
            QString text, subject;
            for (int n = random.bounded(8); n > 0; --n) {
                pattern.push_back(pieces[random.bounded(int(pieces.size()))]);
                text += pattern.back().text;
            }
            for (int n = random.bounded(21); n > 0; --n)
                subject += subjectChars[random.bounded(int(subjectChars.size()))];
            const bool expected = referenceMatch(pattern.data(), pattern.data() + pattern.size(),
                                                 subject.toStdU32String().c_str());
            QVERIFY2(like(text.toUtf8(), subject.toUtf8()) == expected,
                     qPrintable(text + QStringLiteral(" on ") + subject));
        }
        // Any bytes at all, valid UTF-8 or not: a text matches itself written as a pattern
        // (its pattern characters each in a list), also inside other text, and nothing longer.
        for (int i = 0; i < 20000; ++i) {
            QByteArray subject(4 * random.bounded(7), '\0'), pattern, a, b;
            random.fillRange(reinterpret_cast<quint32*>(subject.data()), subject.size() / 4);
            for (const char c : subject)
                pattern += QByteArray("*?#[").contains(c) ? "[" + QByteArray(1, c) + "]"
                                                          : QByteArray(1, c);
            QVERIFY2(JetPattern(fenced(a, pattern)).matches(fenced(b, subject)),
                     subject.toHex().constData());
            QVERIFY(JetPattern(view("*" + pattern + "*")).matches(fenced(b, "x" + subject + "x")));
            QVERIFY(!JetPattern(view(pattern + "?")).matches(fenced(b, subject)));
            // Random patterns are matched or refused with a description.
            try {
                JetPattern(fenced(a, subject)).matches(fenced(b, pattern));
            } catch (const DbError& error) {
                QVERIFY(error.description().startsWith(QStringLiteral("Patrón no válido")));
            }
        }
    }

    // Long texts are searched in blocks; a word must be found wherever it lies, also across
    // block borders and in the last block, and never beyond the text.
    void findsWordsAtEveryPlace()
    {
        const JetPattern word("*mesa*");
        for (int length = 0; length < 48; ++length) {
            for (int place = 0; place <= length; ++place) {
                const QByteArray before(place, 'x'), after(length - place, 'x');
                QVERIFY(word.matches(view(before + "MESA" + after)));
                QVERIFY(word.matches(view(before + "MEſA" + after)));
                QVERIFY(!word.matches(view(before + "MES" + after)));
                QVERIFY(like("*ño*", before + "AÑO" + after));
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
        row("not like skips the null", "SELECT count(*) FROM t WHERE NOT jet_like('*zz*', v)", "5");
        row("null pattern", "SELECT jet_like(NULL, 'a')", "<null>");
        row("star and one char", "SELECT jet_like('*?', '')", "0");
        row("numbers on their text", "SELECT group_concat(v) FROM t WHERE jet_like('1#*', v)",
            "12,12.5");
        row("a pattern for each row",
            "SELECT count(*) FROM t, (SELECT '*a*' AS p UNION ALL SELECT '1#') "
            "WHERE jet_like(p, v)",
            "3");
        row("open list", "SELECT count(*) FROM t WHERE jet_like('*[abc', v)",
            "<error: Patrón no válido «*[abc»: falta el corchete de cierre «]».>");
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
