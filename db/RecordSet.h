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
/// Failures throw DbError with a Spanish description. Nothing here shows a dialog.
class RecordSet : public QObject {
    Q_OBJECT
public:
    enum class EditMode { None, Edit, AddNew };

    explicit RecordSet(Connection& db, QObject* parent = nullptr);
    ~RecordSet() override;

    /// Runs `source` (a bare table name or a Jet SELECT, see compileQuery) and makes the first
    /// row current (or none for an empty result). On failure throws and keeps the rows it had.
    void open(const QString& source);

    const TableSchema* table() const;
    QStringList fieldNames() const; ///< the table's fields in declared order
    int fieldIndex(const QString& name) const; ///< without regard to case; -1 when absent

    int recordCount() const;
    int absolutePosition() const; ///< 0-based; -1 when no record is current
    bool eof() const;             ///< moved past the last record, or empty
    bool bof() const;             ///< moved before the first record, or empty

    /// The stored value of `field` in `row` (null QVariant for a null field). During a pending
    /// add or edit the current row reads from the pending buffer.
    QVariant value(int row, int field) const;
    QVariant currentValue(int field) const;

    /// Moves make the target current and emit repositioned(). A pending add or edit whose
    /// buffer was changed is written first (as update()); an unchanged one is abandoned.
    void moveTo(int row);
    void moveFirst();
    void movePrevious();
    void moveNext();
    void moveLast(); ///< throws on an empty record set

    EditMode editMode() const;
    void addNew();  ///< starts a new record with every field null
    void edit();    ///< throws when no record is current
    /// Sets a field of the pending buffer (starting an edit of the current record if none).
    void setValue(int field, const QVariant& value);
    /// Writes the pending new or edited record. A new record joins the end of the result and
    /// becomes current. Texts given for numeric fields must read as numbers (an empty text
    /// stores null).
    void update();
    void cancelUpdate(); ///< abandons a pending add or edit
    /// Deletes the current record. It stays current, but unreadable, until the next move;
    /// moveNext() then goes to the record that followed it.
    void deleteCurrent();

Q_SIGNALS:
    void repositioned();                 ///< a record became current (open, move, delete)
    void resultReset();                  ///< open() replaced every row
    void rowAppended(int row);           ///< update() added a new record at `row`
    void rowRemoved(int row);            ///< deleteCurrent() removed `row`
    void rowChanged(int row);            ///< values of `row` changed (update, pending buffer)

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace vemtaro::db
