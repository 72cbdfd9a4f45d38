#include "Connection.h"

#include "DbError.h"
#include "EngineError.h"
#include "History.h"
#include "JetFunctions.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <initializer_list>
#include <sqlite3.h>

namespace vemtaro::db {

namespace {

/// A table of this system with the fields the windows use, in their order.
struct DesignTable {
    const char* name;
    std::initializer_list<const char*> fields;
};

const DesignTable designTables[] = {
    {"vemtaro", {"CODIGO", "CLASE", "DESCRIPCION", "RUBRO", "VIDA_UTIL", "OBSERVACIONES"}},
    {"extendido", {"Ord", "Codigo", "Clase", "Descripcion"}},
    {"CODIGO", {"CODIGO"}},
    {"RUBRO", {"RUBRO", "RUBROS"}},
    {"vidaUtil", {"Vida_Util", "Vida Util"}},
};

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

    TableSchema read(const DesignTable& design)
    {
        TableSchema table;
        table.name = declaredName(design.name);
        table.keyColumn = QStringLiteral("id");
        Statement info;
        prepare(info, "SELECT name, type, pk FROM pragma_table_info(?1) ORDER BY cid");
        const QByteArray name = table.name.toUtf8();
        sqlite3_bind_text(info.stmt, 1, name.constData(), int(name.size()), SQLITE_STATIC);
        bool hasKey = false;
        QStringList declared, types;
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
            declared.append(column);
            types.append(type);
        }
        check(rc);
        if (!hasKey)
            throw notOurs(QStringLiteral("la tabla «%1» no tiene la clave «id»").arg(table.name));
        for (const char* field : design.fields) {
            qsizetype at = declared.size() - 1;
            while (at >= 0 && declared[at].compare(QLatin1String(field), Qt::CaseInsensitive))
                --at;
            if (at < 0)
                throw notOurs(QStringLiteral("a la tabla «%1» le falta el campo «%2»")
                                  .arg(table.name, QLatin1String(field)));
            table.columns.append(declared[at]);
            table.numeric.append(hasNumericAffinity(types[at]));
        }
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
        throw notOurs(QStringLiteral("falta la tabla «%1»").arg(QLatin1String(tableName)));
    }

    DbError notOurs(const QString& reason) const
    {
        return DbError(
            QStringLiteral("La base de datos «%1» no es de este sistema: %2.").arg(m_path, reason));
    }

    void prepare(Statement& statement, const QByteArray& sql)
    {
        check(sqlite3_prepare_v2(m_db, sql.constData(), -1, &statement.stmt, nullptr));
    }

    void check(int rc)
    {
        if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
            throw DbError(QStringLiteral("No se puede leer la base de datos «%1»: %2.")
                              .arg(m_path, engineReason(rc)));
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
    // A search reads the whole table: kept in memory (up to 128 MB, some two million
    // accounts), a large chart's pages are read from the file once rather than at every search.
    sqlite3_exec(db, "PRAGMA cache_size = -131072", nullptr, nullptr, nullptr);
}

// WAL lets another program read while we write. Switching needs the file to ourselves; when
// another program is reading it just now, we stay in its current mode for this session
// rather than make the clerk wait.
void useWriteAheadLog(sqlite3* db)
{
    sqlite3_busy_timeout(db, 0);
    sqlite3_exec(db, "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "PRAGMA synchronous = FULL", nullptr, nullptr, nullptr);
}

// Why this program cannot write `file` and the companion files the engine makes beside it
// (journal, WAL), or empty when it can. A file or folder that nobody may write counts as
// read-only for every user, the administrator too, as a read-only attribute would.
QString whyReadOnly(const QFileInfo& file)
{
    const auto writable = [](const QFileInfo& info) {
        return info.isWritable() &&
               (info.permissions() & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther));
    };
    const QString opened =
        QStringLiteral("La base de datos «%1» se abrió solo para lectura: ").arg(file.filePath());
    if (!writable(file))
        return opened + QStringLiteral("el archivo es de solo lectura.");
    const QFileInfo folder(file.absolutePath());
    if (!writable(folder))
        return opened + QStringLiteral("la carpeta «%1» no permite crear archivos, y el motor "
                                       "de la base de datos los necesita para escribir.")
                            .arg(folder.filePath());
    return {};
}

bool inWalMode(const QString& path)
{
    QFile file(path);
    const QByteArray header = file.open(QIODevice::ReadOnly) ? file.read(20) : QByteArray();
    return header.size() == 20 && header[18] == 2 && header[19] == 2;
}

// How to open `path` without changing anything on disk. The engine takes its usual locks, so
// another program may go on writing; but reading a WAL file that no program has open (no
// companion files) would make it create them and leave them behind, so such a file is read
// as it stands, without locks.
QByteArray readOnlyUri(const QString& path)
{
    QByteArray uri = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toEncoded();
    uri += "?mode=ro";
    if (inWalMode(path) && !QFileInfo::exists(path + QLatin1String("-wal")) &&
        !QFileInfo::exists(path + QLatin1String("-shm")))
        uri += "&immutable=1";
    return uri;
}

// Why the file must be read only after all because its change history cannot be made ready
// (another program holding it too long, a full disk), or empty.
QString prepareHistory(sqlite3* db, const QString& path)
{
    sqlite3_busy_timeout(db, Connection::writeWaitMs);
    try {
        History::prepare(db);
        return {};
    } catch (const DbError& error) {
        return QStringLiteral("La base de datos «%1» se abrió solo para lectura: no se pudo "
                              "preparar su historial de cambios. %2")
            .arg(path, error.description());
    }
}

} // namespace

std::unique_ptr<Connection> Connection::open(const QString& path)
{
    const QFileInfo file(path);
    if (!file.exists())
        throw DbError(QStringLiteral("No se encuentra la base de datos «%1».").arg(path));
    if (!file.isFile() || !file.isReadable())
        throw DbError(QStringLiteral("No se puede leer la base de datos «%1».").arg(path));

    QString readOnly = whyReadOnly(file);
    // A connection is used by the GUI thread alone: SQLite need not lock it at every call.
    constexpr int oneThread = SQLITE_OPEN_NOMUTEX;
    sqlite3* raw = nullptr;
    const int rc =
        readOnly.isEmpty()
            ? sqlite3_open_v2(QFile::encodeName(path).constData(), &raw,
                              SQLITE_OPEN_READWRITE | oneThread, nullptr)
            : sqlite3_open_v2(readOnlyUri(path).constData(), &raw,
                              SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | oneThread, nullptr);
    Handle db(raw);
    if (rc != SQLITE_OK)
        throw DbError(QStringLiteral("No se puede abrir la base de datos «%1»: %2.")
                          .arg(path, engineReason(rc)));
    // Opening may wait for a write of another program to end; later reads wait less.
    sqlite3_busy_timeout(raw, writeWaitMs);
    configure(raw);

    SchemaReader reader(raw, path);
    std::vector<TableSchema> tables;
    for (const DesignTable& design : designTables)
        tables.push_back(reader.read(design));

    if (readOnly.isEmpty()) {
        useWriteAheadLog(raw);
        readOnly = prepareHistory(raw, path);
    }
    sqlite3_busy_timeout(raw, readWaitMs);
    registerJetFunctions(raw);

    std::unique_ptr<Connection> connection(new Connection(db.release()));
    connection->m_tables = std::move(tables);
    connection->m_readOnlyReason = std::move(readOnly);
    if (!connection->isReadOnly())
        connection->m_history = std::make_unique<History>(connection->m_db);
    return connection;
}

Connection::Connection(sqlite3* db) : m_db(db) {}

Connection::~Connection()
{
    m_history.reset(); // its statements go before the connection
    sqlite3_close_v2(m_db);
}

void Connection::checkWritable() const
{
    if (isReadOnly())
        throw DbError(QStringLiteral("No se pueden guardar cambios. ") + m_readOnlyReason);
}

History& Connection::history()
{
    checkWritable(); // a read-only file has no history to write
    return *m_history;
}

const TableSchema* Connection::table(const QString& name) const
{
    for (const TableSchema& table : m_tables)
        if (table.name.compare(name, Qt::CaseInsensitive) == 0)
            return &table;
    return nullptr;
}

} // namespace vemtaro::db
