#pragma once

#include <QJsonObject>
#include <QString>
#include <memory>
#include <optional>

struct sqlite3;

namespace vemtaro::db {

struct TableSchema;

/// The stored values of one row by field name, as the history keeps them: every field of the
/// row but its key, numbers as JSON numbers, texts as strings, nulls as null, and binary values
/// as an object {"base64": "..."}.
using RowValues = QJsonObject;

/// What a recorded change did to its row.
enum class ChangeKind { Added, Edited, Deleted };

/// The word the history stores for `kind`: "alta", "modificación" or "baja".
QString changeKindText(ChangeKind kind);

/// One recorded change, a row of the history table.
struct HistoryEntry {
    qint64 id = 0;  ///< grows with every change and is never reused: newer is larger
    QString when;   ///< local time as ISO text, "2024-05-31T14:05:09"
    QString user;   ///< the operating-system user who made the change
    QString table;  ///< the changed table as the file declares it: vemtaro, extendido
    qint64 key = 0; ///< the changed row's key in that table
    ChangeKind kind = ChangeKind::Edited;
    std::optional<RowValues> before; ///< nothing for an addition
    std::optional<RowValues> after;  ///< nothing for a deletion
    /// The row's code, class and description after the change (before it, for a deletion).
    QString code, subaccount, description;
    qint64 undoes = 0; ///< the id of the change this one undid; 0 when it undid none
};

/// The change history of an accounts database: the table `historial` in the same file.
///
/// Each of its rows records one write to one row of another table: `cuando` (local time, ISO
/// text), `usuario` (the operating-system user), `tabla` and `clave` (the row's key), `accion`
/// ("alta", "modificación", "baja"), `antes` and `despues` (the row's values as JSON objects by
/// field name, see RowValues; null for the side where the row did not exist), the row's
/// `codigo`, `clase` and `descripcion` (which the history window shows and narrows by), and
/// `deshace`, the id of the change an undo undid. The sqlite3 tool reads it all, e.g.
/// `SELECT json_extract(despues, '$.DESCRIPCION') FROM historial`.
///
/// A change is recorded inside the transaction of its write, so that both commit or roll back
/// together. Failures throw DbError.
class History {
public:
    static QString tableName() { return QStringLiteral("historial"); }

    /// Makes sure the writable database `db` holds the history table, creating it when
    /// missing. A table of that name that is no history of this system (an older file's own)
    /// is kept under the first free name of historial_anterior, historial_anterior2, ...
    static void prepare(sqlite3* db);
    /// Whether `db` holds the history table of this system.
    static bool exists(sqlite3* db);

    /// Records on `db`, which must be writable and prepared.
    explicit History(sqlite3* db);
    ~History();
    History(const History&) = delete;
    History& operator=(const History&) = delete;

    /// The stored values of row `key` of `table` now, or nothing when there is no such row.
    std::optional<RowValues> values(const TableSchema& table, qint64 key);

    /// Records that row `key` of `table` went from `before` (nothing: the row did not exist)
    /// to what it holds now: call it after the write, inside the write's transaction.
    /// `undoes` is the id of the change this write undid, 0 for none. Records nothing when
    /// the row is as it was. Returns the new entry's id, or 0 when nothing was recorded.
    qint64 record(const TableSchema& table, qint64 key, const std::optional<RowValues>& before,
                  qint64 undoes = 0);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace vemtaro::db
