#include "Lookup.h"

#include "Connection.h"
#include "DbError.h"
#include "EngineError.h"

#include <sqlite3.h>

#include <memory>

namespace vemtaro::db {
QStringList readLookup(Connection& db, const QString& table, const QString& field)
{
    const TableSchema* schema = db.table(table);
    if (!schema)
        throw DbError(QStringLiteral("La tabla %1 no existe en la base de datos.").arg(table));
    const int column = schema->columnIndex(field);
    if (column < 0)
        throw DbError(
            QStringLiteral("El campo %1 no existe en la tabla %2.").arg(field, schema->name));

    // Only names taken from the schema reach the text of the query.
    const QByteArray sql = QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
                               .arg(quotedName(schema->columns[column]), quotedName(schema->name),
                                    quotedName(schema->keyColumn))
                               .toUtf8();
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db.handle(), sql.constData(), int(sql.size()), &raw, nullptr) !=
        SQLITE_OK)
        throw engineFailure(db.handle());
    const std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)> stmt(raw, &sqlite3_finalize);

    QStringList values;
    int rc;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW)
        values << QString::fromUtf8(
            reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 0)),
            sqlite3_column_bytes(stmt.get(), 0));
    if (rc != SQLITE_DONE)
        throw engineFailure(db.handle());
    return values;
}

} // namespace vemtaro::db
