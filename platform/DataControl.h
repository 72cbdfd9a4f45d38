#pragma once

#include "db/RecordSet.h"

#include <QWidget>
#include <memory>
#include <vector>

class QLabel;

namespace vemtaro::db {
class Connection;
}

namespace vemtaro::platform {

class TextControl;

/// A bound record source: a navigation bar (first, previous, next, last and the caption
/// between them) over one record set, with text boxes bound to its fields.
///
/// Bound boxes show the current record's fields after every reposition, go blank on addNew(),
/// and hand their texts to the record set when a pending add or edit is written: by update(),
/// or by a move, which writes a changed pending record first (the grid's in-place edits are
/// written the same way). Numbers are read and shown with the regional conversions
/// (toNumber, toText). Failures throw db::DbError; showing them is the window's business,
/// except a value the record set could not read, which this control reports in a message box
/// once the event that met it is over. On a read-only database a "Solo lectura" tag beside the
/// caption says so, its tooltip why.
///
/// A record started with addNew() or edit() is the clerk's to save or cancel: until update()
/// or updateControls() settles it, refresh() and every move are refused (they throw and change
/// nothing), so that neither the typed texts nor the pending record are lost or written behind
/// the clerk's back.
class DataControl : public QWidget {
    Q_OBJECT
public:
    /// Opens the record set on `recordSource` (a table name or a query text); throws DbError.
    DataControl(db::Connection& db, const QString& recordSource, QWidget* parent = nullptr);
    ~DataControl() override;

    QString caption() const;
    void setCaption(const QString& caption);

    QString recordSource() const { return m_recordSource; }
    /// Replaces the query text; it is run by the next refresh().
    void setRecordSource(const QString& text) { m_recordSource = text; }
    /// Runs the query text; the first record becomes current. Throws DbError (the query text
    /// stays set to the rejected text), also while a record started with addNew() or edit()
    /// is pending.
    void refresh();

    db::RecordSet& recordset() { return m_recordset; }
    const db::RecordSet& recordset() const { return m_recordset; }

    /// Binds `box` to `field` of the current record.
    void bind(TextControl* box, const QString& field);

    // The record-set operations the windows use, keeping the bound boxes in step.
    void addNew();
    void edit();
    /// Writes the pending record with the bound boxes' texts; on failure the texts and the
    /// pending record stay as they were.
    void update();
    void deleteCurrent();
    /// Each move throws DbError while a record started with addNew() or edit() is pending.
    void moveTo(int row);
    void moveFirst();
    void movePrevious();
    void moveNext();
    void moveLast();
    /// Shows the current record again in the bound boxes, abandoning a pending add or edit.
    void updateControls();

    /// A record started with addNew() or edit() waits for update() or updateControls().
    bool pendingAddOrEdit() const;
    /// A record started with addNew() is pending and every bound box is blank.
    bool newRecordIsBlank() const;

Q_SIGNALS:
    /// A record became current (after a refresh, a move or a delete).
    void Reposition();
    /// A navigation-bar move failed (for example writing a pending edit); the window shows it.
    void moveFailed(const QString& description);

private:
    struct Binding {
        TextControl* box;
        int field;
        QString shown; ///< the text the box was last filled with
    };
    bool hasRecordToShow() const;
    void fill(Binding& binding, bool current);
    void fillBoundBoxes();
    void takeBoundEdits();
    void navigate(void (DataControl::*move)());
    void showReadOnly(const QString& reason);
    /// Throws while the clerk's own new or edited record waits to be saved or cancelled.
    void refuseWhilePending() const;

    db::RecordSet m_recordset;
    QString m_recordSource;
    QLabel* m_caption;
    std::vector<Binding> m_bindings;
};

} // namespace vemtaro::platform
