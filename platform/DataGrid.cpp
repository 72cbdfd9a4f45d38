#include "DataGrid.h"

#include "DataControl.h"
#include "MessageBox.h"
#include "db/DbError.h"
#include "db/RecordSetModel.h"

#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QStyledItemDelegate>
#include <algorithm>

namespace vemtaro::platform {

/// Edits a cell in a plain text box that starts from the text the cell shows (a spin box
/// would neither take the regional decimal nor let a wrong number be refused with a reason),
/// and hands back only a changed text, so that looking at a cell starts no edit.
class DataGrid::CellDelegate : public QStyledItemDelegate {
public:
    explicit CellDelegate(DataGrid& grid) : QStyledItemDelegate(&grid), m_grid(grid) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex&) const override
    {
        try {
            m_grid.m_source.recordset().checkWritable();
        } catch (const db::DbError& error) {
            m_grid.reportLater(error.description());
            return nullptr;
        }
        auto* editor = new QLineEdit(parent);
        editor->setFrame(false);
        return editor;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        static_cast<QLineEdit*>(editor)->setText(index.data(Qt::EditRole).toString());
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override
    {
        const QString text = static_cast<QLineEdit*>(editor)->text();
        if (text != index.data(Qt::EditRole).toString())
            model->setData(index, text.isEmpty() ? QVariant() : QVariant(text));
    }

private:
    DataGrid& m_grid;
};

DataGrid::DataGrid(DataControl& source, QWidget* parent)
    : QTableView(parent), m_source(source),
      m_model(new db::RecordSetModel(&source.recordset(), this))
{
    setModel(m_model);
    setItemDelegate(new CellDelegate(*this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    fitRowsToFont();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->hide();
    horizontalHeader()->setStretchLastSection(true);
    setWordWrap(false);
    setTabKeyNavigation(false); // Tab leaves the grid for the next control, as in every box
    connect(&source.recordset(), &db::RecordSet::repositioned, this, &DataGrid::followRecordSource);
    connect(m_model, &db::RecordSetModel::writeFailed, this, &DataGrid::reportLater);
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
}

void DataGrid::setColumnWidth(int column, int width)
{
    QTableView::setColumnWidth(column,
                               std::max(width, horizontalHeader()->sectionSizeHint(column)));
}

void DataGrid::changeEvent(QEvent* event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        fitRowsToFont();
}

void DataGrid::fitRowsToFont()
{
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
}

void DataGrid::setCol(int column)
{
    // Choosing a column keeps the rows the grid displays, even when the current row is not
    // among them.
    const bool scrolls = hasAutoScroll();
    setAutoScroll(false);
    setCurrentIndex(m_model->index(currentIndex().row(), column));
    setAutoScroll(scrolls);
}

void DataGrid::setRow(int row)
{
    // Scrolled to its end, the grid shows its last row whole and may cut the top one.
    int top = rowAt(0);
    if (top >= 0 && rowViewportPosition(top) < 0)
        ++top;
    const int target = top + row;
    const bool shownWhole = top >= 0 && row >= 0 && target < m_model->rowCount() &&
                            rowViewportPosition(target) >= 0 &&
                            rowViewportPosition(target) + rowHeight(target) <= viewport()->height();
    if (!shownWhole)
        throw GridError(GridError::RowNotDisplayed,
                        QStringLiteral("La fila %1 no está a la vista en la grilla.").arg(row));
    setCurrentIndex(m_model->index(target, std::max(currentIndex().column(), 0)));
}

QString DataGrid::text() const
{
    const db::RecordSet& records = m_source.recordset();
    if (records.absolutePosition() < 0 || records.eof() || records.bof())
        throw GridError(GridError::NoCurrentRecord, QStringLiteral("No hay registro activo."));
    return currentIndex().data(Qt::DisplayRole).toString();
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
        reportLater(error.description());
    }
}

void DataGrid::keyPressEvent(QKeyEvent* event)
{
    // A first Escape closes an open cell editor (the editor takes it); this one abandons the
    // row's pending in-place edit. A record edit belongs to its window's own cancel.
    if (event->key() == Qt::Key_Escape && m_source.recordset().inPlaceEdit()) {
        m_source.updateControls();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void DataGrid::reportLater(const QString& description)
{
    // Not from here: the view is still handling the click or key (and may be painting or
    // closing an editor, which would commit again); it would also select the row clicked
    // after being put back.
    if (std::exchange(m_reportPending, true))
        return;
    QMetaObject::invokeMethod(
        this,
        [this, description] {
            m_reportPending = false;
            followRecordSource();
            MessageBox::showError(description);
        },
        Qt::QueuedConnection);
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
