#pragma once

#include "Schema.h"

#include <QObject>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>

namespace vemtaro::db {

class Connection;

/// An updatable, keyed view of the rows a query text selects (a dynaset).
///
/// It holds only the keys of its rows; field values are fetched on demand through a bounded
/// row cache, so a result of a million rows costs little more than its keys. Rows are
/// addressed by their 0-based position in the result. Every write runs in a transaction of its
/// own, which also records it in the file's change history (see History); a failed write
/// leaves the database, the history, the positions and the pending edit as they were.
///
/// Failures throw DbError with a Spanish description. Nothing here shows a dialog. A value
/// that cannot be read (a damaged file, another program holding it) is never passed off as an
/// empty one: text() shows unreadableMark() and readFailed() says why, at most once per
/// operation (opening, moving, editing, writing), so that a view painting many cells raises
/// one report. A damaged row is not read again until the next open(). A read that another
/// program blocks waits Connection::readWaitMs once per operation; the reads after it in the
/// same operation give up at once, and the next operation tries again. A write waits up to
/// Connection::writeWaitMs for another program's write to end. On a read-only connection
/// every change is refused with its reason. The connection must outlive the record set.
class RecordSet : public QObject {
    Q_OBJECT
public:
    enum class EditMode { None, Edit, AddNew };

    /// How the clerk writes numbers: `read` takes a typed text (nothing when it is no number),
    /// `write` gives the text a number is shown with. The default is the C locale's plain
    /// form: a period before the decimals, no group separators.
    struct NumberFormat {
        std::function<std::optional<double>(const QString&)> read;
        std::function<QString(double)> write;
    };

    /// What text() gives for a value that could not be read.
    static QString unreadableMark() { return QStringLiteral("#¡ILEGIBLE!"); }

    explicit RecordSet(Connection& db, QObject* parent = nullptr);
    ~RecordSet() override;

    /// Sets how texts for numeric fields are read and numbers are shown (see NumberFormat).
    void setNumberFormat(NumberFormat format);

    /// Runs `source` (a bare table name or a Jet SELECT, see compileQuery), puts the rows in
    /// its order (see RowSorter) and makes the first row current (or none for an empty
    /// result). A changed pending add or edit is written first. On failure throws and keeps
    /// the rows it had.
    void open(const QString& source);

    const TableSchema* table() const;
    QStringList fieldNames() const;            ///< the table's fields in declared order
    int fieldIndex(const QString& name) const; ///< without regard to case; -1 when absent

    int recordCount() const;
    /// The row key (the table's key column) of the record at `row`; -1 outside the result.
    qint64 key(int row) const;
    /// The position of the record whose key is `key`; -1 when the result does not hold it.
    int rowOfKey(qint64 key) const;
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
    /// value() as the clerk reads it: numbers written with the number format, null as an
    /// empty text, and unreadableMark() when the row could not be read.
    QString text(int row, int field) const;
    QString currentText(int field) const; ///< the same for currentValue()

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
    /// Throws DbError with the reason when the database is read-only, as every change then
    /// does; returns otherwise.
    void checkWritable() const;
    /// True while the pending edit is an in-place one: started by setValue() alone, as a
    /// grid's cell edit does, not by edit() or addNew(). When a move or open() cannot write
    /// such an edit it is abandoned (the record shows its stored values again) as well as
    /// reported, so that the next move is free; an explicit edit is kept for the clerk to
    /// correct or cancel.
    bool inPlaceEdit() const;
    /// Starts a new record with every field null (a changed pending edit is written first).
    void addNew();
    /// Starts an edit of the current record from its stored values; a pending edit is kept,
    /// a pending add is written when changed. Throws when no record is current.
    void edit();
    /// Sets a field of the pending buffer (starting an in-place edit of the current record if
    /// none). An empty text stands for null. Throws, leaving the buffer as it was, when the
    /// value cannot be stored: a text for a numeric field that the number format does not
    /// read, or a text with a lone UTF-16 surrogate.
    void setValue(int field, const QVariant& value);
    /// Throws as setValue() would when `value` cannot be stored in `field`; changes nothing.
    void checkValue(int field, const QVariant& value) const;
    /// Writes the pending new or edited record. A new record joins the end of the result and
    /// becomes current. An edit is not forced over a change another program made to the
    /// record since edit(): that update throws once and takes the other change as seen, so
    /// that updating again overwrites it.
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
    /// A value could not be read; `description` says why, in Spanish. Emitted at most once
    /// between two operations, possibly while a view paints: show it later, not from here.
    void readFailed(const QString& description);
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
