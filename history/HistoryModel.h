#pragma once

#include "db/HistoryLog.h"

#include <QAbstractTableModel>
#include <vector>

namespace vemtaro::db {
class Connection;
}

namespace vemtaro::history {

/// The recorded changes of a database as a table, newest first, read in batches as a view
/// scrolls down (canFetchMore, fetchMore), optionally narrowed by a word of the account code
/// or description. Read only.
class HistoryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Number, When, User, Table, Code, Subaccount, Action, Changes, ColumnCount };
    /// Changes read at a time.
    static constexpr int batchSize = 100;

    /// Reads the first batch of the history of `db`, which must outlive the model.
    explicit HistoryModel(const db::Connection& db, QObject* parent = nullptr);

    /// Narrows the list to the changes whose account code or description holds `word` (all
    /// when it is blank) and reads it again from the newest.
    void setWord(const QString& word);
    /// Reads the list again from the newest, at least as far as it was read.
    void reload();

    /// The change shown at `row`.
    const db::HistoryEntry& change(int row) const { return m_rows[std::size_t(row)].change; }
    /// The row that shows the change `id`; -1 when it is not read (or not in the list).
    int rowOf(qint64 id) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

Q_SIGNALS:
    /// The history could not be read; `description` says why, in Spanish.
    void readFailed(const QString& description);

private:
    struct Row {
        db::HistoryEntry change;
        QString changes; ///< on one line, for the cell
        QString detail;  ///< one field a line, for the tooltip
    };
    /// The next batch of changes older than the change `olderThan` (0: from the newest); notes
    /// when the list is complete. A failure is told and ends the list.
    std::vector<Row> readBatch(qint64 olderThan);
    void readFromNewest(int atLeast);
    /// Reads the list again from the newest, at least `atLeast` changes, in a model reset.
    void reset(int atLeast);
    qint64 lastId() const { return m_rows.empty() ? 0 : m_rows.back().change.id; }

    const db::Connection& m_db;
    db::HistoryLog m_log;
    QString m_word;
    std::vector<Row> m_rows;
    bool m_complete = false; ///< every change of the list is read
    bool m_changing = false; ///< a reset or an insertion is being announced
};

} // namespace vemtaro::history
