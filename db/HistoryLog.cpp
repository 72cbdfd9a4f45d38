#include "HistoryLog.h"

#include "HistoryValues.h"
#include "Statement.h"

namespace vemtaro::db {
namespace {

/// A Jet pattern matching any text that holds `word` as it is: its pattern characters each
/// stand in a list of their own.
QString containing(const QString& word)
{
    QString pattern = QStringLiteral("*");
    for (const QChar c : word) {
        if (c == u'*' || c == u'?' || c == u'#' || c == u'[')
            pattern += QLatin1Char('[') + c + QLatin1Char(']');
        else
            pattern += c;
    }
    return pattern + QLatin1Char('*');
}

HistoryEntry entryAt(sqlite3_stmt* stmt)
{
    HistoryEntry entry;
    entry.id = sqlite3_column_int64(stmt, 0);
    entry.when = columnText(stmt, 1);
    entry.user = columnText(stmt, 2);
    entry.table = columnText(stmt, 3);
    entry.key = sqlite3_column_int64(stmt, 4);
    entry.before = historyRowValues(stmt, 5);
    entry.after = historyRowValues(stmt, 6);
    // What the values show, rather than the stored word, which a hand may have altered.
    entry.kind = !entry.before ? ChangeKind::Added
                               : (!entry.after ? ChangeKind::Deleted : ChangeKind::Edited);
    entry.code = columnText(stmt, 7);
    entry.subaccount = columnText(stmt, 8);
    entry.description = columnText(stmt, 9);
    entry.undoes = sqlite3_column_int64(stmt, 10);
    return entry;
}

} // namespace

HistoryLog::HistoryLog(const Connection& db) : m_db(db), m_exists(History::exists(db.handle())) {}

std::vector<HistoryEntry> HistoryLog::changes(const QString& word, qint64 olderThan,
                                              int limit) const
{
    QString condition =
        olderThan > 0 ? QStringLiteral("id < %1").arg(olderThan) : QStringLiteral("1");
    std::vector<QByteArray> parameters;
    if (const QString trimmed = word.trimmed(); !trimmed.isEmpty()) {
        condition += QStringLiteral(" AND (jet_like(?1, codigo) OR jet_like(?1, descripcion))");
        parameters.push_back(containing(trimmed).toUtf8());
    }
    return read(condition, parameters, limit);
}

std::optional<HistoryEntry> HistoryLog::undoneBy(qint64 id) const
{
    std::vector<HistoryEntry> undo = read(QStringLiteral("deshace = %1").arg(id), {}, 1);
    if (undo.empty())
        return std::nullopt;
    return undo.front();
}

std::vector<HistoryEntry> HistoryLog::read(const QString& condition,
                                           const std::vector<QByteArray>& parameters,
                                           int limit) const
{
    std::vector<HistoryEntry> entries;
    if (!m_exists)
        return entries;
    const Statement select(m_db.handle(),
                           QStringLiteral("SELECT id, cuando, usuario, tabla, clave, antes, "
                                          "despues, codigo, clase, descripcion, deshace FROM "
                                          "historial WHERE %1 ORDER BY id DESC LIMIT %2")
                               .arg(condition)
                               .arg(limit),
                           false);
    for (std::size_t i = 0; i < parameters.size(); ++i)
        sqlite3_bind_text(select.get(), int(i + 1), parameters[i].constData(),
                          int(parameters[i].size()), SQLITE_STATIC);
    while (select.step())
        entries.push_back(entryAt(select.get()));
    return entries;
}

} // namespace vemtaro::db
