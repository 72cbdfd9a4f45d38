#pragma once

#include <QString>
#include <QStringList>

namespace vemtaro::db {

class Connection;

/// The values of `field` in every row of the lookup table `table`, in the table's own order,
/// as the drop-down lists show them (a null reads as an empty text). Both names are checked
/// against the connection's tables, without regard to case; an unknown one throws DbError.
QStringList readLookup(Connection& db, const QString& table, const QString& field);

} // namespace vemtaro::db
