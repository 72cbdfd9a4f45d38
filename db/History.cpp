#include "History.h"

#include "HistoryValues.h"
#include "NewDatabase.h"
#include "Schema.h"
#include "Statement.h"

#include <QDateTime>
#include <QStringList>
#include <map>
#include <pwd.h>
#include <unistd.h>

namespace vemtaro::db {
namespace {

// AUTOINCREMENT: an id is never given twice, so that `deshace` always names one change.
const QByteArray createSql = R"(
CREATE TABLE historial (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    cuando TEXT NOT NULL,
    usuario TEXT NOT NULL,
    tabla TEXT NOT NULL,
    clave INTEGER NOT NULL,
    accion TEXT NOT NULL,
    antes TEXT,
    despues TEXT,
    codigo TEXT,
    clase TEXT,
    descripcion TEXT,
    deshace INTEGER
);
CREATE INDEX historial_deshace ON historial (deshace) WHERE deshace IS NOT NULL;
)";

const char* const historyColumns[] = {"id",     "cuando", "usuario",     "tabla",
                                      "clave",  "accion", "antes",       "despues",
                                      "codigo", "clase",  "descripcion", "deshace"};

/// The declared name of the table called `name` (without regard to case), or empty.
QString declaredTable(sqlite3* db, const QString& name)
{
    Statement lookup(db,
                     QStringLiteral("SELECT name FROM sqlite_schema WHERE type = 'table' AND "
                                    "name = ?1 COLLATE NOCASE"),
                     false);
    bindText(lookup.get(), 1, name);
    if (!lookup.step())
        return {};
    return columnText(lookup.get(), 0);
}

bool isHistoryTable(sqlite3* db, const QString& table)
{
    const QStringList declared = declaredColumns(db, table);
    for (const char* column : historyColumns)
        if (!declared.contains(QLatin1String(column), Qt::CaseInsensitive))
            return false;
    return true;
}

/// The user this program runs as: the system's account name, or what the session says.
QString operatingSystemUser()
{
    if (const passwd* account = getpwuid(geteuid());
        account && account->pw_name && *account->pw_name)
        return QString::fromLocal8Bit(account->pw_name);
    for (const char* variable : {"USER", "LOGNAME"})
        if (!qEnvironmentVariableIsEmpty(variable))
            return qEnvironmentVariable(variable);
    return QString::number(geteuid());
}

/// A field's value as the history's text columns hold it: numbers in decimal, null as null.
QVariant shownField(const TableSchema& table, const RowValues& values, const char* field)
{
    const int index = table.columnIndex(QLatin1String(field));
    if (index < 0)
        return {};
    const QJsonValue value = values.value(table.columns[index]);
    if (value.isString())
        return value.toString();
    if (value.isDouble())
        return value.toVariant().toString();
    return {};
}

void bindNullableText(sqlite3_stmt* stmt, int parameter, const QVariant& text)
{
    if (text.isNull())
        sqlite3_bind_null(stmt, parameter);
    else
        bindText(stmt, parameter, text.toString());
}

} // namespace

QString changeKindText(ChangeKind kind)
{
    switch (kind) {
    case ChangeKind::Added:
        return QStringLiteral("alta");
    case ChangeKind::Deleted:
        return QStringLiteral("baja");
    case ChangeKind::Edited:
        break;
    }
    return QStringLiteral("modificación");
}

bool History::exists(sqlite3* db)
{
    const QString table = declaredTable(db, tableName());
    return !table.isEmpty() && isHistoryTable(db, table);
}

void History::prepare(sqlite3* db)
{
    if (exists(db))
        return;
    WriteTransaction transaction(db);
    // Another copy of the program may have made it meanwhile.
    if (exists(db))
        return;
    if (const QString older = declaredTable(db, tableName()); !older.isEmpty()) {
        QString kept = tableName() + QStringLiteral("_anterior");
        for (int n = 2; !declaredTable(db, kept).isEmpty(); ++n)
            kept = tableName() + QStringLiteral("_anterior") + QString::number(n);
        runSql(db, QStringLiteral("ALTER TABLE %1 RENAME TO %2")
                       .arg(quotedName(older), quotedName(kept))
                       .toUtf8());
    }
    runSql(db, createSql);
    transaction.commit();
}

struct History::Impl {
    sqlite3* db;
    QString user = operatingSystemUser();
    Statement insert;
    std::map<QString, Statement> selectRow; ///< by table name
};

History::History(sqlite3* db) : d(std::make_unique<Impl>())
{
    d->db = db;
    d->insert = Statement(db,
                          QStringLiteral("INSERT INTO historial (cuando, usuario, tabla, clave, "
                                         "accion, antes, despues, codigo, clase, descripcion, "
                                         "deshace) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, "
                                         "?10, ?11)"),
                          true);
}

History::~History() = default;

std::optional<RowValues> History::values(const TableSchema& table, qint64 key)
{
    auto found = d->selectRow.find(table.name);
    if (found == d->selectRow.end())
        found =
            d->selectRow
                .emplace(table.name,
                         Statement(d->db,
                                   QStringLiteral("SELECT * FROM %1 WHERE %2 = ?1")
                                       .arg(quotedName(table.name), quotedName(table.keyColumn)),
                                   true))
                .first;
    const Statement& select = found->second;
    ResetOnExit resetter{select};
    sqlite3_bind_int64(select.get(), 1, key);
    if (!select.step())
        return std::nullopt;
    RowValues values;
    for (int column = 0; column < sqlite3_column_count(select.get()); ++column) {
        const QString name = QString::fromUtf8(sqlite3_column_name(select.get(), column));
        if (name.compare(table.keyColumn, Qt::CaseInsensitive) != 0)
            values.insert(name, historyValue(select.get(), column));
    }
    return values;
}

qint64 History::record(const TableSchema& table, qint64 key, const std::optional<RowValues>& before,
                       qint64 undoes)
{
    const std::optional<RowValues> after = values(table, key);
    if (before == after)
        return 0;
    const ChangeKind kind =
        !before ? ChangeKind::Added : (!after ? ChangeKind::Deleted : ChangeKind::Edited);
    const RowValues& shown = after ? *after : *before;

    const Statement& insert = d->insert;
    ResetOnExit resetter{insert};
    sqlite3_stmt* stmt = insert.get();
    bindText(stmt, 1, QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")));
    bindText(stmt, 2, d->user);
    bindText(stmt, 3, table.name);
    sqlite3_bind_int64(stmt, 4, key);
    bindText(stmt, 5, changeKindText(kind));
    bindNullableText(stmt, 6,
                     before ? QVariant(QString::fromUtf8(historyText(*before))) : QVariant());
    bindNullableText(stmt, 7,
                     after ? QVariant(QString::fromUtf8(historyText(*after))) : QVariant());
    bindNullableText(stmt, 8, shownField(table, shown, "CODIGO"));
    bindNullableText(stmt, 9, shownField(table, shown, "CLASE"));
    bindNullableText(stmt, 10, shownField(table, shown, "DESCRIPCION"));
    if (undoes > 0)
        sqlite3_bind_int64(stmt, 11, undoes);
    insert.step();
    return sqlite3_last_insert_rowid(d->db);
}

} // namespace vemtaro::db
