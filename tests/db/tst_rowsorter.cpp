#include "DbTestSupport.h"

#include "db/RecordSet.h"

#include <QCollator>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <algorithm>
#include <optional>

using namespace vemtaro::db;

namespace {

// Codes A1 to A8 in key order: accents, ñ, case, nulls, and a text in the numeric VIDA_UTIL.
const char* const orderRows = R"(
INSERT INTO vemtaro (CODIGO, DESCRIPCION, RUBRO, VIDA_UTIL) VALUES
 ('A1', 'BANCO', 'muebles', 10.5),
 ('A2', 'ÁRBOL', 'MUEBLES', 9),
 ('A3', 'ABEJA', NULL, -40),
 ('A4', 'ÑANDÚ', 'Muebles', 5),
 ('A5', 'NUEZ', 'EQUIPOS', NULL),
 ('A6', 'OCA', 'equipos', 'diez'),
 ('A7', NULL, 'ÚTILES', 100),
 ('A8', 'arbol', 'MUEBLES', 9);
)";

QString codes(const RecordSet& records)
{
    QStringList result;
    for (int row = 0; row < records.recordCount(); ++row)
        result << records.value(row, Codigo).toString();
    return result.join(QLatin1Char(','));
}

} // namespace

class TestRowSorter : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sortsInSpanishOrder_data()
    {
        QTest::addColumn<QString>("order");
        QTest::addColumn<QString>("codes");
        auto row = [](const char* order, const char* codes) {
            QTest::newRow(order) << QString::fromUtf8(order) << QString::fromUtf8(codes);
        };
        // Null first; ABEJA < arbol < ÁRBOL (the accent only breaks the tie) < BANCO; NUEZ <
        // ÑANDÚ < OCA.
        row("descripcion", "A7,A3,A8,A2,A1,A5,A4,A6");
        row("DESCRIPCION ASC", "A7,A3,A8,A2,A1,A5,A4,A6");
        row("Descripcion DESC", "A6,A4,A5,A1,A2,A8,A3,A7");
        // Numbers by value (-40, 5, 9, 10.5, 100), the text after them, null first; equal
        // values in key order whichever the direction.
        row("vida_util", "A5,A3,A4,A2,A8,A1,A7,A6");
        row("vida_util desc", "A6,A7,A1,A2,A8,A4,A3,A5");
        // Case is no difference: the next field decides, then the key.
        row("rubro, vida_util", "A3,A5,A6,A4,A2,A8,A1,A7");
        row("rubro DESC, vida_util DESC", "A7,A1,A2,A8,A4,A6,A5,A3");
        row("rubro desc, codigo desc", "A7,A8,A4,A2,A1,A6,A5,A3");
    }

    void sortsInSpanishOrder()
    {
        QFETCH(QString, order);
        QFETCH(QString, codes);
        TestDatabase data(orderRows);
        RecordSet records(*data.db);
        records.open(QStringLiteral("SELECT * FROM vemtaro ORDER BY ") + order);
        QCOMPARE(::codes(records), codes);
        // A filter keeps the order of what it keeps; a bare table or no ORDER BY is key order.
        records.open(QStringLiteral("SELECT * FROM vemtaro WHERE codigo LIKE '*[!3]' ORDER BY ") +
                     order);
        QCOMPARE(::codes(records), QString(codes).remove(QRegularExpression("A3,|,A3$")));
        records.open(QStringLiteral("vemtaro"));
        QCOMPARE(::codes(records), QStringLiteral("A1,A2,A3,A4,A5,A6,A7,A8"));
        records.open(QStringLiteral("SELECT * FROM vemtaro WHERE rubro LIKE '*'"));
        QCOMPARE(::codes(records), QStringLiteral("A1,A2,A4,A5,A6,A7,A8"));
    }

    // Random Spanish words against QCollator's own comparison, ties kept in key order. Some
    // are written with a soft hyphen (which collates as nothing) or with an accent as a mark
    // of its own, in either order of two marks: they must tie with the plain spelling.
    void agreesWithTheCollatorOnRandomWords()
    {
        const QStringList syllables = {"a",
                                       "á",
                                       "e",
                                       "É",
                                       "i",
                                       "Í",
                                       "o",
                                       "ó",
                                       "u",
                                       "ú",
                                       "ü",
                                       "n",
                                       "ñ",
                                       "Ñ",
                                       "N",
                                       "ch",
                                       "LL",
                                       "rr",
                                       "b",
                                       "V",
                                       "c",
                                       "z",
                                       "mes",
                                       "MES",
                                       " ",
                                       "-",
                                       "1",
                                       "10",
                                       "9",
                                       "e\u0301",
                                       "\u00AD",
                                       "o\u0301\u0323",
                                       "o\u0323\u0301"};
        const QStringList rubros = {"MUEBLES", "muebles", "MUE\u00ADBLES",
                                    "Ñandú",   "nandu",   "ÚTILES"};
        QRandomGenerator random(1979);
        struct Account {
            int key;
            std::optional<QString> word, rubro;
        };
        std::vector<Account> accounts;
        QString sql =
            QStringLiteral("INSERT INTO vemtaro (id, CODIGO, DESCRIPCION, RUBRO) VALUES ");
        for (int key = 1; key <= 3000; ++key) {
            Account account{key, QString(), rubros[random.bounded(int(rubros.size()))]};
            for (int n = 1 + random.bounded(5); n > 0; --n)
                *account.word += syllables[random.bounded(int(syllables.size()))];
            if (random.bounded(20) == 0)
                account.word.reset();
            const auto quoted = [](const std::optional<QString>& text) {
                return text ? "'" + *text + "'" : QStringLiteral("NULL");
            };
            sql += QStringLiteral("%1(%2, '%2', %3, %4)")
                       .arg(key == 1 ? "" : ",")
                       .arg(key)
                       .arg(quoted(account.word), quoted(account.rubro));
            accounts.push_back(account);
        }
        TestDatabase data(sql.toUtf8());
        RecordSet records(*data.db);
        records.open(QStringLiteral("SELECT * FROM vemtaro ORDER BY rubro desc, descripcion"));

        QCollator collator(QLocale(QLocale::Spanish));
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        const auto compare = [&](const std::optional<QString>& a, const std::optional<QString>& b) {
            if (!a || !b)
                return int(bool(a)) - int(bool(b));
            return collator.compare(*a, *b);
        };
        std::stable_sort(accounts.begin(), accounts.end(), [&](const auto& a, const auto& b) {
            const int byRubro = compare(b.rubro, a.rubro);
            return byRubro != 0 ? byRubro < 0 : compare(a.word, b.word) < 0;
        });
        QStringList expected;
        for (const Account& account : accounts)
            expected << QString::number(account.key);
        QCOMPARE(codes(records), expected.join(QLatin1Char(',')));
    }
};

QTEST_GUILESS_MAIN(TestRowSorter)
#include "tst_rowsorter.moc"
