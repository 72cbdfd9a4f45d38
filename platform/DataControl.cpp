#include "DataControl.h"

#include "Controls.h"
#include "Look.h"
#include "MessageBox.h"
#include "RegionalNumbers.h"
#include "db/Connection.h"
#include "db/DbError.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <algorithm>

namespace vemtaro::platform {
namespace {
const QString pendingRecordMessage =
    QStringLiteral("Hay un registro nuevo o en edición sin guardar. Guárdelo o cancélelo antes de "
                   "buscar o de pasar a otro registro.");
} // namespace

DataControl::DataControl(db::Connection& db, const QString& recordSource, QWidget* parent)
    : QWidget(parent), m_recordset(db), m_recordSource(recordSource),
      m_caption(new QLabel(QStringLiteral("Data1"), this))
{
    setAutoFillBackground(true);
    setColor(this, QPalette::Window, palette().color(QPalette::Button));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    const auto addButton = [&](const char* name, const QString& glyph,
                               void (DataControl::*move)()) {
        auto* button = new QToolButton(this);
        button->setObjectName(QString::fromLatin1(name));
        button->setText(glyph);
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
        connect(button, &QToolButton::clicked, this, [this, move] { navigate(move); });
        layout->addWidget(button);
    };
    addButton("cmdPrimero", QStringLiteral("|◀"), &DataControl::moveFirst);
    addButton("cmdAnterior", QStringLiteral("◀"), &DataControl::movePrevious);
    m_caption->setObjectName(QStringLiteral("caption"));
    m_caption->setAlignment(Qt::AlignCenter);
    // "No hay entradas de registros" is wider than the bar between its arrows: it takes two lines.
    m_caption->setWordWrap(true);
    layout->addWidget(m_caption, 1);
    addButton("cmdSiguiente", QStringLiteral("▶"), &DataControl::moveNext);
    addButton("cmdUltimo", QStringLiteral("▶|"), &DataControl::moveLast);
    if (db.isReadOnly())
        showReadOnly(db.readOnlyReason());

    // Numbers are read and shown as the clerk writes them everywhere else.
    m_recordset.setNumberFormat({&toNumber, &toText});
    // Reported after the paint or move that met it, once.
    connect(&m_recordset, &db::RecordSet::readFailed, this, &MessageBox::showError,
            Qt::QueuedConnection);

    connect(&m_recordset, &db::RecordSet::repositioned, this, [this] {
        fillBoundBoxes();
        Q_EMIT Reposition();
    });
    connect(&m_recordset, &db::RecordSet::rowChanged, this, [this](int row) {
        if (row == m_recordset.absolutePosition())
            fillBoundBoxes();
    });
    refresh();
}

DataControl::~DataControl() = default;

QString DataControl::caption() const
{
    return m_caption->text();
}

void DataControl::setCaption(const QString& caption)
{
    m_caption->setText(caption);
}

void DataControl::refresh()
{
    refuseWhilePending();
    m_recordset.open(m_recordSource);
}

void DataControl::bind(TextControl* box, const QString& field)
{
    m_bindings.push_back({box, m_recordset.fieldIndex(field), {}});
    fill(m_bindings.back(), hasRecordToShow());
}

void DataControl::addNew()
{
    m_recordset.addNew();
    fillBoundBoxes();
}

void DataControl::edit()
{
    m_recordset.edit();
}

void DataControl::update()
{
    takeBoundEdits();
    m_recordset.update();
    fillBoundBoxes();
}

void DataControl::deleteCurrent()
{
    m_recordset.deleteCurrent();
}

void DataControl::moveTo(int row)
{
    refuseWhilePending();
    takeBoundEdits();
    m_recordset.moveTo(row);
}

void DataControl::moveFirst()
{
    refuseWhilePending();
    takeBoundEdits();
    m_recordset.moveFirst();
}

void DataControl::movePrevious()
{
    refuseWhilePending();
    takeBoundEdits();
    m_recordset.movePrevious();
}

void DataControl::moveNext()
{
    refuseWhilePending();
    takeBoundEdits();
    m_recordset.moveNext();
}

void DataControl::moveLast()
{
    refuseWhilePending();
    takeBoundEdits();
    m_recordset.moveLast();
}

void DataControl::updateControls()
{
    m_recordset.cancelUpdate();
    fillBoundBoxes();
}

void DataControl::showReadOnly(const QString& reason)
{
    auto* tag = new QLabel(QStringLiteral("Solo lectura"), this);
    tag->setObjectName(QStringLiteral("lblSoloLectura"));
    tag->setToolTip(reason + QStringLiteral(" Se puede consultar, pero no guardar cambios."));
    tag->setAccessibleName(tag->toolTip());
    tag->setAlignment(Qt::AlignCenter);
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    small.setBold(true);
    tag->setFont(small);
    setColor(tag, QPalette::WindowText, QColor(bgr(0x00000080)));
    // Under the caption, so that the caption keeps the bar's width.
    auto* bar = static_cast<QBoxLayout*>(layout());
    const int at = bar->indexOf(m_caption);
    bar->removeWidget(m_caption);
    auto* stack = new QVBoxLayout;
    stack->setSpacing(0);
    stack->addWidget(m_caption, 1);
    stack->addWidget(tag);
    bar->insertLayout(at, stack, 1);
}

bool DataControl::pendingAddOrEdit() const
{
    // The grid's cell edits are in-place ones; addNew() and edit() start the others.
    return m_recordset.editMode() != db::RecordSet::EditMode::None && !m_recordset.inPlaceEdit();
}

bool DataControl::newRecordIsBlank() const
{
    if (m_recordset.editMode() != db::RecordSet::EditMode::AddNew)
        return false;
    return std::all_of(m_bindings.begin(), m_bindings.end(), [](const Binding& binding) {
        return binding.box->text().trimmed().isEmpty();
    });
}

void DataControl::refuseWhilePending() const
{
    if (pendingAddOrEdit())
        throw db::DbError(pendingRecordMessage);
}

void DataControl::navigate(void (DataControl::*move)())
{
    try {
        if (m_recordset.recordCount() == 0)
            return;
        (this->*move)();
        // The bar's arrows stop at the ends instead of leaving no record current.
        if (m_recordset.eof())
            moveLast();
        else if (m_recordset.bof())
            moveFirst();
    } catch (const db::DbError& error) {
        Q_EMIT moveFailed(error.description());
    }
}

bool DataControl::hasRecordToShow() const
{
    return m_recordset.editMode() == db::RecordSet::EditMode::AddNew ||
           (m_recordset.absolutePosition() >= 0 && !m_recordset.eof() && !m_recordset.bof());
}

void DataControl::fill(Binding& binding, bool current)
{
    binding.shown =
        current && binding.field >= 0 ? m_recordset.currentText(binding.field) : QString();
    binding.box->setText(binding.shown);
    // A change handler may rewrite what it was given (upper case): that is what is shown.
    binding.shown = binding.box->text();
}

void DataControl::fillBoundBoxes()
{
    const bool current = hasRecordToShow();
    for (Binding& binding : m_bindings)
        fill(binding, current);
}

void DataControl::takeBoundEdits()
{
    // Every box is read, and every value checked, before the first value goes in: putting a
    // value in refills the boxes, which would lose what the clerk typed into the others.
    std::vector<std::pair<int, QVariant>> edits;
    for (const Binding& binding : m_bindings) {
        const QString text = binding.box->text();
        if (binding.field >= 0 && text != binding.shown)
            edits.emplace_back(binding.field, text.isEmpty() ? QVariant() : QVariant(text));
    }
    for (const auto& [field, value] : edits)
        m_recordset.checkValue(field, value);
    for (const auto& [field, value] : edits)
        m_recordset.setValue(field, value);
}

} // namespace vemtaro::platform
