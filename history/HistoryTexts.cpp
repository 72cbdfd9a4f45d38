#include "HistoryTexts.h"

#include "db/Schema.h"
#include "platform/RegionalNumbers.h"

#include <QDateTime>
#include <QJsonValue>

namespace vemtaro::history {
namespace {

using db::ChangeKind;

QJsonValue fieldValue(const std::optional<db::RowValues>& values, const QString& field)
{
    return values ? values->value(field) : QJsonValue(QJsonValue::Undefined);
}

bool isEmptyValue(const QJsonValue& value)
{
    return value.isNull() || value.isUndefined() ||
           (value.isString() && value.toString().isEmpty());
}

QString valueText(const QJsonValue& value)
{
    if (value.isString() && !value.toString().isEmpty())
        return value.toString();
    if (value.isDouble()) {
        const QVariant number = value.toVariant();
        return number.typeId() == QMetaType::LongLong ? QString::number(number.toLongLong())
                                                      : platform::toText(value.toDouble());
    }
    if (value.isObject())
        return QStringLiteral("(datos binarios)");
    return QStringLiteral("(vacío)");
}

/// The fields of both sides: the table's own in its order, then any other by name.
QStringList fieldsOf(const db::TableSchema* table, const std::optional<db::RowValues>& a,
                     const std::optional<db::RowValues>& b)
{
    QStringList others;
    for (const auto* side : {&a, &b})
        if (*side)
            for (const QString& field : (*side)->keys())
                if ((!table || table->columnIndex(field) < 0) && !others.contains(field))
                    others << field;
    others.sort();
    QStringList fields;
    if (table)
        for (const QString& field : table->columns)
            if (!fieldValue(a, field).isUndefined() || !fieldValue(b, field).isUndefined())
                fields << field;
    return fields + others;
}

bool differs(const QJsonValue& a, const QJsonValue& b)
{
    return isEmptyValue(a) != isEmptyValue(b) || (!isEmptyValue(a) && a != b);
}

} // namespace

QString whenText(const db::HistoryEntry& change)
{
    const QDateTime when = QDateTime::fromString(change.when, Qt::ISODate);
    return when.isValid() ? when.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")) : change.when;
}

QString actionText(const db::HistoryEntry& change)
{
    const QString action = db::changeKindText(change.kind);
    if (change.undoes == 0)
        return action;
    return QStringLiteral("%1 (deshace el n.º %2)").arg(action).arg(change.undoes);
}

QString changesText(const db::HistoryEntry& change, const db::TableSchema* table,
                    const QString& separator)
{
    QStringList parts;
    for (const QString& field : fieldsOf(table, change.before, change.after)) {
        const QJsonValue before = fieldValue(change.before, field);
        const QJsonValue after = fieldValue(change.after, field);
        if (change.kind == ChangeKind::Edited) {
            if (differs(before, after))
                parts << QStringLiteral("%1: %2 → %3")
                             .arg(field, valueText(before), valueText(after));
        } else if (const QJsonValue value = change.after ? after : before; !isEmptyValue(value)) {
            parts << QStringLiteral("%1: %2").arg(field, valueText(value));
        }
    }
    return parts.join(separator);
}

QString accountText(const db::HistoryEntry& change)
{
    QString text = change.code.isEmpty() ? QStringLiteral("sin código") : change.code;
    if (!change.subaccount.isEmpty())
        text += QStringLiteral(", subcuenta ") + change.subaccount;
    if (!change.description.isEmpty())
        text += QStringLiteral(" (%1)").arg(change.description);
    return text;
}

QString cannotUndoText(const db::HistoryEntry& change, const db::HistoryUndo::State& state)
{
    if (const auto& undo = state.undoneBy) {
        const QString when =
            QStringLiteral("el %1 (cambio n.º %2)").arg(whenText(*undo)).arg(undo->id);
        if (change.kind == ChangeKind::Deleted)
            return QStringLiteral("La cuenta %1 ya se restauró %2: no se restaura dos veces.")
                .arg(accountText(change), when);
        return QStringLiteral("Este cambio ya se deshizo %1.").arg(when);
    }
    if (!state.gone)
        return {};
    if (change.kind == ChangeKind::Added)
        return QStringLiteral("La cuenta %1 ya no existe: se eliminó después de agregarla.")
            .arg(accountText(change));
    return QStringLiteral("La cuenta %1 ya no existe: se eliminó después de este cambio. Para "
                          "recuperarla, deshaga antes su baja.")
        .arg(accountText(change));
}

QString undoQuestion(const db::HistoryEntry& change, const db::HistoryUndo::State& state,
                     const db::TableSchema* table)
{
    if (state.changedSince) {
        QStringList lines;
        for (const QString& field : fieldsOf(table, change.after, state.current)) {
            const QJsonValue then = fieldValue(change.after, field);
            const QJsonValue now = fieldValue(state.current, field);
            if (differs(then, now))
                lines << QStringLiteral("%1: era %2, ahora %3")
                             .arg(field, valueText(then), valueText(now));
        }
        const QString effect =
            change.kind == ChangeKind::Added
                ? QStringLiteral("Si lo deshace, la cuenta se eliminará con sus valores actuales.")
                : QStringLiteral("Si lo deshace, los campos que este cambio modificó volverán a "
                                 "sus valores anteriores, aunque hayan cambiado después.");
        return QStringLiteral("La cuenta %1 cambió otra vez después de este cambio:\r\n%2\r\n%3"
                              "\r\n¿Desea deshacerlo de todos modos?")
            .arg(accountText(change), lines.join(QStringLiteral("\r\n")), effect);
    }
    if (change.kind == ChangeKind::Added)
        return QStringLiteral("¿Desea eliminar la cuenta %1, agregada el %2 por %3?")
            .arg(accountText(change), whenText(change), change.user);
    return {};
}

} // namespace vemtaro::history
