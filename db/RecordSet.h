#pragma once

#include "Schema.h"

#include <QObject>
#include <QString>
#include <QVariant>
#include <memory>

namespace vemtaro::db {

class Connection;

/// An updatable, keyed view of the rows a query text selects (a dynaset).
///
/// It holds only the keys of its rows; field values are fetched on demand through a bounded
/// row cache, so a result of a million rows costs little more than its keys. Rows are
/// addressed by their 0-based position in the result. Every write runs in a transaction of its
/// own; a failed write leaves the database, the positions and the pending edit as they were.
///
/// Failures throw DbError with a Spanish description. Nothing here shows a dialog. The
/// connection must outlive the record set.
class RecordSet : public QObject {
    Q_OBJECT
public:
    enum class EditMode { None, Edit, AddNew };

    explicit RecordSet(Connection& db, QObject* parent = nullptr);
    ~RecordSet() override;

    /// Runs `source` (a bare table name or a Jet SELECT, see compileQuery), puts the rows in
    /// its order (see RowSorter) and makes the first row current (or none for an empty
    /// result). A changed pending add or edit is written first. On failure throws and keeps
    /// the rows it had.
    void open(const QString& source);

    const TableSchema* table() const;
    QStringList fieldNames() const;            ///< the table's fields in declared order
    int fieldIndex(const QString& name) const; ///< without regard to case; -1 when absent

    int recordCount() const;
    /// 0-based; -1 when no record is current, also while the current record is one just
    /// deleted. During a pending add it stays the position of the record current before.
    int absolutePosition() const;
    bool eof() const; ///< moved past the last record, or empty
    bool bof() const; ///< moved before the first record, or empty

    /// The stored value of `field` in `row` (null QVariant for a null field, and for every
    /// field of a row that another program has deleted). During a pending edit the edited row
    /// reads from the pending buffer.
    QVariant value(int row, int field) const;
    /// The current record's value, read from the pending buffer during an add or edit; null
    /// when no record is current.
    QVariant currentValue(int field) const;

    /// Moves make the target current and emit repositioned(). A pending add or edit whose
    /// buffer was changed is written first (as update(), and a failure to write it throws and
    /// cancels the move); an unchanged one is abandoned. moveNext() past the last record sets
    /// eof() and movePrevious() before the first sets bof(), with no record current; a further
    /// step the same way throws, a step back returns to the last (first) record.
    void moveTo(int row); ///< throws when `row` is not a position of the result
    void moveFirst();     ///< throws on an empty record set
    void movePrevious();
    void moveNext();
    void moveLast(); ///< throws on an empty record set

    EditMode editMode() const;
    /// Starts a new record with every field null (a changed pending edit is written first).
    void addNew();
    /// Starts an edit of the current record from its stored values; a pending edit is kept,
    /// a pending add is written when changed. Throws when no record is current.
    void edit();
    /// Sets a field of the pending buffer (starting an edit of the current record if none).
    void setValue(int field, const QVariant& value);
    /// Writes the pending new or edited record. A new record joins the end of the result and
    /// becomes current. An empty text stores null; texts given for numeric fields must read as
    /// whole or decimal numbers ("10", "-3", "2,5" or "2.5"). An edit is not forced over a
    /// change another program made to the record since edit(): that update throws once and
    /// takes the other change as seen, so that updating again overwrites it.
    void update();
    void cancelUpdate(); ///< abandons a pending add or edit
    /// Deletes the current record, abandoning a pending add or edit. It stays current, but
    /// unreadable, until the next move; moveNext() then goes to the record that followed it.
    /// Throws when no record is current.
    void deleteCurrent();

Q_SIGNALS:
    void repositioned();       ///< a record became current (open, move, delete)
    void resultReset();        ///< open() replaced every row
    void rowAppended(int row); ///< update() added a new record at `row`
    void rowRemoved(int row);  ///< deleteCurrent() removed `row`
    void rowChanged(int row);  ///< values of `row` changed (update, pending buffer)
    // Announce the three changes above while the rows still stand as before (item models
    // need both moments).
    void resultAboutToBeReset();
    void rowAboutToBeAppended(int row);
    void rowAboutToBeRemoved(int row);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace vemtaro::db
