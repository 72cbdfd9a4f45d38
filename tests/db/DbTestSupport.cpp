#include "DbTestSupport.h"

#include "db/DefaultData.h"

#include <QFile>
#include <sqlite3.h>

const char* const fiveAccounts =
    "INSERT INTO vemtaro (CODIGO, CLASE, DESCRIPCION, RUBRO, VIDA_UTIL, OBSERVACIONES) VALUES "
    "('101', '01', 'MESA DE MADERA', 'MOBILIARIO', 10, NULL),"
    "('102', '01', 'SILLA GIRATORIA', 'MOBILIARIO', 10, 'CON BRAZOS'),"
    "('201', '02', 'COMPUTADORA PORTATIL', 'EQUIPO DE COMPUTACION', 5, NULL),"
    "('301', '01', NULL, 'TERRENOS', 0, NULL),"
    "('401', '03', 'CAMIONETA', 'VEHICULOS', 5, NULL);"
    "INSERT INTO extendido (Ord, Codigo, Clase, Descripcion) VALUES "
    "(1, '101', '01', 'MESA DE MADERA CON GAVETAS'), (2, '102', '01', 'SILLA CON BRAZOS');";

void createDatabase(const QString& path, const QByteArray& sql, bool withTables)
{
    sqlite3* raw = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &raw), SQLITE_OK);
    if (withTables)
        vemtaro::db::createSchema(raw);
    const int rc = sqlite3_exec(raw, sql.constData(), nullptr, nullptr, nullptr);
    const QByteArray message = sqlite3_errmsg(raw);
    sqlite3_close(raw);
    QVERIFY2(rc == SQLITE_OK, message.constData());
}

QString refusal(const std::function<void()>& action)
{
    try {
        action();
        return QStringLiteral("<taken>");
    } catch (const vemtaro::db::DbError& error) {
        return error.description();
    }
}

QString scalar(sqlite3* db, const QByteArray& sql)
{
    sqlite3_stmt* stmt = nullptr;
    QString result = QStringLiteral("<none>");
    int rc = sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &stmt, nullptr);
    if (rc == SQLITE_OK && (rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
        result = text ? QString::fromUtf8(text) : QStringLiteral("<null>");
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        }
    }
    if (rc != SQLITE_DONE)
        result = QStringLiteral("<error: %1>").arg(QString::fromUtf8(sqlite3_errmsg(db)));
    sqlite3_finalize(stmt);
    return result;
}

OtherProgram::OtherProgram(const QString& path)
{
    sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_busy_timeout(m_db, 2000);
}

OtherProgram::~OtherProgram()
{
    sqlite3_close(m_db);
}

void OtherProgram::exec(const QByteArray& sql)
{
    QVERIFY2(sqlite3_exec(m_db, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK,
             sqlite3_errmsg(m_db));
}

TestDatabase::TestDatabase(const QByteArray& sql)
{
    createDatabase(path, sql);
    db = vemtaro::db::Connection::open(path);
    other = std::make_unique<OtherProgram>(path);
}
