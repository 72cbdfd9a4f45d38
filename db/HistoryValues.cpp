#include "HistoryValues.h"

#include "Statement.h"

#include <QJsonDocument>

namespace vemtaro::db {
namespace {
const QString binaryKey = QStringLiteral("base64");
}

QJsonValue historyValue(sqlite3_stmt* stmt, int column)
{
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_INTEGER:
        return QJsonValue(qint64(sqlite3_column_int64(stmt, column)));
    case SQLITE_FLOAT:
        return QJsonValue(sqlite3_column_double(stmt, column));
    case SQLITE_TEXT:
        return QJsonValue(
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, column)),
                              sqlite3_column_bytes(stmt, column)));
    case SQLITE_BLOB: {
        const QByteArray bytes(static_cast<const char*>(sqlite3_column_blob(stmt, column)),
                               sqlite3_column_bytes(stmt, column));
        return QJsonObject{{binaryKey, QString::fromLatin1(bytes.toBase64())}};
    }
    default:
        return QJsonValue(QJsonValue::Null);
    }
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
    case QJsonValue::String: {
        const QByteArray text = value.toString().toUtf8();
        sqlite3_bind_text(stmt, parameter, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        return;
    }
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
    const QByteArray name = table.toUtf8();
    sqlite3_bind_text(info.get(), 1, name.constData(), int(name.size()), SQLITE_STATIC);
    QStringList columns;
    while (info.step())
        columns << QString::fromUtf8(
            reinterpret_cast<const char*>(sqlite3_column_text(info.get(), 0)));
    return columns;
}

} // namespace vemtaro::db
