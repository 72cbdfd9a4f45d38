#pragma once

#include <QComboBox>
#include <QHash>
#include <QStringList>
#include <functional>

namespace vemtaro::db {
class Connection;
}

namespace vemtaro::platform {

/// A hidden lookup source on one lookup table: it hands the values of a field to the lists it
/// feeds, reading each field once, when the first list asks for it. It is never shown and
/// never writes.
class LookupSource : public QObject {
    Q_OBJECT
public:
    /// Reads `table` (CODIGO, RUBRO or vidaUtil); throws db::DbError.
    LookupSource(db::Connection& db, const QString& table, const QString& caption,
                 QObject* parent = nullptr);

    QString table() const { return m_table; }
    QString caption() const { return m_caption; }
    /// The values of `field`, one per row of the table, in the table's order.
    QStringList values(const QString& field) const;

private:
    db::Connection& m_db;
    QString m_table;
    QString m_caption;
    mutable QHash<QString, QStringList> m_values; ///< by field name, as read
};

/// A read-only drop-down list fed by a lookup source.
///
/// Click runs on every click on the combo, whichever part was clicked (its button, its field
/// or an entry of its open list), after the choice, if any, is made; text() is then the
/// combo's current text, empty until an entry has been chosen.
class DataCombo : public QComboBox {
public:
    DataCombo(const LookupSource& source, const QString& shownField, QWidget* parent = nullptr);

    QString text() const { return currentText(); }
    std::function<void()> Click;

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    void raiseClick();
};

} // namespace vemtaro::platform
