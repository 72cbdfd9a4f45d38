#pragma once

// How the history's values pass between the engine and JSON. Internal to db/.

#include "History.h"

#include <QByteArray>
#include <QJsonValue>
#include <QStringList>
#include <optional>
#include <sqlite3.h>

namespace vemtaro::db {

/// Column `column` of the current row of `stmt` as the history keeps a value (see RowValues).
QJsonValue historyValue(sqlite3_stmt* stmt, int column);

/// Binds `value`, kept by the history, to parameter `parameter` of `stmt` as it was stored:
/// an integer as an integer, a binary value as a blob.
void bindHistoryValue(sqlite3_stmt* stmt, int parameter, const QJsonValue& value);

/// `values` as compact JSON text.
QByteArray historyText(const RowValues& values);

/// The row values held as JSON text in column `column` of the current row of `stmt`; nothing
/// for a null, and for a text that is no JSON object (edited by hand).
std::optional<RowValues> historyRowValues(sqlite3_stmt* stmt, int column);

/// The columns `table` declares in `db`, key included, in their order.
QStringList declaredColumns(sqlite3* db, const QString& table);

} // namespace vemtaro::db
