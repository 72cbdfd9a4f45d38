#include "DataCombo.h"

#include "db/Lookup.h"

#include <QMouseEvent>

namespace vemtaro::platform {

LookupSource::LookupSource(db::Connection& db, const QString& table, const QString& caption,
                           QObject* parent)
    : QObject(parent), m_db(db), m_table(table), m_caption(caption)
{
}

QStringList LookupSource::values(const QString& field) const
{
    auto found = m_values.constFind(field);
    if (found == m_values.constEnd())
        found = m_values.insert(field, db::readLookup(m_db, m_table, field));
    return *found;
}

DataCombo::DataCombo(const LookupSource& source, const QString& shownField, QWidget* parent)
    : QComboBox(parent)
{
    setEditable(false);
    addItems(source.values(shownField));
    setCurrentIndex(-1);
    connect(this, &QComboBox::activated, this, [this] { raiseClick(); });
}

void DataCombo::mousePressEvent(QMouseEvent* event)
{
    raiseClick();
    QComboBox::mousePressEvent(event);
}

void DataCombo::raiseClick()
{
    if (Click)
        Click();
}

} // namespace vemtaro::platform
