#include "Lookup.h"

#include "Connection.h"
#include "DbError.h"
#include "Statement.h"

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
    const Statement select(db.handle(),
                           QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
                               .arg(quotedName(schema->columns[column]), quotedName(schema->name),
                                    quotedName(schema->keyColumn)),
                           false);
    QStringList values;
    while (select.step())
        values << columnText(select.get(), 0);
    return values;
}

} // namespace vemtaro::db
