#include "NewDatabase.h"

#include "DbError.h"
#include "EngineError.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <sqlite3.h>

#include <memory>

namespace vemtaro::db {
namespace {

struct Closer {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};

/// Removes the half-built file unless it was kept.
struct TemporaryDatabase {
    QString path;
    bool kept = false;
    ~TemporaryDatabase()
    {
        if (!kept) {
            QFile::remove(path);
            QFile::remove(path + QStringLiteral("-journal"));
        }
    }
};

void build(const QString& path, const std::function<void(sqlite3*)>& fill)
{
    sqlite3* raw = nullptr;
    const int rc =
        sqlite3_open_v2(QFile::encodeName(path).constData(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    std::unique_ptr<sqlite3, Closer> db(raw);
    if (rc != SQLITE_OK)
        throw DbError(QStringLiteral("No se pudo crear la base de datos %1: %2.")
                          .arg(path, engineReason(rc)));
    // A plain journal, so the closed file is complete in itself before it is renamed.
    runSql(db.get(), "PRAGMA journal_mode = DELETE; PRAGMA synchronous = FULL; BEGIN");
    fill(db.get());
    runSql(db.get(), "COMMIT");
    if (sqlite3_close(db.release()) != SQLITE_OK)
        throw DbError(QStringLiteral("No se pudo cerrar la base de datos nueva %1.").arg(path));
}

// A journal or write-ahead log left beside a missing database, by a program that stopped
// while it had a former file of that name open, would be applied to the new file.
void removeStaleLogs(const QString& path)
{
    for (const char* suffix : {"-journal", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
}

} // namespace

void runSql(sqlite3* db, const QByteArray& sql)
{
    if (const int rc = sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
        rc != SQLITE_OK)
        throw DbError(
            QStringLiteral("No se pudo crear la base de datos: %1.").arg(engineReason(rc)));
}

bool buildNewDatabase(const QString& path, const std::function<void(sqlite3*)>& fill)
{
    const QFileInfo target(path);
    QTemporaryFile reserve(target.absolutePath() + QStringLiteral("/.") +
                           target.completeBaseName() + QStringLiteral("-XXXXXX.tmp"));
    reserve.setAutoRemove(false);
    if (!reserve.open())
        throw DbError(
            QStringLiteral("No se puede escribir en la carpeta %1.").arg(target.absolutePath()));
    TemporaryDatabase temporary{reserve.fileName()};
    reserve.close();

    build(temporary.path, fill);
    // The rename never replaces a file: if one appeared meanwhile, it is the one kept.
    if (!QFileInfo::exists(path))
        removeStaleLogs(path);
    if (!QFile::rename(temporary.path, path)) {
        if (QFileInfo::exists(path) || QFileInfo(path).isSymLink())
            return false;
        throw DbError(QStringLiteral("No se pudo crear la base de datos %1.").arg(path));
    }
    temporary.kept = true;
    return true;
}

} // namespace vemtaro::db
