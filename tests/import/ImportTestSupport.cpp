#include "ImportTestSupport.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QTest>
#include <sqlite3.h>

namespace {

// A value as its storage class and a readable form, the same on both sides of a comparison.
QString cell(const char* kind, const QString& value)
{
    return QLatin1String(kind) + QLatin1Char(' ') + value;
}

QString textCell(const QString& text)
{
    return cell("text", QStringLiteral("«%1»").arg(text));
}

} // namespace

QByteArray runJetFiles(const QStringList& arguments, const QByteArray& input)
{
    const QString script = QFINDTESTDATA("jetwriter/jetfiles.py");
    QProcess python;
    python.start(QStringLiteral("python3"), QStringList{script} + arguments);
    python.write(input);
    python.closeWriteChannel();
    if (!python.waitForFinished(120000) || python.exitStatus() != QProcess::NormalExit ||
        python.exitCode() != 0)
        QTest::qFail(qPrintable(QStringLiteral("jetfiles.py %1 failed: %2")
                                    .arg(arguments.join(QLatin1Char(' ')),
                                         QString::fromUtf8(python.readAllStandardError()))),
                     __FILE__, __LINE__);
    return python.readAllStandardOutput();
}

QJsonObject accessTable(const QString& name, const QList<std::pair<QString, QString>>& columns,
                        const QList<QJsonArray>& rows)
{
    QJsonArray declared;
    for (const auto& [column, type] : columns)
        declared.append(QJsonArray{column, type});
    QJsonArray values;
    for (const QJsonArray& row : rows)
        values.append(row);
    return {{QStringLiteral("name"), name},
            {QStringLiteral("columns"), declared},
            {QStringLiteral("rows"), values}};
}

void writeAccessFile(const QString& path, const QString& version, const QJsonArray& tables,
                     const QStringList& options)
{
    const QJsonDocument spec(QJsonObject{{QStringLiteral("tables"), tables}});
    runJetFiles(QStringList{QStringLiteral("write"), version, path} + options, spec.toJson());
}

QString fixturePath(const QString& version)
{
    return QFINDTESTDATA(QStringLiteral("data/vemtaro-%1.mdb").arg(version));
}

QJsonArray fixtureTables()
{
    static const QJsonArray tables =
        QJsonDocument::fromJson(runJetFiles({QStringLiteral("fixture-data")}))
            .object()
            .value(QStringLiteral("tables"))
            .toArray();
    return tables;
}

QByteArray checksum(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result();
}

QStringList storedRows(const QString& path, const QString& table, const QStringList& columns)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    QStringList quoted;
    for (const QString& column : columns)
        quoted.append(QLatin1Char('"') + column + QLatin1Char('"'));
    const QByteArray sql = QStringLiteral("SELECT %1 FROM \"%2\" ORDER BY id")
                               .arg(quoted.join(QLatin1Char(',')), table)
                               .toUtf8();
    sqlite3_stmt* stmt = nullptr;
    QStringList rows;
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr) != SQLITE_OK)
        rows.append(QStringLiteral("error: ") + QString::fromUtf8(sqlite3_errmsg(db)));
    while (stmt && sqlite3_step(stmt) == SQLITE_ROW) {
        QStringList row;
        for (int i = 0; i < int(columns.size()); ++i) {
            const auto* bytes = static_cast<const char*>(sqlite3_column_blob(stmt, i));
            const QByteArray data(bytes, sqlite3_column_bytes(stmt, i));
            const int type = sqlite3_column_type(stmt, i);
            row.append(type == SQLITE_NULL      ? QStringLiteral("null")
                       : type == SQLITE_INTEGER ? cell("integer", QString::fromUtf8(data))
                       : type == SQLITE_FLOAT
                           ? cell("real", QString::number(sqlite3_column_double(stmt, i), 'g', 17))
                       : type == SQLITE_TEXT ? textCell(QString::fromUtf8(data))
                                             : cell("blob", QString::fromLatin1(data.toHex())));
        }
        rows.append(row.join(QStringLiteral(" | ")));
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return rows;
}

QStringList columnNames(const QJsonObject& table)
{
    QStringList names;
    for (const QJsonValue& column : table.value(QStringLiteral("columns")).toArray())
        names.append(column.toArray().at(0).toString());
    return names;
}

QStringList expectedRows(const QJsonObject& table)
{
    QStringList types;
    for (const QJsonValue& column : table.value(QStringLiteral("columns")).toArray())
        types.append(column.toArray().at(1).toString());
    QStringList rows;
    for (const QJsonValue& row : table.value(QStringLiteral("rows")).toArray()) {
        QStringList line;
        for (int i = 0; i < int(types.size()); ++i) {
            const QJsonValue value = row.toArray().at(i);
            const QString& type = types[i];
            QByteArray bytes;
            for (const QJsonValue& byte : value.toArray())
                bytes.append(char(byte.toInt()));
            if (type == QLatin1String("boolean"))
                line.append(cell("integer", value.toBool() ? "1" : "0"));
            else if (value.isNull())
                line.append(QStringLiteral("null"));
            else if (type == QLatin1String("text") || type == QLatin1String("memo"))
                line.append(textCell(value.toString()));
            else if (type == QLatin1String("double") || type == QLatin1String("single"))
                line.append(cell("real", QString::number(value.toDouble(), 'g', 17)));
            else if (type == QLatin1String("binary") || type == QLatin1String("ole"))
                line.append(cell("blob", QString::fromLatin1(bytes.toHex())));
            else
                line.append(cell("integer", QString::number(qint64(value.toDouble()))));
        }
        rows.append(line.join(QStringLiteral(" | ")));
    }
    return rows;
}
