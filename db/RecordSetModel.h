#pragma once

#include <QAbstractTableModel>

namespace vemtaro::db {

class RecordSet;

/// The rows of a record set as a table for a data grid: one row per record, one column per
/// field of its table, headed by the field name.
///
/// Cells hold the values as the clerk reads and types them, texts for the display and the edit
/// role alike (RecordSet::text()). They are editable: an edit goes into the record set's
/// pending buffer for that row (the row becomes current first), so that it is written when
/// another row becomes current. Rows are neither inserted nor removed through the model; it
/// follows the record set instead.
class RecordSetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    /// `records` must outlive the model.
    explicit RecordSetModel(RecordSet* records, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    /// Returns false, after writeFailed(), when the record set refused the value (not a
    /// number for a numeric field, a broken character, a read-only file) or making the row
    /// current failed (a pending edit of another row could not be written).
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

Q_SIGNALS:
    /// An in-place edit could not be taken; `description` is the Spanish reason.
    void writeFailed(const QString& description);

private:
    RecordSet* m_records;
};

} // namespace vemtaro::db
