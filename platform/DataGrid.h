#pragma once

#include <QTableView>
#include <stdexcept>

namespace vemtaro::db {
class RecordSetModel;
}

namespace vemtaro::platform {

class DataControl;

/// A grid operation that cannot be done.
class GridError : public std::runtime_error {
public:
    enum Code {
        RowNotDisplayed, ///< selecting a row that the grid does not display
        NoCurrentRecord, ///< reading the current cell while the record source has none
    };
    GridError(Code code, const QString& description)
        : std::runtime_error(description.toStdString()), m_code(code), m_description(description)
    {
    }
    Code code() const { return m_code; }
    /// The Spanish text for the clerk.
    const QString& description() const { return m_description; }

private:
    Code m_code;
    QString m_description;
};

/// A data grid on a bound record source: one row per record and one column per field, headed
/// by the field name. Moving the current cell to another row moves the current record (which
/// writes an in-place edit of the row left); a move of the record source moves the current
/// row. Cells may be overwritten in place, in a plain text editor whatever the field (numbers
/// as the clerk writes them), except while the record source holds a new or edited record of
/// the bound boxes; rows can be neither added nor deleted here.
///
/// A refused cell value or move never traps the clerk: its message is shown once, after the
/// click or key that caused it, the grid goes back to the record source's current record, and
/// an in-place edit the database refused is dropped (the record set's rule). Escape abandons a
/// pending in-place edit. On a read-only database a cell edit is refused with its reason.
class DataGrid : public QTableView {
    Q_OBJECT
public:
    explicit DataGrid(DataControl& source, QWidget* parent = nullptr);
    ~DataGrid() override;

    /// The cells' font size in points; the header keeps its own font. Rows are as high as the
    /// cells' font needs.
    qreal fontSize() const;
    void setFontSize(qreal points);

    /// Sets a column's width, never below what its heading needs (in the bold of the current
    /// column's heading), so that no field name is cut.
    void setColumnWidth(int column, int width);

    // The current cell, addressed as the printed listing walks it.
    /// Moves the current cell to `column` (0-based, a column of the grid) on the same row,
    /// without scrolling the grid.
    void setCol(int column);
    /// Makes `row` current, counted from the top row the grid displays (0 is that row); its
    /// record becomes the record source's current one. Only rows shown whole are displayed
    /// (a row cut at the top does not count): any other row throws
    /// GridError::RowNotDisplayed and changes nothing.
    void setRow(int row);
    /// The current cell's display text. Throws GridError::NoCurrentRecord while the record
    /// source has no current record (moved past either end).
    QString text() const;

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override;

private:
    class CellDelegate;

    void followRecordSource();
    /// Shows "Error: " and `description` once the current event is over, with the grid back
    /// on the current record; a second failure before then is the same one.
    void reportLater(const QString& description);
    void fitRowsToFont();

    DataControl& m_source;
    db::RecordSetModel* m_model;
    bool m_following = false;
    bool m_reportPending = false;
};

} // namespace vemtaro::platform
