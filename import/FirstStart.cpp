#include "FirstStart.h"

#include "db/DataFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace vemtaro::importing {

QString pendingAccessDatabase()
{
    const QFileInfo database(db::databasePath());
    if (database.exists() || database.isSymLink())
        return {};
    // Copied from Windows, the file may come in any case.
    const QStringList found =
        QDir(db::dataFolder())
            .entryList({QStringLiteral("VemtaroCtasPres.mdb")}, QDir::Files, QDir::Name);
    return found.isEmpty() ? QString() : QDir(db::dataFolder()).filePath(found.first());
}

QString summaryPath()
{
    return QDir(db::dataFolder()).filePath(QStringLiteral("importacion.txt"));
}

FirstStartImport importAtFirstStart(const QString& source, const ProgressFunction& progress)
{
    FirstStartImport done{importAccessDatabase(source, db::databasePath(), progress), false};
    QSaveFile file(summaryPath());
    if (file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        file.write(done.summary.text().toUtf8());
        done.summarySaved = file.commit();
    }
    return done;
}

} // namespace vemtaro::importing
