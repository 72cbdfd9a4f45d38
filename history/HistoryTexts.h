#pragma once

#include "db/HistoryUndo.h"

#include <QString>

namespace vemtaro::db {
struct TableSchema;
}

namespace vemtaro::history {

/// How the history window writes a recorded change for the clerk.

/// The change's local time as "31/05/2024 14:05:09"; the stored text when it is no date.
QString whenText(const db::HistoryEntry& change);

/// The action, with the change it undid when it was an undo: "baja (deshace el n.º 12)".
QString actionText(const db::HistoryEntry& change);

/// What the change did to the fields, in the table's order (`table` may be null for a table
/// the system does not know): for an edit each changed field, "DESCRIPCION: MESA → MESA AZUL";
/// for an addition or a deletion each field that holds a value, "CODIGO: 112". The fields are
/// joined with `separator`.
QString changesText(const db::HistoryEntry& change, const db::TableSchema* table,
                    const QString& separator);

/// The account of a change for a sentence: "112, subcuenta 01 (MESA DE ROBLE)".
QString accountText(const db::HistoryEntry& change);

/// Why `change` cannot be undone now, as the clerk is told; empty when it can.
QString cannotUndoText(const db::HistoryEntry& change, const db::HistoryUndo::State& state);

/// The question to ask before undoing `change` (removing an account, overwriting values
/// that changed since); empty when there is none to ask.
QString undoQuestion(const db::HistoryEntry& change, const db::HistoryUndo::State& state,
                     const db::TableSchema* table);

} // namespace vemtaro::history
