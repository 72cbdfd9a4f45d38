#include "HistoryModel.h"

#include "HistoryTexts.h"

#include "db/Connection.h"
#include "db/DbError.h"

#include <QRegularExpression>

namespace vemtaro::history {

HistoryModel::HistoryModel(const db::Connection& db, QObject* parent)
    : QAbstractTableModel(parent), m_db(db), m_log(db)
{
    readFromNewest(batchSize);
}

void HistoryModel::setWord(const QString& word)
{
    m_word = word;
    reset(batchSize);
}

void HistoryModel::reload()
{
    reset(std::max(int(m_rows.size()), batchSize));
}

void HistoryModel::reset(int atLeast)
{
    m_changing = true;
    beginResetModel();
    readFromNewest(atLeast);
    endResetModel();
    m_changing = false;
}

void HistoryModel::readFromNewest(int atLeast)
{
    m_rows.clear();
    m_complete = false;
    while (!m_complete && int(m_rows.size()) < atLeast) {
        std::vector<Row> batch = readBatch(lastId());
        std::move(batch.begin(), batch.end(), std::back_inserter(m_rows));
    }
}

std::vector<HistoryModel::Row> HistoryModel::readBatch(qint64 olderThan)
{
    std::vector<Row> rows;
    std::vector<db::HistoryEntry> batch;
    try {
        batch = m_log.changes(m_word, olderThan, batchSize);
    } catch (const db::DbError& error) {
        // Not read now is not read later either: the list ends here.
        m_complete = true;
        Q_EMIT readFailed(error.description());
        return rows;
    }
    m_complete = int(batch.size()) < batchSize;
    static const QRegularExpression lineBreaks(QStringLiteral("[\r\n]+"));
    for (db::HistoryEntry& change : batch) {
        const db::TableSchema* table = m_db.table(change.table);
        QString cell = changesText(change, table, QStringLiteral("; "));
        QString detail = changesText(change, table, QStringLiteral("\n"));
        rows.push_back(
            {std::move(change), cell.replace(lineBreaks, QStringLiteral(" ")), std::move(detail)});
    }
    return rows;
}

int HistoryModel::rowOf(qint64 id) const
{
    for (std::size_t row = 0; row < m_rows.size(); ++row)
        if (m_rows[row].change.id == id)
            return int(row);
    return -1;
}

int HistoryModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int HistoryModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant HistoryModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Row& row = m_rows[std::size_t(index.row())];
    if (role == Qt::ToolTipRole && index.column() == Changes)
        return row.detail;
    if (role == Qt::TextAlignmentRole && index.column() == Number)
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case Number:
        return row.change.id;
    case When:
        return whenText(row.change);
    case User:
        return row.change.user;
    case Table:
        return row.change.table;
    case Code:
        return row.change.code;
    case Subaccount:
        return row.change.subaccount;
    case Action:
        return actionText(row.change);
    default:
        return row.changes;
    }
}

QVariant HistoryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const char* const headings[ColumnCount] = {"N.º",    "Fecha",     "Usuario", "Tabla",
                                                      "Cuenta", "Subcuenta", "Acción",  "Cambios"};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    return QString::fromUtf8(headings[section]);
}

bool HistoryModel::canFetchMore(const QModelIndex& parent) const
{
    // Who listens to a change of the rows reads them as they are; more come after it.
    return !parent.isValid() && !m_complete && !m_changing;
}

void HistoryModel::fetchMore(const QModelIndex& parent)
{
    if (!canFetchMore(parent))
        return;
    std::vector<Row> batch = readBatch(lastId());
    if (batch.empty())
        return;
    const int first = int(m_rows.size());
    m_changing = true;
    beginInsertRows({}, first, first + int(batch.size()) - 1);
    std::move(batch.begin(), batch.end(), std::back_inserter(m_rows));
    endInsertRows();
    m_changing = false;
}

} // namespace vemtaro::history
