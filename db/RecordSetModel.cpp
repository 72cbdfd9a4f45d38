#include "RecordSetModel.h"

#include "DbError.h"
#include "RecordSet.h"

namespace vemtaro::db {

RecordSetModel::RecordSetModel(RecordSet* records, QObject* parent)
    : QAbstractTableModel(parent), m_records(records)
{
    connect(records, &RecordSet::resultAboutToBeReset, this, &RecordSetModel::beginResetModel);
    connect(records, &RecordSet::resultReset, this, &RecordSetModel::endResetModel);
    connect(records, &RecordSet::rowAboutToBeAppended, this,
            [this](int row) { beginInsertRows({}, row, row); });
    connect(records, &RecordSet::rowAppended, this, &RecordSetModel::endInsertRows);
    connect(records, &RecordSet::rowAboutToBeRemoved, this,
            [this](int row) { beginRemoveRows({}, row, row); });
    connect(records, &RecordSet::rowRemoved, this, &RecordSetModel::endRemoveRows);
    connect(records, &RecordSet::rowChanged, this, [this](int row) {
        if (row >= 0 && row < rowCount() && columnCount() > 0)
            Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1),
                               {Qt::DisplayRole, Qt::EditRole});
    });
}

int RecordSetModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_records->recordCount();
}

int RecordSetModel::columnCount(const QModelIndex& parent) const
{
    const TableSchema* table = m_records->table();
    return parent.isValid() || !table ? 0 : int(table->columns.size());
}

QVariant RecordSetModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid) ||
        (role != Qt::DisplayRole && role != Qt::EditRole))
        return QVariant();
    return m_records->text(index.row(), index.column());
}

QVariant RecordSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < columnCount())
        return m_records->table()->columns[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags RecordSetModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable | Qt::ItemNeverHasChildren;
}

bool RecordSetModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return false;
    try {
        if (m_records->absolutePosition() != index.row() ||
            m_records->editMode() == RecordSet::EditMode::AddNew)
            m_records->moveTo(index.row());
        m_records->setValue(index.column(), value);
    } catch (const DbError& error) {
        Q_EMIT writeFailed(error.description());
        return false;
    }
    return true;
}

} // namespace vemtaro::db
