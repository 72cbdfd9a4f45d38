#include "DefaultData.h"

#include "DataFolder.h"
#include "DbError.h"
#include "NewDatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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

} // namespace

void createSchema(sqlite3* db)
{
    runSql(db, resource(QStringLiteral(":/db/schema.sql")));
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

    // When another start made the file meanwhile, that one is kept.
    buildNewDatabase(path, [](sqlite3* db) {
        createSchema(db);
        for (const char* data : sampleData)
            runSql(db, resource(QString::fromLatin1(data)));
    });
}

} // namespace vemtaro::db
