#include "HistoryValues.h"

#include "Statement.h"

#include <QJsonDocument>

namespace vemtaro::db {
namespace {
const QString binaryKey = QStringLiteral("base64");
}

QJsonValue historyValue(sqlite3_stmt* stmt, int column)
{
    const QVariant value = columnValue(stmt, column);
    if (value.typeId() == QMetaType::QByteArray)
        return QJsonObject{{binaryKey, QString::fromLatin1(value.toByteArray().toBase64())}};
    return QJsonValue::fromVariant(value);
}

void bindHistoryValue(sqlite3_stmt* stmt, int parameter, const QJsonValue& value)
{
    switch (value.type()) {
    case QJsonValue::Double: {
        // Integers come back from JSON as integers; anything else with decimals.
        const QVariant number = value.toVariant();
        if (number.typeId() == QMetaType::LongLong)
            sqlite3_bind_int64(stmt, parameter, number.toLongLong());
        else
            sqlite3_bind_double(stmt, parameter, value.toDouble());
        return;
    }
    case QJsonValue::Bool:
        sqlite3_bind_int(stmt, parameter, value.toBool() ? 1 : 0);
        return;
    case QJsonValue::String:
        bindText(stmt, parameter, value.toString());
        return;
    case QJsonValue::Object: {
        const QByteArray bytes =
            QByteArray::fromBase64(value.toObject().value(binaryKey).toString().toLatin1());
        sqlite3_bind_blob(stmt, parameter, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
        return;
    }
    default:
        sqlite3_bind_null(stmt, parameter);
    }
}

QByteArray historyText(const RowValues& values)
{
    return QJsonDocument(values).toJson(QJsonDocument::Compact);
}

std::optional<RowValues> historyRowValues(sqlite3_stmt* stmt, int column)
{
    if (sqlite3_column_type(stmt, column) == SQLITE_NULL)
        return std::nullopt;
    const QJsonDocument document = QJsonDocument::fromJson(
        QByteArray(static_cast<const char*>(sqlite3_column_blob(stmt, column)),
                   sqlite3_column_bytes(stmt, column)));
    if (!document.isObject())
        return std::nullopt;
    return document.object();
}

QStringList declaredColumns(sqlite3* db, const QString& table)
{
    const Statement info(db, QStringLiteral("SELECT name FROM pragma_table_info(?1)"), false);
    bindText(info.get(), 1, table);
    QStringList columns;
    while (info.step())
        columns << columnText(info.get(), 0);
    return columns;
}

} // namespace vemtaro::db
