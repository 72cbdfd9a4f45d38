#include "DataGrid.h"

#include "DataControl.h"
#include "MessageBox.h"
#include "db/DbError.h"
#include "db/RecordSetModel.h"

#include <QHeaderView>
#include <QScopedValueRollback>

namespace vemtaro::platform {

DataGrid::DataGrid(DataControl& source, QWidget* parent)
    : QTableView(parent), m_source(source),
      m_model(new db::RecordSetModel(&source.recordset(), this))
{
    setModel(m_model);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->hide();
    horizontalHeader()->setStretchLastSection(true);
    setWordWrap(false);
    setTabKeyNavigation(false); // Tab leaves the grid for the next control, as in every box
    connect(&source.recordset(), &db::RecordSet::repositioned, this, &DataGrid::followRecordSource);
    connect(m_model, &db::RecordSetModel::writeFailed, this, [](const QString& description) {
        MessageBox::show(QStringLiteral("Error: ") + description);
    });
    followRecordSource();
}

DataGrid::~DataGrid() = default;

qreal DataGrid::fontSize() const
{
    return font().pointSizeF();
}

void DataGrid::setFontSize(qreal points)
{
    // Pin the header's font first so that only the cells change size.
    horizontalHeader()->setFont(horizontalHeader()->font());
    QFont cells = font();
    cells.setPointSizeF(points);
    setFont(cells);
    verticalHeader()->setDefaultSectionSize(QFontMetrics(cells).height() + 4);
}

void DataGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    if (m_following || !current.isValid() || current.row() == previous.row())
        return;
    if (current.row() == m_source.recordset().absolutePosition())
        return;
    try {
        m_source.moveTo(current.row());
    } catch (const db::DbError& error) {
        MessageBox::show(QStringLiteral("Error: ") + error.description());
        followRecordSource();
    }
}

bool DataGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    // A cell edit would write or drop the record the clerk is typing into the boxes.
    if (m_source.pendingAddOrEdit())
        return false;
    return QTableView::edit(index, trigger, event);
}

void DataGrid::rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end)
{
    // The view moves its current cell off a deleted row; the record source decides which
    // record follows a delete, not the view.
    QScopedValueRollback guard(m_following, true);
    QTableView::rowsAboutToBeRemoved(parent, start, end);
}

void DataGrid::followRecordSource()
{
    QScopedValueRollback guard(m_following, true);
    const int row = m_source.recordset().absolutePosition();
    if (row < 0 || row >= m_model->rowCount()) {
        return;
    }
    const int column = currentIndex().isValid() ? currentIndex().column() : 0;
    const QModelIndex index = m_model->index(row, column);
    setCurrentIndex(index);
    scrollTo(index);
}

} // namespace vemtaro::platform
