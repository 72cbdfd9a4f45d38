#include "DataFolder.h"

#include <QDir>

namespace vemtaro::db {

QString dataFolder()
{
    // A relative XDG_DATA_HOME is invalid and must be ignored.
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::cleanPath(base + QStringLiteral("/vemtaro"));
}

QString databasePath()
{
    return dataFolder() + QStringLiteral("/VemtaroCtasPres.sqlite");
}

} // namespace vemtaro::db
