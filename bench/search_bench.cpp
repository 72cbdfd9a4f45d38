// The chart window's description search and its reset on synthetic charts of accounts: a record
// set's open (our Jet LIKE matcher and Spanish order) to its keys ready, against SQLite alone
// stepping every key of the same work with its built-in LIKE and NOCASE order. Times are the
// processor time of this thread (reading the file from the system's cache included), so that
// other programs on a busy machine do not blur the comparison.
#include "Bench.h"
#include "SyntheticChart.h"

#include "db/Connection.h"
#include "db/RecordSet.h"

#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <sqlite3.h>
#include <vector>

namespace vemtaro::bench {

namespace {

constexpr int runs = 9;

struct Work {
    const char* name;
    const char* text;    ///< the query text the window builds
    const char* builtin; ///< the same work in SQLite's own terms
    std::vector<QByteArray> builtinPatterns;
};

const Work works[] = {
    {"search",
     "SELECT * FROM vemtaro WHERE descripcion LIKE '*mesa*'and Descripcion LIKE '*roble*' and "
     "Descripcion LIKE '**' ORDER BY descripcion",
     "SELECT \"id\" FROM \"vemtaro\" WHERE \"DESCRIPCION\" LIKE ?1 AND \"DESCRIPCION\" LIKE ?2 "
     "AND \"DESCRIPCION\" LIKE ?3 ORDER BY \"DESCRIPCION\" COLLATE NOCASE",
     {"%mesa%", "%roble%", "%%"}},
    {"reset",
     "SELECT * FROM vemtaro WHERE descripcion LIKE '*' ORDER BY codigo",
     "SELECT \"id\" FROM \"vemtaro\" WHERE \"DESCRIPCION\" LIKE ?1 ORDER BY \"CODIGO\" COLLATE "
     "NOCASE",
     {"%"}},
};

// Prepares `sql`, binds `parameters` and steps every key, as a record set's open does.
int stepAllKeys(sqlite3* db, const char* sql, const std::vector<QByteArray>& parameters)
{
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK) {
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

double threadMs(const std::function<void()>& work)
{
    const double start = threadCpuMs();
    work();
    return threadCpuMs() - start;
}

void measure(const Work& work, db::Connection& connection, int rows)
{
    db::RecordSet records(connection);
    int builtin = 0;
    auto ours = [&] { records.open(QString::fromUtf8(work.text)); };
    auto theirs = [&] {
        builtin = stepAllKeys(connection.handle(), work.builtin, work.builtinPatterns);
    };
    ours(); // warm the page cache for both
    theirs();
    // Alternate the two so that drifts of the machine hit both alike.
    std::vector<double> ourTimes, builtinTimes;
    for (int run = 0; run < runs; ++run) {
        ourTimes.push_back(threadMs(ours));
        builtinTimes.push_back(threadMs(theirs));
    }
    if (records.recordCount() != builtin)
        std::fprintf(stderr, "%s: %d keys against %d with SQLite alone\n", work.name,
                     records.recordCount(), builtin);
    const double ourMs = median(ourTimes);
    const double builtinMs = median(builtinTimes);
    const QString name = QString::fromLatin1(work.name);
    const QString n = QString::number(rows);
    report(name + QStringLiteral("_ms_") + n, ourMs);
    report(name + QStringLiteral("_builtin_ms_") + n, builtinMs);
    report(name + QStringLiteral("_ratio_") + n, ourMs / builtinMs);
    report(name + QStringLiteral("_keys_") + n, records.recordCount());
}

void runSearch()
{
    QTemporaryDir dir;
    for (int rows : {10000, 100000, 1000000}) {
        const QString path = dir.filePath(QStringLiteral("chart-%1.sqlite").arg(rows));
        writeSyntheticChart(path, rows);
        const auto connection = db::Connection::open(path);
        for (const Work& work : works)
            measure(work, *connection, rows);
    }
}

static Registration registration("search", &runSearch);

} // namespace

} // namespace vemtaro::bench
