#include "HistoryUndo.h"

#include "HistoryValues.h"
#include "Schema.h"
#include "Statement.h"

namespace vemtaro::db {
namespace {

/// A value as the comparison of two sides of a change sees it: a field missing on one side
/// is null there.
QJsonValue sideValue(const RowValues& values, const QString& field)
{
    const QJsonValue value = values.value(field);
    return value.isUndefined() ? QJsonValue(QJsonValue::Null) : value;
}

/// The fields an edit changed, that the table still has.
QStringList changedFields(const HistoryEntry& change, const QStringList& columns)
{
    QStringList fields;
    for (const QString& field : columns)
        if (sideValue(*change.before, field) != sideValue(*change.after, field))
            fields << field;
    return fields;
}

} // namespace

bool HistoryUndo::State::operator==(const State& other) const
{
    const auto undoId = [](const std::optional<HistoryEntry>& entry) {
        return entry ? entry->id : 0;
    };
    return undoId(undoneBy) == undoId(other.undoneBy) && current == other.current &&
           gone == other.gone && changedSince == other.changedSince;
}

HistoryUndo::HistoryUndo(Connection& db) : m_db(db), m_log(db) {}

const TableSchema& HistoryUndo::tableOf(const HistoryEntry& change) const
{
    if (const TableSchema* table = m_db.table(change.table))
        return *table;
    throw DbError(QStringLiteral("No se puede deshacer este cambio: la tabla «%1» no es de este "
                                 "sistema.")
                      .arg(change.table));
}

HistoryUndo::State HistoryUndo::state(const HistoryEntry& change) const
{
    State state;
    state.undoneBy = m_log.undoneBy(change.id);
    state.current = m_db.history().values(tableOf(change), change.key);
    if (change.kind != ChangeKind::Deleted) {
        state.gone = !state.current;
        state.changedSince = state.current && change.after && *state.current != *change.after;
    }
    return state;
}

qint64 HistoryUndo::undo(const HistoryEntry& change, const State& seen)
{
    const TableSchema& table = tableOf(change);
    History& history = m_db.history();
    WriteTransaction transaction(m_db.handle());
    const State now = state(change);
    if (now.undoneBy)
        throw DbError(QStringLiteral("Este cambio ya se deshizo."));
    if (now.gone)
        throw DbError(QStringLiteral("La cuenta de este cambio ya no existe: no hay nada que "
                                     "deshacer."));
    if (!(now == seen))
        throw DbError(QStringLiteral("La cuenta de este cambio acaba de cambiar otra vez. Vuelva "
                                     "a deshacerlo para ver cómo está ahora."));
    qint64 recorded = 0;
    switch (change.kind) {
    case ChangeKind::Deleted: {
        const qint64 key = restore(table, change);
        recorded = history.record(table, key, std::nullopt, change.id);
        break;
    }
    case ChangeKind::Edited:
        putBack(table, change);
        recorded = history.record(table, change.key, now.current, change.id);
        break;
    case ChangeKind::Added:
        remove(table, change.key);
        recorded = history.record(table, change.key, now.current, change.id);
        break;
    }
    transaction.commit();
    return recorded;
}

qint64 HistoryUndo::restore(const TableSchema& table, const HistoryEntry& change)
{
    sqlite3* db = m_db.handle();
    const QStringList columns = declaredColumns(db, table.name);
    // The old key, unless another row holds it now.
    const bool keyFree = !m_db.history().values(table, change.key);
    QStringList names, marks;
    std::vector<QJsonValue> values;
    if (keyFree) {
        names << quotedName(table.keyColumn);
        values.emplace_back(change.key);
    }
    for (auto field = change.before->begin(); field != change.before->end(); ++field)
        if (columns.contains(field.key()) &&
            field.key().compare(table.keyColumn, Qt::CaseInsensitive) != 0) {
            names << quotedName(field.key());
            values.push_back(field.value());
        }
    for (std::size_t i = 1; i <= values.size(); ++i)
        marks << QStringLiteral("?%1").arg(i);
    const Statement insert(db,
                           QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                               .arg(quotedName(table.name), names.join(QStringLiteral(", ")),
                                    marks.join(QStringLiteral(", "))),
                           false);
    for (std::size_t i = 0; i < values.size(); ++i)
        bindHistoryValue(insert.get(), int(i + 1), values[i]);
    insert.step();
    return sqlite3_last_insert_rowid(db);
}

void HistoryUndo::putBack(const TableSchema& table, const HistoryEntry& change)
{
    sqlite3* db = m_db.handle();
    const QStringList fields = changedFields(change, declaredColumns(db, table.name));
    if (fields.isEmpty())
        return;
    QStringList assignments;
    for (int i = 0; i < fields.size(); ++i)
        assignments << QStringLiteral("%1 = ?%2").arg(quotedName(fields[i])).arg(i + 1);
    const Statement update(db,
                           QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?%4")
                               .arg(quotedName(table.name), assignments.join(QStringLiteral(", ")),
                                    quotedName(table.keyColumn))
                               .arg(fields.size() + 1),
                           false);
    for (int i = 0; i < fields.size(); ++i)
        bindHistoryValue(update.get(), i + 1, sideValue(*change.before, fields[i]));
    sqlite3_bind_int64(update.get(), int(fields.size() + 1), change.key);
    update.step();
}

void HistoryUndo::remove(const TableSchema& table, qint64 key)
{
    const Statement remove(m_db.handle(),
                           QStringLiteral("DELETE FROM %1 WHERE %2 = ?1")
                               .arg(quotedName(table.name), quotedName(table.keyColumn)),
                           false);
    sqlite3_bind_int64(remove.get(), 1, key);
    remove.step();
}

} // namespace vemtaro::db
