#include "Connection.h"

#include "DbError.h"
#include "JetFunctions.h"

#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>

namespace vemtaro::db {

namespace {

const char* const systemTables[] = {"vemtaro", "extendido", "CODIGO", "RUBRO", "vidaUtil"};

// Why the engine failed, in the words the clerk reads.
QString engineReason(sqlite3* db, int code)
{
    switch (code & 0xFF) {
    case SQLITE_NOTADB:
        return QStringLiteral("el archivo no es una base de datos");
    case SQLITE_CORRUPT:
        return QStringLiteral("la base de datos está dañada");
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("otro programa la tiene bloqueada");
    case SQLITE_CANTOPEN:
        return QStringLiteral("no se puede abrir el archivo");
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return QStringLiteral("no hay permiso de acceso");
    case SQLITE_IOERR:
        return QStringLiteral("error de lectura del disco");
    case SQLITE_NOMEM:
        return QStringLiteral("no hay memoria suficiente");
    default:
        return QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(code));
    }
}

struct Closer {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using Handle = std::unique_ptr<sqlite3, Closer>;

struct Statement {
    sqlite3_stmt* stmt = nullptr;
    ~Statement() { sqlite3_finalize(stmt); }
};

// SQLite's rules for the affinity of a declared column type; numbers are INTEGER, REAL and
// NUMERIC affinity alike.
bool hasNumericAffinity(const QString& declaredType)
{
    const QString type = declaredType.toUpper();
    if (type.contains(QLatin1String("INT")))
        return true;
    for (const char* text : {"CHAR", "CLOB", "TEXT", "BLOB"})
        if (type.contains(QLatin1String(text)))
            return false;
    return !type.isEmpty();
}

class SchemaReader {
public:
    SchemaReader(sqlite3* db, const QString& path) : m_db(db), m_path(path) {}

    TableSchema read(const char* tableName)
    {
        TableSchema table;
        table.name = declaredName(tableName);
        table.keyColumn = QStringLiteral("id");
        Statement info;
        prepare(info, "SELECT name, type, pk FROM pragma_table_info(?1) ORDER BY cid");
        const QByteArray name = table.name.toUtf8();
        sqlite3_bind_text(info.stmt, 1, name.constData(), int(name.size()), SQLITE_STATIC);
        bool hasKey = false;
        int rc;
        while ((rc = sqlite3_step(info.stmt)) == SQLITE_ROW) {
            const QString column = text(info.stmt, 0);
            const QString type = text(info.stmt, 1);
            if (column.compare(table.keyColumn, Qt::CaseInsensitive) == 0) {
                hasKey = sqlite3_column_int(info.stmt, 2) == 1 &&
                         type.compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0;
                table.keyColumn = column;
                continue;
            }
            table.columns.append(column);
            table.numeric.append(hasNumericAffinity(type));
        }
        check(rc);
        if (!hasKey)
            throw DbError(QStringLiteral("La base de datos «%1» no es de este sistema: la tabla "
                                         "«%2» no tiene la clave «id».")
                              .arg(m_path, table.name));
        return table;
    }

private:
    QString declaredName(const char* tableName)
    {
        Statement lookup;
        prepare(lookup, "SELECT name FROM sqlite_schema WHERE type = 'table' AND name = ?1 "
                        "COLLATE NOCASE");
        sqlite3_bind_text(lookup.stmt, 1, tableName, -1, SQLITE_STATIC);
        const int rc = sqlite3_step(lookup.stmt);
        if (rc == SQLITE_ROW)
            return text(lookup.stmt, 0);
        check(rc);
        throw DbError(
            QStringLiteral("La base de datos «%1» no es de este sistema: falta la tabla «%2».")
                .arg(m_path, QLatin1String(tableName)));
    }

    void prepare(Statement& statement, const QByteArray& sql)
    {
        check(sqlite3_prepare_v2(m_db, sql.constData(), -1, &statement.stmt, nullptr));
    }

    void check(int rc)
    {
        if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
            throw DbError(QStringLiteral("No se puede leer la base de datos «%1»: %2.")
                              .arg(m_path, engineReason(m_db, rc)));
    }

    static QString text(sqlite3_stmt* stmt, int column)
    {
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, column)),
                                 sqlite3_column_bytes(stmt, column));
    }

    sqlite3* m_db;
    QString m_path;
};

void configure(sqlite3* db)
{
    // Defence in depth: the file's schema may hold nothing that runs on our behalf, and a
    // double-quoted name that is no column must be an error, never a string.
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    sqlite3_exec(db, "PRAGMA foreign_keys = OFF", nullptr, nullptr, nullptr);
}

// WAL lets another program read while we write. Switching needs the file to ourselves; when
// another program is reading it just now, we stay in its current mode for this session
// rather than make the clerk wait.
void useWriteAheadLog(sqlite3* db)
{
    sqlite3_busy_timeout(db, 0);
    sqlite3_exec(db, "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr);
    sqlite3_busy_timeout(db, 5000);
    sqlite3_exec(db, "PRAGMA synchronous = FULL", nullptr, nullptr, nullptr);
}

} // namespace

std::unique_ptr<Connection> Connection::open(const QString& path)
{
    const QFileInfo file(path);
    if (!file.exists())
        throw DbError(QStringLiteral("No se encuentra la base de datos «%1».").arg(path));
    if (!file.isFile() || !file.isReadable())
        throw DbError(QStringLiteral("No se puede leer la base de datos «%1».").arg(path));

    sqlite3* raw = nullptr;
    const int rc =
        sqlite3_open_v2(QFile::encodeName(path).constData(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    Handle db(raw);
    if (rc != SQLITE_OK)
        throw DbError(QStringLiteral("No se puede abrir la base de datos «%1»: %2.")
                          .arg(path, engineReason(raw, rc)));
    sqlite3_busy_timeout(raw, 5000);
    configure(raw);

    SchemaReader reader(raw, path);
    std::vector<TableSchema> tables;
    for (const char* name : systemTables)
        tables.push_back(reader.read(name));

    useWriteAheadLog(raw);
    registerJetFunctions(raw);

    std::unique_ptr<Connection> connection(new Connection(db.release()));
    connection->m_tables = std::move(tables);
    return connection;
}

Connection::Connection(sqlite3* db) : m_db(db) {}

Connection::~Connection()
{
    sqlite3_close_v2(m_db);
}

const TableSchema* Connection::table(const QString& name) const
{
    for (const TableSchema& table : m_tables)
        if (table.name.compare(name, Qt::CaseInsensitive) == 0)
            return &table;
    return nullptr;
}

} // namespace vemtaro::db
