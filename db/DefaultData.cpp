#include "DefaultData.h"

#include "DataFolder.h"
#include "DbError.h"
#include "EngineError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <sqlite3.h>

#include <memory>

// The resources of a static library must be registered by hand, outside any namespace.
static void initDatabaseResources()
{
    Q_INIT_RESOURCE(db);
}

namespace vemtaro::db {
namespace {

// The sample data, loaded in this order after the schema.
const char* const sampleData[] = {
    ":/db/data/tablas_auxiliares.sql",
    ":/db/data/cuentas.sql",
    ":/db/data/extendido.sql",
};

QByteArray resource(const QString& path)
{
    initDatabaseResources();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw DbError(QStringLiteral("Falta el recurso interno %1.").arg(path));
    return file.readAll();
}

void run(sqlite3* db, const QByteArray& sql)
{
    if (const int rc = sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
        rc != SQLITE_OK)
        throw DbError(
            QStringLiteral("No se pudo crear la base de datos: %1.").arg(engineReason(rc)));
}

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

void buildDatabase(const QString& path)
{
    sqlite3* raw = nullptr;
    const int rc =
        sqlite3_open_v2(QFile::encodeName(path).constData(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    std::unique_ptr<sqlite3, Closer> db(raw);
    if (rc != SQLITE_OK)
        throw DbError(QStringLiteral("No se pudo crear la base de datos %1: %2.")
                          .arg(path, engineReason(rc)));
    // A plain journal, so the closed file is complete in itself before it is renamed.
    run(db.get(), "PRAGMA journal_mode = DELETE; PRAGMA synchronous = FULL; BEGIN");
    createSchema(db.get());
    for (const char* data : sampleData)
        run(db.get(), resource(QString::fromLatin1(data)));
    run(db.get(), "COMMIT");
    if (sqlite3_close(db.release()) != SQLITE_OK)
        throw DbError(QStringLiteral("No se pudo cerrar la base de datos nueva %1.").arg(path));
}

} // namespace

void createSchema(sqlite3* db)
{
    run(db, resource(QStringLiteral(":/db/schema.sql")));
}

void ensureDefaultDatabase()
{
    const QString path = databasePath();
    const QFileInfo existing(path);
    if (existing.exists() || existing.isSymLink())
        return;
    const QString folder = dataFolder();
    if (!QDir().mkpath(folder))
        throw DbError(QStringLiteral("No se pudo crear la carpeta %1.").arg(folder));

    QTemporaryFile reserve(folder + QStringLiteral("/.VemtaroCtasPres-XXXXXX.tmp"));
    reserve.setAutoRemove(false);
    if (!reserve.open())
        throw DbError(QStringLiteral("No se puede escribir en la carpeta %1.").arg(folder));
    TemporaryDatabase temporary{reserve.fileName()};
    reserve.close();

    buildDatabase(temporary.path);
    // The rename never replaces a file: if one appeared meanwhile, it is the one kept.
    if (!QFile::rename(temporary.path, path)) {
        if (QFileInfo::exists(path))
            return;
        throw DbError(QStringLiteral("No se pudo crear la base de datos %1.").arg(path));
    }
    temporary.kept = true;
}

} // namespace vemtaro::db
