#include "JetQuery.h"

#include "BrokenText.h"
#include "Connection.h"
#include "DbError.h"
#include "JetFunctions.h"
#include "JetPattern.h"

#include <QRegularExpression>
#include <optional>

namespace vemtaro::db {

namespace {

// Bounds far above anything the search windows build, so that a hostile text can neither
// exhaust the parser's stack nor the engine's own limits.
constexpr qsizetype maxTextLength = 100000;
constexpr int maxNesting = 32;
constexpr int maxConditions = 100;
constexpr int maxOrderFields = 16;

enum class Kind {
    Word,
    Bracketed,
    String,
    Symbol,
    UnterminatedString,
    UnterminatedName,
    Invalid,
    End
};

struct Token {
    Kind kind = Kind::End;
    QString text; ///< a word, a bracketed name's content, a literal's value, a symbol
    qsizetype start = 0;
    qsizetype length = 0;
};

// Cuts a piece of the query text short for an error description.
QString shortened(const QString& text, int longest = 40)
{
    return text.size() <= longest ? text : text.left(longest) + QChar(0x2026);
}

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

std::vector<Token> tokenize(const QString& text)
{
    std::vector<Token> tokens;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (true) {
        while (i < n && text[i].isSpace())
            ++i;
        Token token;
        token.start = i;
        if (i == n) {
            tokens.push_back(token);
            return tokens;
        }
        const QChar c = text[i];
        if (isWordChar(c)) {
            token.kind = Kind::Word;
            while (i < n && isWordChar(text[i]))
                ++i;
            token.text = text.mid(token.start, i - token.start);
        } else if (c == QLatin1Char('\'')) {
            token.kind = Kind::UnterminatedString;
            for (++i; i < n; ++i) {
                if (text[i] != QLatin1Char('\''))
                    token.text += text[i];
                else if (i + 1 < n && text[i + 1] == QLatin1Char('\''))
                    token.text += text[++i]; // '' stands for one quote
                else {
                    token.kind = Kind::String;
                    ++i;
                    break;
                }
            }
        } else if (c == QLatin1Char('[')) {
            const qsizetype close = text.indexOf(QLatin1Char(']'), i + 1);
            token.kind = close < 0 ? Kind::UnterminatedName : Kind::Bracketed;
            i = close < 0 ? n : close + 1;
            token.text = text.mid(token.start + 1, (close < 0 ? n : close) - token.start - 1);
        } else {
            token.kind = QStringLiteral("*,();").contains(c) ? Kind::Symbol : Kind::Invalid;
            token.text = c;
            ++i;
        }
        token.length = i - token.start;
        tokens.push_back(token);
        if (token.kind == Kind::Invalid || token.kind == Kind::UnterminatedString ||
            token.kind == Kind::UnterminatedName) {
            tokens.push_back(Token{Kind::End, {}, n, 0});
            return tokens; // nothing after it can be read with confidence
        }
    }
}

const char* const keywords[] = {"SELECT", "FROM",  "WHERE", "AND", "OR",  "NOT",
                                "LIKE",   "ORDER", "BY",    "ASC", "DESC"};

class Parser {
public:
    Parser(const Connection& db, const QString& text)
        : m_db(db), m_text(text), m_tokens(tokenize(text))
    {
    }

    /// Why a failed reading failed, when the reason lies with a quote typed inside a search
    /// word: that quote ends the word's pattern early, and the rest of the word, with the
    /// piece that followed it, reads as query text. The reading then fails somewhere between
    /// that pattern and the next quote (a search window always closes a word with one), in a
    /// stretch that is not the usual "and <field> LIKE".
    std::optional<DbError> quoteProblem() const
    {
        static const QRegularExpression joint(
            QStringLiteral("^[\\s)]*(and|or)[\\s(]+(not[\\s(]+)*(\\w+|\\[[^\\]]*\\])\\s+"
                           "(not\\s+)?like\\s*$"),
            QRegularExpression::CaseInsensitiveOption);
        const qsizetype failedAt = peek().start;
        const Token* pattern = nullptr;
        for (size_t i = 1; i < m_tokens.size() && m_tokens[i].start < failedAt; ++i)
            if (m_tokens[i].kind == Kind::String && isKeyword(m_tokens[i - 1], "LIKE"))
                pattern = &m_tokens[i];
        if (!pattern)
            return std::nullopt;
        const qsizetype stretch = pattern->start + pattern->length;
        const qsizetype nextQuote = m_text.indexOf(QLatin1Char('\''), stretch);
        if (nextQuote < 0 || failedAt > nextQuote)
            return std::nullopt;
        const QString between = m_text.mid(stretch, nextQuote - stretch);
        if (joint.match(between).hasMatch())
            return std::nullopt;
        return DbError(QStringLiteral("Una comilla (') en una palabra cierra el patrón «%1» antes "
                                      "de tiempo, y no se entiende lo que sigue: «%2». Para "
                                      "buscar una comilla, escríbala dos veces ('').")
                           .arg(shortened(pattern->text, 25), shortened(between.trimmed(), 25)));
    }

    CompiledQuery parse()
    {
        if (isName(peek()) &&
            (peek(1).kind == Kind::End || (isSymbol(peek(1), ';') && peek(2).kind == Kind::End))) {
            m_query.table = table();
            setSelect({}, {});
            return m_query;
        }
        if (!isKeyword(peek(), "SELECT")) {
            if (peek().kind == Kind::End)
                throw DbError(QStringLiteral("La consulta está vacía."));
            checkReadable(peek());
            throw DbError(QStringLiteral("Solo se admiten consultas de lectura (SELECT): no se "
                                         "permite «%1».")
                              .arg(shortened(source(peek()))));
        }
        take();
        if (!isSymbol(peek(), '*')) {
            checkReadable(peek());
            throw DbError(QStringLiteral("Solo se admite SELECT * (todos los campos)."));
        }
        take();
        expectKeyword("FROM");
        m_query.table = table();

        QString where;
        QString expected = QStringLiteral("WHERE u ORDER BY");
        if (isKeyword(peek(), "WHERE")) {
            take();
            where = QStringLiteral(" WHERE ") + condition(0);
            expected = QStringLiteral("AND, OR u ORDER BY");
        }
        QString orderColumns;
        if (isKeyword(peek(), "ORDER")) {
            take();
            expectKeyword("BY");
            orderColumns = ordering();
            expected = QStringLiteral("«,» o el final de la consulta");
        }
        finish(expected);
        setSelect(orderColumns, where);
        return m_query;
    }

private:
    const Token& peek(size_t ahead = 0) const
    {
        return m_tokens[std::min(m_next + ahead, m_tokens.size() - 1)];
    }
    const Token& take()
    {
        const Token& token = peek();
        checkReadable(token);
        if (m_next + 1 < m_tokens.size())
            ++m_next;
        return token;
    }

    static bool isSymbol(const Token& token, char symbol)
    {
        return token.kind == Kind::Symbol && token.text == QLatin1Char(symbol);
    }
    static bool isKeyword(const Token& token, const char* keyword)
    {
        return token.kind == Kind::Word &&
               token.text.compare(QLatin1String(keyword), Qt::CaseInsensitive) == 0;
    }
    static bool isName(const Token& token)
    {
        if (token.kind == Kind::Bracketed)
            return true;
        if (token.kind != Kind::Word)
            return false;
        for (const char* keyword : keywords)
            if (isKeyword(token, keyword))
                return false;
        return true;
    }

    QString source(const Token& token) const { return m_text.mid(token.start, token.length); }

    // Tokens that no grammar rule accepts, reported where the reading reaches them.
    void checkReadable(const Token& token) const
    {
        switch (token.kind) {
        case Kind::UnterminatedString:
            throw DbError(QStringLiteral("Falta la comilla de cierre del texto «%1».")
                              .arg(shortened(source(token))));
        case Kind::UnterminatedName:
            throw DbError(QStringLiteral("Falta el corchete de cierre del nombre «%1».")
                              .arg(shortened(source(token))));
        case Kind::Invalid:
            throw DbError(QStringLiteral("Error de sintaxis: carácter no admitido «%1»%2.")
                              .arg(token.text[0].isPrint()
                                       ? token.text
                                       : QStringLiteral("U+%1").arg(token.text[0].unicode(), 4, 16,
                                                                    QLatin1Char('0')),
                                   after()));
        default:
            break;
        }
    }

    QString after() const
    {
        if (m_next == 0)
            return {};
        return QStringLiteral(" después de «%1»").arg(shortened(source(m_tokens[m_next - 1])));
    }

    [[noreturn]] void syntaxError(const QString& expected) const
    {
        const Token& token = peek();
        checkReadable(token);
        if (token.kind == Kind::End)
            throw DbError(QStringLiteral("Error de sintaxis: falta %1%2.").arg(expected, after()));
        throw DbError(QStringLiteral("Error de sintaxis: se esperaba %1 en lugar de «%2»%3.")
                          .arg(expected, shortened(source(token)), after()));
    }

    void expectKeyword(const char* keyword)
    {
        if (!isKeyword(peek(), keyword))
            syntaxError(QLatin1String(keyword));
        take();
    }

    // The optional closing `;` and the end; `expected` words what else could have followed.
    void finish(const QString& expected)
    {
        if (isSymbol(peek(), ';')) {
            take();
            if (peek().kind != Kind::End) {
                checkReadable(peek());
                throw DbError(
                    QStringLiteral("Solo se admite una instrucción: sobra «%1» después de «;».")
                        .arg(shortened(source(peek()))));
            }
        }
        if (peek().kind != Kind::End)
            syntaxError(expected);
    }

    // The system table named by the next token.
    const TableSchema* table()
    {
        if (!isName(peek()))
            syntaxError(QStringLiteral("el nombre de una tabla"));
        const Token& token = take();
        const TableSchema* table = m_db.table(token.text);
        if (!table)
            throw DbError(
                QStringLiteral("No se reconoce la tabla «%1».").arg(shortened(token.text)));
        return table;
    }

    // The field named by the next token; `expected` words the error when there is none.
    int field(const QString& expected)
    {
        const Token& token = peek();
        if (!isName(token))
            syntaxError(expected);
        if (isSymbol(peek(1), '('))
            throw DbError(QStringLiteral("No se admiten llamadas a funciones («%1»).")
                              .arg(shortened(token.text)));
        take();
        const int index = m_query.table->columnIndex(token.text);
        if (index < 0)
            throw DbError(QStringLiteral("El campo «%1» no existe en la tabla «%2».")
                              .arg(shortened(token.text), m_query.table->name));
        return index;
    }

    QString condition(int depth)
    {
        QString sql = conjunction(depth);
        while (isKeyword(peek(), "OR")) {
            take();
            sql += QStringLiteral(" OR ") + conjunction(depth);
        }
        return sql;
    }

    QString conjunction(int depth)
    {
        QString sql = negation(depth);
        while (isKeyword(peek(), "AND")) {
            take();
            sql += QStringLiteral(" AND ") + negation(depth);
        }
        return sql;
    }

    QString negation(int depth)
    {
        if (depth >= maxNesting)
            throw DbError(
                QStringLiteral("La condición anida demasiados NOT o paréntesis (máximo %1).")
                    .arg(maxNesting));
        if (isKeyword(peek(), "NOT")) {
            take();
            return QStringLiteral("NOT ") + negation(depth + 1);
        }
        if (isSymbol(peek(), '(')) {
            take();
            if (isKeyword(peek(), "SELECT"))
                throw DbError(QStringLiteral("No se admiten subconsultas."));
            const QString inner = condition(depth + 1);
            if (!isSymbol(peek(), ')'))
                syntaxError(QStringLiteral("«)»"));
            take();
            return QLatin1Char('(') + inner + QLatin1Char(')');
        }
        return like();
    }

    // <field> [NOT] LIKE '<pattern>'
    QString like()
    {
        const int index = field(QStringLiteral("el nombre de un campo"));
        const bool negated = isKeyword(peek(), "NOT");
        if (negated)
            take();
        expectKeyword("LIKE");
        if (peek().kind != Kind::String)
            syntaxError(QStringLiteral("un patrón entre comillas"));
        const QByteArray pattern = take().text.toUtf8();
        // Throws when malformed.
        auto compiled = std::make_shared<const JetPattern>(
            std::string_view(pattern.constData(), size_t(pattern.size())));
        if (++m_conditions > maxConditions)
            throw DbError(QStringLiteral("La consulta tiene demasiadas condiciones (máximo %1).")
                              .arg(maxConditions));
        m_query.patterns.push_back(std::move(compiled));
        return QStringLiteral("%1jet_like(?%2, %3)")
            .arg(negated ? QStringLiteral("NOT ") : QString())
            .arg(m_query.patterns.size())
            .arg(quotedName(m_query.table->columns[index]));
    }

    // <field> [ASC|DESC] {, <field> [ASC|DESC]}: the ordering, and its fields as columns to
    // select after the key (", f1, f2").
    QString ordering()
    {
        QString columns;
        for (int count = 1;; ++count) {
            if (count > maxOrderFields)
                throw DbError(QStringLiteral("Demasiados campos de ordenación (máximo %1).")
                                  .arg(maxOrderFields));
            if (peek().kind == Kind::End)
                throw DbError(
                    QStringLiteral("Falta el campo de ordenación después de «%1».")
                        .arg(count == 1 ? QStringLiteral("ORDER BY") : QStringLiteral(",")));
            const int index = field(QStringLiteral("un campo de ordenación"));
            columns += QStringLiteral(", ") + quotedName(m_query.table->columns[index]);
            SortField sort;
            sort.numeric = m_query.table->numeric[index];
            if (isKeyword(peek(), "DESC")) {
                take();
                sort.descending = true;
            } else if (isKeyword(peek(), "ASC")) {
                take();
            }
            m_query.ordering.push_back(sort);
            if (!isSymbol(peek(), ','))
                return columns;
            take();
        }
    }

    // The statement that yields the key and `orderColumns` of the rows `where` keeps, in key
    // order (which costs nothing on the table's own key).
    void setSelect(const QString& orderColumns, const QString& where)
    {
        m_query.selectSql = QStringLiteral("SELECT %1%2 FROM %3%4 ORDER BY %1")
                                .arg(quotedName(m_query.table->keyColumn), orderColumns,
                                     quotedName(m_query.table->name), where);
    }

    const Connection& m_db;
    const QString& m_text;
    std::vector<Token> m_tokens;
    size_t m_next = 0;
    int m_conditions = 0;
    CompiledQuery m_query;
};

} // namespace

void CompiledQuery::bindPatterns(sqlite3_stmt* statement) const
{
    for (std::size_t i = 0; i < patterns.size(); ++i)
        bindJetPattern(statement, int(i + 1), *patterns[i]);
}

CompiledQuery compileQuery(const Connection& db, const QString& text)
{
    if (text.size() > maxTextLength)
        throw DbError(QStringLiteral("La consulta es demasiado larga (máximo %1 caracteres).")
                          .arg(maxTextLength));
    if (const qsizetype at = brokenCharacterAt(text); at >= 0)
        throw DbError(QStringLiteral("La búsqueda contiene %1: bórrelo y vuelva a escribir la "
                                     "palabra.")
                          .arg(brokenCharacter(text, at)));
    Parser parser(db, text);
    try {
        return parser.parse();
    } catch (const DbError&) {
        if (std::optional<DbError> problem = parser.quoteProblem())
            throw *problem;
        throw;
    }
}

} // namespace vemtaro::db
