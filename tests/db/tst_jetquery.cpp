#include "db/Connection.h"
#include "db/DbError.h"
#include "db/DefaultData.h"
#include "db/JetQuery.h"

#include <QTemporaryDir>
#include <QTest>
#include <sqlite3.h>

using namespace vemtaro::db;

namespace {

const QString dots34(34, QLatin1Char('.'));
const QString dots36(36, QLatin1Char('.'));

// The query text of the chart window's search in one of its first four modes.
QString basicSearch(const QString& field, const QString& word1, const QString& word3,
                    const QString& word4, const QString& order)
{
    return QStringLiteral("SELECT * FROM vemtaro WHERE ") + field + QStringLiteral(" LIKE '*") +
           word1 + QStringLiteral("*'and Descripcion LIKE '*") + word3 +
           QStringLiteral("*' and Descripcion LIKE '*") + word4 + QStringLiteral("*' ORDER BY ") +
           order;
}

// The query text of the extended search window; `mode` is 0 Descripción, 1 Código, 2 Clase.
QString extendedSearch(int mode, const QStringList& w, const QString& order)
{
    const char* heads[] = {"SELECT * FROM extendido WHERE Descripcion LIKE '",
                           "SELECT * FROM extendido WHERE codigo LIKE '",
                           "SELECT * FROM extendido WHERE Clase LIKE '"};
    QString text = QLatin1String(heads[mode]) + QLatin1Char('*') + w[0] +
                   (mode == 2 ? QString() : QStringLiteral("*"));
    text += QStringLiteral("'and Descripcion LIKE '*") + w[1] + QLatin1Char('*');
    text += QStringLiteral("' and Descripcion LIKE '*") + w[2] + QLatin1Char('*');
    text += QStringLiteral("'and Descripcion LIKE '*") + w[3] + QLatin1Char('*');
    text += QStringLiteral("' and Descripcion not like '*") + w[4] + QLatin1Char('*');
    text += QStringLiteral("'and Descripcion not like '*") + w[5] + QLatin1Char('*');
    text += QStringLiteral("' and Descripcion not like '*") + w[6] + QLatin1Char('*');
    return text + (mode == 0 ? QStringLiteral("' ORDER BY ") : QStringLiteral("'ORDER BY ")) +
           order;
}

const char* const sampleRows = R"(
INSERT INTO vemtaro (id, CODIGO, CLASE, DESCRIPCION, RUBRO, VIDA_UTIL) VALUES
 (1, '112', '11', 'MESA DE ROBLE', 'MUEBLES', 10),
 (2, '120', '12', 'SILLA DE ROBLE Y MESA', 'MUEBLES', 10),
 (3, '3124', '21', 'ESCRITORIO METÁLICO', 'MUEBLES', 5),
 (4, '200', '13', NULL, 'VARIOS', 0),
 (5, '050', '1', 'mesa de pino', 'MUEBLES', 3),
 (6, '999', '31', 'AÑO ÑANDÚ', 'VARIOS', 40);
INSERT INTO extendido (id, Ord, Codigo, Clase, Descripcion) VALUES
 (1, 1, '112', '11', 'MESA DE MADERA'),
 (2, 2, '120', '21', 'MESA DE MADERA Y METAL'),
 (3, 3, '130', '12', 'MESA MADERA ROBLE'),
 (4, 4, '140', '1', NULL),
 (5, 5, '150', '31', 'SILLA ..................................');
INSERT INTO vidaUtil (id, Vida_Util, "Vida Util") VALUES (1, 5, '5 años'), (2, 10, '10 años');
)";

} // namespace

class TestJetQuery : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void translatesToKeyQuery();
    void selects_data();
    void selects();
    void refuses_data();
    void refuses();
    void limits_data();
    void limits();

private:
    QList<qint64> keysOf(const CompiledQuery& query);
    QTemporaryDir m_dir;
    std::unique_ptr<Connection> m_db;
};

void TestJetQuery::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QString path = m_dir.filePath(QStringLiteral("chart.sqlite"));
    sqlite3* raw = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &raw), SQLITE_OK);
    createSchema(raw);
    QCOMPARE(sqlite3_exec(raw, sampleRows, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(raw);
    m_db = Connection::open(path);
}

// Steps the key query as a record set does, after checking that it holds no pattern text.
QList<qint64> TestJetQuery::keysOf(const CompiledQuery& query)
{
    [&] { QVERIFY2(!query.keySql.contains(QLatin1Char('\'')), qPrintable(query.keySql)); }();
    sqlite3_stmt* stmt = nullptr;
    QList<qint64> keys;
    if (sqlite3_prepare_v2(m_db->handle(), query.keySql.toUtf8().constData(), -1, &stmt, nullptr) !=
        SQLITE_OK) {
        qWarning("%s: %s", qPrintable(query.keySql), sqlite3_errmsg(m_db->handle()));
        return {-1};
    }
    for (size_t i = 0; i < query.parameters.size(); ++i)
        sqlite3_bind_text(stmt, int(i + 1), query.parameters[i].constData(),
                          int(query.parameters[i].size()), SQLITE_STATIC);
    while (sqlite3_step(stmt) == SQLITE_ROW)
        keys << sqlite3_column_int64(stmt, 0);
    sqlite3_finalize(stmt);
    return keys;
}

void TestJetQuery::translatesToKeyQuery()
{
    const CompiledQuery query = compileQuery(
        *m_db, QStringLiteral("SELECT * FROM vemtaro WHERE descripcion LIKE '*mesa*'and "
                              "Descripcion LIKE '*roble*' and Descripcion LIKE '**' ORDER BY "
                              "descripcion"));
    QCOMPARE(query.table, m_db->table(QStringLiteral("vemtaro")));
    QCOMPARE(query.keySql,
             QStringLiteral("SELECT \"id\" FROM \"vemtaro\" WHERE jet_like(?1, \"DESCRIPCION\") "
                            "AND jet_like(?2, \"DESCRIPCION\") AND jet_like(?3, \"DESCRIPCION\") "
                            "ORDER BY \"DESCRIPCION\" COLLATE jet_text, \"id\""));
    QCOMPARE(query.parameters, (std::vector<QByteArray>{"*mesa*", "*roble*", "**"}));

    const CompiledQuery numeric = compileQuery(
        *m_db, QStringLiteral(
                   "select * from VEMTARO where vida_util not like '1*' order by Vida_Util desc"));
    QCOMPARE(numeric.keySql, QStringLiteral("SELECT \"id\" FROM \"vemtaro\" WHERE NOT jet_like(?1, "
                                            "\"VIDA_UTIL\") ORDER BY \"VIDA_UTIL\" DESC, \"id\""));
}

void TestJetQuery::selects_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<qint64>>("keys");
    using Keys = QList<qint64>;
    const QString none;

    QTest::newRow("whole table") << QStringLiteral("vemtaro") << Keys{1, 2, 3, 4, 5, 6};
    QTest::newRow("whole table, other case") << QStringLiteral("Extendido") << Keys{1, 2, 3, 4, 5};
    QTest::newRow("bracketed table") << QStringLiteral(" [vidaUtil] ") << Keys{1, 2};
    QTest::newRow("basic worked example")
        << QStringLiteral("SELECT * FROM vemtaro WHERE descripcion LIKE '*mesa*'and Descripcion "
                          "LIKE '*roble*' and Descripcion LIKE '**' ORDER BY descripcion")
        << Keys{1, 2};
    QTest::newRow("class mode")
        << QStringLiteral("SELECT * FROM vemtaro WHERE Clase LIKE '12*' ORDER BY codigo")
        << Keys{2};
    QTest::newRow("class mode keeps null descriptions")
        << QStringLiteral("SELECT * FROM vemtaro WHERE Clase LIKE '1*' ORDER BY codigo")
        << Keys{5, 1, 2, 4};
    QTest::newRow("basic reset")
        << QStringLiteral("SELECT * FROM vemtaro WHERE descripcion LIKE '*' ORDER BY codigo")
        << Keys{5, 1, 2, 3, 6};
    QTest::newRow("code anywhere")
        << basicSearch("codigo", "12", none, none, "codigo") << Keys{1, 2, 3};
    QTest::newRow("empty words, descending")
        << basicSearch("descripcion", none, none, none, "descripcion DESC") << Keys{2, 1, 5, 3, 6};
    QTest::newRow("rubro mode drops null description")
        << basicSearch("rubro", "var", none, none, "vida_util") << Keys{6};
    QTest::newRow("useful life on its text")
        << basicSearch("Vida_Util", "1", none, none, "codigo") << Keys{1, 2};
    QTest::newRow("wildcard in a word")
        << basicSearch("descripcion", "m?sa", none, none, "descripcion") << Keys{5, 1, 2};
    QTest::newRow("accented word, other case")
        << basicSearch("descripcion", "ñandú", none, none, "descripcion") << Keys{6};
    QTest::newRow("extended worked example")
        << QStringLiteral(
               "SELECT * FROM extendido WHERE Descripcion LIKE '*mesa*'and Descripcion LIKE "
               "'*madera*' and Descripcion LIKE '**'and Descripcion LIKE '**' and "
               "Descripcion not like '*metal*'and Descripcion not like "
               "'*..................................*' and Descripcion not like "
               "'*..................................*' ORDER BY descripcion")
        << Keys{1, 3};
    QTest::newRow("extended reset")
        << QStringLiteral("SELECT * FROM extendido WHERE Descripcion LIKE '*' ORDER BY Codigo")
        << Keys{1, 2, 3, 5};
    QTest::newRow("extended at creation")
        << extendedSearch(
               0, {none, none, none, none, dots34 + QString(50, QLatin1Char(' ')), dots34, dots34},
               "descripcion")
        << Keys{1, 2, 3};
    QTest::newRow("extended, emptied exclude box")
        << extendedSearch(0, {none, none, none, none, none, dots36, dots36}, "descripcion")
        << Keys{};
    QTest::newRow("extended class ends with word")
        << extendedSearch(2, {"1", none, none, none, dots36, dots36, dots36}, "descripcion")
        << Keys{1, 2, 5};
    QTest::newRow("extended code mode, empty word")
        << extendedSearch(1, {none, none, none, none, dots36, dots36, dots36}, "codigo")
        << Keys{1, 2, 3, 5};
    QTest::newRow("bracketed field with a blank")
        << QStringLiteral("SELECT * FROM vidaUtil ORDER BY [Vida Util] DESC") << Keys{1, 2};
    QTest::newRow("or, not and parentheses")
        << QStringLiteral(
               "SELECT * FROM vemtaro WHERE (codigo LIKE '1*' OR codigo LIKE '9*') AND NOT "
               "descripcion LIKE '*silla*' ORDER BY codigo")
        << Keys{1, 6};
    QTest::newRow("not like never selects null")
        << QStringLiteral("SELECT * FROM vemtaro WHERE NOT (descripcion LIKE '*zzz*')")
        << Keys{1, 2, 3, 5, 6};
    QTest::newRow("several ordering fields")
        << QStringLiteral("SELECT * FROM vemtaro ORDER BY rubro desc, codigo")
        << Keys{4, 6, 5, 1, 2, 3};
    QTest::newRow("numeric order, ties by key")
        << QStringLiteral("SELECT * FROM vemtaro ORDER BY VIDA_UTIL") << Keys{4, 5, 3, 1, 2, 6};
    QTest::newRow("closing semicolon")
        << QStringLiteral("select * from VEMTARO where CODIGO like '1*' order by Codigo asc;")
        << Keys{1, 2};
    QTest::newRow("doubled quote")
        << QStringLiteral("SELECT * FROM vemtaro WHERE descripcion LIKE '*o''b*'") << Keys{};
    QTest::newRow("injection inside a literal")
        << QStringLiteral("SELECT * FROM vemtaro WHERE codigo LIKE '\"); DROP TABLE vemtaro; --'")
        << Keys{};
}

void TestJetQuery::selects()
{
    QFETCH(QString, text);
    QFETCH(QList<qint64>, keys);
    QCOMPARE(keysOf(compileQuery(*m_db, text)), keys);
}

void TestJetQuery::refuses_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("reason");
    const QString none;
    auto row = [](const char* name, const QString& text, const char* reason) {
        QTest::newRow(name) << text << QString::fromUtf8(reason);
    };

    row("empty", QStringLiteral("  "), "vacía");
    row("stacked statement in a word",
        basicSearch("descripcion", "x' ; DROP TABLE vemtaro; --", none, none, "codigo"),
        "Solo se admite una instrucción: sobra «DROP»");
    row("always true in a word", basicSearch("descripcion", "' OR 1=1 --", none, none, "codigo"),
        "«1»");
    row("quote inside a word", basicSearch("descripcion", "o'brien", none, none, "descripcion"),
        "Error de sintaxis: se esperaba AND, OR u ORDER BY en lugar de «brien» después de «'*o'»");
    row("second select", QStringLiteral("SELECT * FROM vemtaro; SELECT * FROM extendido"),
        "una instrucción");
    row("drop", QStringLiteral("DROP TABLE vemtaro"), "no se permite «DROP»");
    row("insert", QStringLiteral("INSERT INTO vemtaro (CODIGO) VALUES ('1')"),
        "no se permite «INSERT»");
    row("update", QStringLiteral("UPDATE vemtaro SET CODIGO = '1'"), "no se permite «UPDATE»");
    row("delete", QStringLiteral("DELETE FROM vemtaro"), "no se permite «DELETE»");
    row("attach", QStringLiteral("ATTACH DATABASE '/tmp/x' AS x"), "no se permite «ATTACH»");
    row("pragma", QStringLiteral("PRAGMA journal_mode = DELETE"), "no se permite «PRAGMA»");
    row("create", QStringLiteral("CREATE TABLE x (a)"), "no se permite «CREATE»");
    row("engine table", QStringLiteral("SELECT * FROM sqlite_master"),
        "No se reconoce la tabla «sqlite_master»");
    row("engine table, bare", QStringLiteral("sqlite_schema"),
        "No se reconoce la tabla «sqlite_schema»");
    row("some fields only", QStringLiteral("SELECT codigo FROM vemtaro"), "SELECT *");
    row("function in a condition",
        QStringLiteral("SELECT * FROM vemtaro WHERE upper(codigo) LIKE 'X'"),
        "funciones («upper»)");
    row("function in the order", QStringLiteral("SELECT * FROM vemtaro ORDER BY random()"),
        "funciones («random»)");
    row("subquery", QStringLiteral("SELECT * FROM vemtaro WHERE (SELECT 1) LIKE 'x'"),
        "subconsultas");
    row("in a subquery",
        QStringLiteral("SELECT * FROM vemtaro WHERE codigo IN (SELECT CODIGO FROM CODIGO)"),
        "se esperaba LIKE en lugar de «IN»");
    row("union", QStringLiteral("SELECT * FROM vemtaro UNION SELECT * FROM extendido"), "«UNION»");
    row("limit", QStringLiteral("SELECT * FROM vemtaro LIMIT 1"), "«LIMIT»");
    row("unknown field", QStringLiteral("SELECT * FROM vemtaro WHERE precio LIKE '*'"),
        "El campo «precio» no existe en la tabla «vemtaro»");
    row("key is not a field", QStringLiteral("SELECT * FROM vemtaro WHERE id LIKE '1'"),
        "El campo «id» no existe");
    row("field of another table", QStringLiteral("SELECT * FROM vemtaro ORDER BY Ord"),
        "El campo «Ord» no existe");
    row("unknown ordering field", basicSearch("descripcion", "mesa", none, none, "precio"),
        "«precio»");
    row("empty ordering field", basicSearch("descripcion", "mesa", none, none, none),
        "Falta el campo de ordenación después de «ORDER BY»");
    row("dangling comma in the order", QStringLiteral("SELECT * FROM vemtaro ORDER BY codigo,"),
        "Falta el campo de ordenación después de «,»");
    row("two directions", QStringLiteral("SELECT * FROM vemtaro ORDER BY codigo DESC DESC"),
        "Error de sintaxis");
    row("unterminated literal", QStringLiteral("SELECT * FROM vemtaro WHERE codigo LIKE '1*"),
        "Falta la comilla de cierre del texto «'1*»");
    row("unterminated name", QStringLiteral("SELECT * FROM [vemtaro"),
        "Falta el corchete de cierre");
    row("line comment", QStringLiteral("SELECT * FROM vemtaro -- x"), "carácter no admitido «-»");
    row("block comment", QStringLiteral("SELECT * FROM vemtaro /* x */"),
        "carácter no admitido «/»");
    row("comparison", QStringLiteral("SELECT * FROM vemtaro WHERE codigo = '1'"),
        "carácter no admitido «=»");
    row("double quotes", QStringLiteral("SELECT * FROM vemtaro WHERE codigo LIKE \"1*\""),
        "carácter no admitido «\"»");
    row("parameter", QStringLiteral("SELECT * FROM vemtaro WHERE codigo LIKE ?1"),
        "carácter no admitido «?»");
    row("escape clause", QStringLiteral("SELECT * FROM vemtaro WHERE codigo LIKE '1' ESCAPE 'x'"),
        "«ESCAPE»");
    row("field as pattern", QStringLiteral("SELECT * FROM vemtaro WHERE codigo LIKE codigo"),
        "se esperaba un patrón entre comillas");
    row("nothing after where", QStringLiteral("SELECT * FROM vemtaro WHERE"),
        "falta el nombre de un campo");
    row("order without by", QStringLiteral("SELECT * FROM vemtaro ORDER codigo"), "se esperaba BY");
    row("malformed pattern", basicSearch("descripcion", "[abc", none, none, "codigo"),
        "Patrón no válido «*[abc*»");
    row("accented field name", QStringLiteral("SELECT * FROM vemtaro WHERE descripción LIKE '*'"),
        "«descripción»");
    row("typographic quotes", QStringLiteral("SELECT * FROM vemtaro WHERE codigo LIKE ’1’"),
        "carácter no admitido «’»");
    row("full-width semicolon", QStringLiteral("SELECT * FROM vemtaro；DROP TABLE vemtaro"),
        "carácter no admitido «；»");
    row("nul character", QStringLiteral("SELECT * FROM vemtaro") + QChar(0) + QStringLiteral("x"),
        "carácter no admitido");
}

void TestJetQuery::refuses()
{
    QFETCH(QString, text);
    QFETCH(QString, reason);
    try {
        compileQuery(*m_db, text);
        QFAIL("the text was accepted");
    } catch (const DbError& error) {
        QVERIFY2(error.description().contains(reason), qPrintable(error.description()));
        QVERIFY(error.description().size() < 200);
    }
}

void TestJetQuery::limits_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    const QString head = QStringLiteral("SELECT * FROM vemtaro WHERE ");
    const QString like = QStringLiteral("codigo LIKE '1*'");
    auto nested = [&](int depth) {
        return head + QString(depth, QLatin1Char('(')) + like + QString(depth, QLatin1Char(')'));
    };
    auto chain = [&](int count) {
        QStringList terms;
        for (int i = 0; i < count; ++i)
            terms << like;
        return head + terms.join(QStringLiteral(" AND "));
    };
    QTest::newRow("nesting within bound") << nested(31) << true;
    QTest::newRow("nesting beyond bound") << nested(40) << false;
    QTest::newRow("very deep nesting") << nested(200000) << false;
    QTest::newRow("long chain of not")
        << head + QStringLiteral("NOT ").repeated(20000) + like << false;
    QTest::newRow("conditions within bound") << chain(100) << true;
    QTest::newRow("conditions beyond bound") << chain(101) << false;
    QTest::newRow("long pattern") << head + QStringLiteral("descripcion LIKE '*") +
                                         QString(90000, QLatin1Char('a')) + QStringLiteral("*'")
                                  << true;
    QTest::newRow("huge text") << head + like + QString(200000, QLatin1Char(' ')) << false;
    QTest::newRow("ordering fields beyond bound")
        << QStringLiteral("SELECT * FROM vemtaro ORDER BY ") +
               QStringLiteral("codigo, ").repeated(20) + QStringLiteral("codigo")
        << false;
}

void TestJetQuery::limits()
{
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    try {
        const CompiledQuery query = compileQuery(*m_db, text);
        QVERIFY(accepted);
        QVERIFY(keysOf(query) != QList<qint64>{-1}); // the engine takes it too
    } catch (const DbError& error) {
        QVERIFY2(!accepted, qPrintable(error.description()));
    }
}

QTEST_GUILESS_MAIN(TestJetQuery)
#include "tst_jetquery.moc"
