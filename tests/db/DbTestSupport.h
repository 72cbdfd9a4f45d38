#pragma once

#include "db/Connection.h"
#include "db/DbError.h"

#include <QByteArray>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

struct sqlite3;

/// The fields of the chart of accounts, in declared order.
enum Field { Codigo, Clase, Descripcion, Rubro, VidaUtil, Observaciones };

/// Five accounts in key order, codes 101, 102, 201, 301 (no description) and 401, and two
/// detailed descriptions of the first two.
extern const char* const fiveAccounts;

/// Writes a new database file at `path`: this system's tables (unless `withTables` is false)
/// and what `sql` adds.
void createDatabase(const QString& path, const QByteArray& sql, bool withTables = true);

/// The description of the DbError `action` throws, or "<taken>" when it throws none.
QString refusal(const std::function<void()>& action);

/// The first column of the first row `sql` yields on `db`, as text: "<null>" for a null,
/// "<none>" without a row, "<error: ...>" when the statement fails. It is run to its end.
QString scalar(sqlite3* db, const QByteArray& sql);

/// Another program on the same file: a plain engine connection, without this system's
/// functions, as the sqlite3 tool has.
class OtherProgram {
public:
    explicit OtherProgram(const QString& path);
    ~OtherProgram();
    OtherProgram(const OtherProgram&) = delete;
    OtherProgram& operator=(const OtherProgram&) = delete;

    void exec(const QByteArray& sql); ///< a failure fails the test
    QString scalar(const QByteArray& sql) { return ::scalar(m_db, sql); }
    /// Every stored account code in key order, comma-separated.
    QString storedCodes() { return scalar("SELECT group_concat(CODIGO) FROM vemtaro"); }

private:
    sqlite3* m_db = nullptr;
};

/// A new database file in a temporary folder holding the rows `sql` inserts, opened by this
/// system and by another program.
struct TestDatabase {
    explicit TestDatabase(const QByteArray& sql = fiveAccounts);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cuentas.sqlite"));
    std::unique_ptr<vemtaro::db::Connection> db;
    std::unique_ptr<OtherProgram> other;
};
