#include "SyntheticChartFolder.h"

#include "SyntheticChart.h"

#include "chart/Ventanas.h"
#include "db/DataFolder.h"
#include "platform/MessageBox.h"

#include <QDir>
#include <sqlite3.h>

namespace vemtaro::bench {

SyntheticChartFolder::SyntheticChartFolder(int rows)
{
    qputenv("XDG_DATA_HOME", m_home.path().toUtf8());
    prepararAplicacion();
    platform::MessageBox::setRecording(true);
    QDir().mkpath(db::dataFolder());
    writeSyntheticChart(db::databasePath(), rows);
}

QString SyntheticChartFolder::stored(const QString& sql) const
{
    sqlite3* db = nullptr;
    sqlite3_stmt* stmt = nullptr;
    QString result;
    sqlite3_open_v2(db::databasePath().toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW)
        result = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return result;
}

} // namespace vemtaro::bench
