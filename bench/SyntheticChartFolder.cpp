#include "SyntheticChartFolder.h"

#include "chart/Ventanas.h"
#include "db/DataFolder.h"
#include "db/Statement.h"
#include "platform/MessageBox.h"

#include <QDir>
#include <memory>

namespace vemtaro::bench {

SyntheticChartFolder::SyntheticChartFolder(int rows, void (*write)(const QString& path, int rows))
{
    qputenv("XDG_DATA_HOME", m_home.path().toUtf8());
    prepararAplicacion();
    platform::MessageBox::setRecording(true);
    QDir().mkpath(db::dataFolder());
    write(db::databasePath(), rows);
}

QString SyntheticChartFolder::stored(const QString& sql) const
{
    sqlite3* raw = nullptr;
    sqlite3_open_v2(db::databasePath().toUtf8().constData(), &raw, SQLITE_OPEN_READONLY, nullptr);
    const std::unique_ptr<sqlite3, decltype(&sqlite3_close)> db(raw, &sqlite3_close);
    const db::Statement query(raw, sql, false);
    return query.step() ? db::columnText(query.get(), 0) : QString();
}

} // namespace vemtaro::bench
