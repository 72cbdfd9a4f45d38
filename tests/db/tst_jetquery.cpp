#include "DbTestSupport.h"

#include "db/JetQuery.h"

#include <optional>
#include <sqlite3.h>

using namespace vemtaro::db;
using Keys = QList<qint64>;

namespace {

const QString none;
const QString dots36(36, QLatin1Char('.'));

// A query text on the chart of accounts.
QString q(const char* rest)
{
    return QStringLiteral("SELECT * FROM vemtaro ") + QString::fromUtf8(rest);
}

// The query text of the chart window's search in one of its first four modes.
QString basicSearch(const QString& field, const QString& word, const QString& order,
                    const QString& word3 = {}, const QString& word4 = {})
{
    return q("WHERE ") + field + " LIKE '*" + word + "*'and Descripcion LIKE '*" + word3 +
           "*' and Descripcion LIKE '*" + word4 + "*' ORDER BY " + order;
}

// The query text of the extended search window; `mode` is 0 Descripción, 1 Código, 2 Clase.
QString extendedSearch(int mode, const QStringList& w, const QString& order)
{
    const char* const heads[] = {"Descripcion", "codigo", "Clase"};
    const char* const joins[] = {"'and Descripcion LIKE '*",     "' and Descripcion LIKE '*",
                                 "'and Descripcion LIKE '*",     "' and Descripcion not like '*",
                                 "'and Descripcion not like '*", "' and Descripcion not like '*"};
    QString text = QStringLiteral("SELECT * FROM extendido WHERE %1 LIKE '*%2%3")
                       .arg(heads[mode], w[0], mode == 2 ? "" : "*");
    for (int i = 1; i < 7; ++i)
        text += joins[i - 1] + w[i] + '*';
    return text + (mode == 0 ? "' ORDER BY " : "'ORDER BY ") + order;
}

const char* const sampleRows = R"(
INSERT INTO vemtaro (id, CODIGO, CLASE, DESCRIPCION, RUBRO, VIDA_UTIL) VALUES
 (1, '112', '11', 'MESA DE ROBLE', 'MUEBLES', 10),
 (2, '120', '12', 'SILLA DE ROBLE Y MESA', 'MUEBLES', 10),
 (3, '3124', '21', 'ESCRITORIO METÁLICO', 'MUEBLES', 5),
 (4, '200', '13', NULL, 'VARIOS', 0),
 (5, '050', '1', 'mesa de pino', 'MUEBLES', 3),
 (6, '999', '31', 'AÑO ÑANDÚ', 'VARIOS', 40);
INSERT INTO vidaUtil (id, Vida_Util, "Vida Util") VALUES (1, 5, '5 años'), (2, 10, '10 años');
)";

} // namespace

class TestJetQuery : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { m_data.emplace(sampleRows); }

    void compiles_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<Keys>("keys");
        QTest::addColumn<QString>("refusal"); ///< part of the description; empty: accepted
        auto row = [](const char* name, const QString& text, const Keys& keys) {
            QTest::newRow(name) << text << keys << QString();
        };
        auto refused = [](const char* name, const QString& text, const char* reason) {
            QTest::newRow(name) << text << Keys() << QString::fromUtf8(reason);
        };

        row("whole table", "vemtaro", {1, 2, 3, 4, 5, 6});
        row("bracketed table, other case", " [VidaUtil] ", {1, 2});
        row("class mode keeps null descriptions", q("WHERE Clase LIKE '1*' ORDER BY codigo"),
            {5, 1, 2, 4});
        row("basic reset", q("WHERE descripcion LIKE '*' ORDER BY codigo"), {5, 1, 2, 3, 6});
        row("empty word, descending", basicSearch("descripcion", none, "descripcion DESC"),
            {2, 1, 5, 3, 6});
        row("bracketed field with a blank", "SELECT * FROM vidaUtil ORDER BY [Vida Util] DESC",
            {1, 2});
        row("or, not and parentheses",
            q("WHERE (codigo LIKE '1*' OR codigo LIKE '9*') AND NOT descripcion LIKE '*silla*' "
              "ORDER BY codigo"),
            {1, 6});
        row("not like never selects null", q("WHERE NOT (descripcion LIKE '*z*')"),
            {1, 2, 3, 5, 6});
        row("closing semicolon", "select * from VEMTARO where CODIGO like '1*' order by Codigo;",
            {1, 2});
        row("doubled quote", q("WHERE descripcion LIKE '*o''b*'"), {});
        row("injection inside a literal", q("WHERE codigo LIKE '\"); DROP TABLE vemtaro; --'"), {});

        refused("empty", "  ", "vacía");
        refused("quote inside a word", basicSearch("descripcion", "o'brien", "descripcion"),
                "cierra el patrón «*o» antes de tiempo, y no se entiende lo que sigue: «brien*»");
        refused("unknown field after a pattern", q("WHERE codigo LIKE '1*' AND precio LIKE '2*'"),
                "El campo «precio» no existe");
        refused("broken character in a word",
                basicSearch("descripcion", QStringLiteral("MESA") + QChar(0xD83D), "codigo"),
                "La búsqueda contiene un carácter no válido (U+D83D)");
        refused("low half alone", basicSearch("descripcion", QString(QChar(0xDE00)), "codigo"),
                "(U+DE00)");
        row("a whole pair is a character", basicSearch("descripcion", "\U0001F600", "codigo"), {});
        refused("second select", q("; SELECT * FROM extendido"), "una instrucción");
        refused("drop", "DROP TABLE vemtaro", "no se permite «DROP»");
        refused("update", "UPDATE vemtaro SET CODIGO = '1'", "no se permite «UPDATE»");
        refused("pragma", "PRAGMA journal_mode = DELETE", "no se permite «PRAGMA»");
        refused("engine table", "SELECT * FROM sqlite_master", "No se reconoce la tabla");
        refused("engine table, bare", "sqlite_schema", "No se reconoce la tabla «sqlite_schema»");
        refused("some fields only", "SELECT codigo FROM vemtaro", "SELECT *");
        refused("function", q("WHERE upper(codigo) LIKE 'X'"), "funciones («upper»)");
        refused("subquery", q("WHERE (SELECT 1) LIKE 'x'"), "subconsultas");
        refused("union", q("UNION SELECT * FROM extendido"), "«UNION»");
        refused("unknown field", q("WHERE precio LIKE '*'"), "El campo «precio» no existe");
        refused("key is not a field", q("WHERE id LIKE '1'"), "El campo «id» no existe");
        refused("empty ordering field", basicSearch("descripcion", "mesa", none),
                "Falta el campo de ordenación después de «ORDER BY»");
        refused("dangling comma in the order", q("ORDER BY codigo,"),
                "Falta el campo de ordenación después de «,»");
        refused("unterminated literal", q("WHERE codigo LIKE '1*"), "Falta la comilla de cierre");
        refused("line comment", q("-- x"), "carácter no admitido «-»");
        refused("full-width semicolon", q("；DROP TABLE vemtaro"), "carácter no admitido «；»");
        refused("nul character", q("") + QChar(0) + 'x', "carácter no admitido");
        refused("escape clause", q("WHERE codigo LIKE '1' ESCAPE 'x'"), "«ESCAPE»");
        refused("field as pattern", q("WHERE codigo LIKE codigo"), "se esperaba un patrón");

        // Bounds on what a hostile text may cost; the engine takes whatever is accepted.
        const QString like = QStringLiteral("codigo LIKE '1*'");
        auto nested = [&](int n) { return q("WHERE ") + QString(n, '(') + like + QString(n, ')'); };
        auto chain = [&](int n) { return q("WHERE ") + QStringList(n, like).join(" AND "); };
        row("nesting within bound", nested(31), {1, 2});
        refused("nesting beyond bound", nested(32), "demasiados NOT o paréntesis");
        refused("long chain of not", q("WHERE ") + QString("NOT ").repeated(20000) + like,
                "demasiados NOT o paréntesis");
        row("conditions within bound", chain(100), {1, 2});
        refused("conditions beyond bound", chain(101), "demasiadas condiciones");
        row("long pattern", q("WHERE descripcion LIKE '*") + QString(90000, 'a') + "*'", {});
        refused("huge text", q("WHERE ") + like + QString(200000, ' '), "demasiado larga");
        auto ordered = [&](int n) { return q("ORDER BY ") + QStringList(n, "codigo").join(","); };
        row("ordering fields within bound", ordered(16), {5, 1, 2, 4, 3, 6});
        refused("ordering fields beyond bound", ordered(17), "Demasiados campos de ordenación");
    }

    // Every text the search windows build with a quote in one word, wherever it stands.
    void aQuoteInsideAWordIsNamed()
    {
        const QStringList quoted = {"'mesa", "me'sa",        "mesa'",
                                    "'",     "x' OR 1=1 --", "x' ; DROP TABLE vemtaro; --"};
        QStringList texts;
        for (const QString& word : quoted) {
            for (const char* field : {"descripcion", "codigo", "rubro", "Vida_Util"}) {
                texts << basicSearch(field, word, "descripcion")
                      << basicSearch(field, "a", "codigo", word)
                      << basicSearch(field, "a", "codigo", "b", word);
            }
            texts << q("WHERE Clase LIKE '") + word + "*' ORDER BY codigo";
            for (int mode = 0; mode < 3; ++mode) {
                for (int box = 0; box < 7; ++box) {
                    QStringList words(7, dots36);
                    words[box] = word;
                    texts << extendedSearch(mode, words, "descripcion");
                }
            }
        }
        for (const QString& text : texts) {
            try {
                compileQuery(*m_data->db, text);
                QFAIL(qPrintable(QStringLiteral("accepted: ") + text));
            } catch (const DbError& error) {
                QVERIFY2(error.description().contains(QStringLiteral("escríbala dos veces")),
                         qPrintable(text + QStringLiteral("\n") + error.description()));
            }
        }
    }

    void compiles()
    {
        QFETCH(QString, text);
        QFETCH(Keys, keys);
        QFETCH(QString, refusal);
        try {
            const CompiledQuery query = compileQuery(*m_data->db, text);
            QVERIFY2(refusal.isEmpty(), "the text was accepted");
            QCOMPARE(keysOf(query), keys);
        } catch (const DbError& error) {
            QVERIFY2(!refusal.isEmpty() && error.description().contains(refusal),
                     qPrintable(error.description()));
            QVERIFY(error.description().size() < 200);
        }
    }

private:
    // Steps the query and sorts its rows as a record set does, after checking that no pattern
    // is in its text.
    Keys keysOf(const CompiledQuery& query)
    {
        [&] { QVERIFY2(!query.selectSql.contains('\''), qPrintable(query.selectSql)); }();
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(m_data->db->handle(), query.selectSql.toUtf8().constData(), -1,
                               &stmt, nullptr) != SQLITE_OK)
            return {-1}; // the engine refused it
        query.bindPatterns(stmt);
        RowSorter sorter(query.ordering);
        while (sqlite3_step(stmt) == SQLITE_ROW)
            sorter.addRow(stmt);
        sqlite3_finalize(stmt);
        const std::vector<qint64> keys = sorter.sortedKeys();
        return Keys(keys.begin(), keys.end());
    }

    std::optional<TestDatabase> m_data;
};

QTEST_GUILESS_MAIN(TestJetQuery)
#include "tst_jetquery.moc"
