#pragma once

#include <QTableView>

namespace vemtaro::db {
class RecordSetModel;
}

namespace vemtaro::platform {

class DataControl;

/// A data grid on a bound record source: one row per record and one column per field, headed
/// by the field name. Moving the current cell to another row moves the current record (which
/// writes an in-place edit of the row left); a move of the record source moves the current
/// row. Cells may be overwritten in place, except while the record source holds a new or
/// edited record of the bound boxes; rows can be neither added nor deleted here.
class DataGrid : public QTableView {
    Q_OBJECT
public:
    explicit DataGrid(DataControl& source, QWidget* parent = nullptr);
    ~DataGrid() override;

    /// The cells' font size in points; the header keeps its own font.
    qreal fontSize() const;
    void setFontSize(qreal points);

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override;

private:
    void followRecordSource();

    DataControl& m_source;
    db::RecordSetModel* m_model;
    bool m_following = false;
};

} // namespace vemtaro::platform
