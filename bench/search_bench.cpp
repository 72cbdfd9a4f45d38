// The description search of the chart window on synthetic charts of accounts: our Jet LIKE
// matcher and collation against SQLite's built-in LIKE on the same data.
#include "Bench.h"
#include "SyntheticChart.h"

#include "db/Connection.h"
#include "db/JetQuery.h"

#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sqlite3.h>
#include <vector>

namespace vemtaro::bench {

namespace {

const char* const searchText =
    "SELECT * FROM vemtaro WHERE descripcion LIKE '*mesa*'and Descripcion LIKE '*roble*' and "
    "Descripcion LIKE '**' ORDER BY descripcion";
const char* const builtinSql =
    "SELECT \"id\" FROM \"vemtaro\" WHERE \"DESCRIPCION\" LIKE ?1 AND \"DESCRIPCION\" LIKE ?2 "
    "AND \"DESCRIPCION\" LIKE ?3 ORDER BY \"DESCRIPCION\"";

// Prepares `sql`, binds `parameters` and steps every key, as a record set's open does.
int stepAllKeys(sqlite3* db, const QByteArray& sql, const std::vector<QByteArray>& parameters)
{
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &stmt, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "search: %s\n", sqlite3_errmsg(db));
        return -1;
    }
    for (size_t i = 0; i < parameters.size(); ++i)
        sqlite3_bind_text(stmt, int(i + 1), parameters[i].constData(), int(parameters[i].size()),
                          SQLITE_STATIC);
    int keys = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW)
        ++keys;
    sqlite3_finalize(stmt);
    return keys;
}

double median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void runSearch()
{
    QTemporaryDir dir;
    for (int rows : {10000, 100000, 1000000}) {
        const QString path = dir.filePath(QStringLiteral("chart-%1.sqlite").arg(rows));
        writeSyntheticChart(path, rows);
        const auto connection = db::Connection::open(path);
        const std::vector<QByteArray> builtinPatterns{"%mesa%", "%roble%", "%%"};

        int ours = 0;
        int builtin = 0;
        auto jetSearch = [&] {
            const db::CompiledQuery query =
                db::compileQuery(*connection, QString::fromUtf8(searchText));
            ours = stepAllKeys(connection->handle(), query.keySql.toUtf8(), query.parameters);
        };
        auto builtinSearch = [&] {
            builtin = stepAllKeys(connection->handle(), builtinSql, builtinPatterns);
        };
        jetSearch(); // warm the page cache for both
        builtinSearch();
        // Alternate the two so that drifts of the machine hit both alike.
        std::vector<double> jetTimes, builtinTimes;
        for (int run = 0; run < 9; ++run) {
            jetTimes.push_back(medianMs(1, jetSearch));
            builtinTimes.push_back(medianMs(1, builtinSearch));
        }
        if (ours != builtin)
            std::fprintf(stderr, "search: %d keys against %d with built-in LIKE\n", ours, builtin);
        const double jetMs = median(jetTimes);
        const double builtinMs = median(builtinTimes);
        const QString n = QString::number(rows);
        report(QStringLiteral("search_ms_") + n, jetMs);
        report(QStringLiteral("search_builtin_ms_") + n, builtinMs);
        report(QStringLiteral("search_ratio_") + n, jetMs / builtinMs);
        report(QStringLiteral("search_keys_") + n, ours);
    }
}

static Registration registration("search", &runSearch);

} // namespace

} // namespace vemtaro::bench
