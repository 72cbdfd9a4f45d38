// Record set figures: opening whole tables of 10 000 to 1 000 000 accounts, moving to the last
// record of the largest, the memory an open million-row record set holds and the most that
// sorting a million rows takes on the way.
#include "Bench.h"
#include "SyntheticChart.h"
#include "db/Connection.h"
#include "db/RecordSet.h"

#include <QFile>
#include <QTemporaryDir>
#include <malloc.h>
#include <sqlite3.h>

#include <cstring>
#include <memory>

namespace vemtaro::bench {
namespace {

constexpr int runs = 5;

/// Reads every field of `rows` records from `first` on, as a grid page shows them.
void fetchRows(const db::RecordSet& records, int first, int rows)
{
    const int fields = int(records.fieldNames().size());
    for (int row = first; row < first + rows && row < records.recordCount(); ++row)
        for (int field = 0; field < fields; ++field)
            records.value(row, field);
}

/// Bytes the record set itself holds once open, beyond SQLite's own memory.
///
/// mallinfo2() counts every byte in use from the heap, SQLite's page cache and statements
/// included (SQLite allocates through malloc). SQLite's own growth over the same interval is
/// sqlite3_memory_used(); what remains is the record set's: its keys, its row cache and
/// the bookkeeping around them.
double recordSetMegabytes(db::Connection& db)
{
    malloc_trim(0);
    const std::size_t heapBefore = mallinfo2().uordblks;
    const sqlite3_int64 engineBefore = sqlite3_memory_used();
    auto records = std::make_unique<db::RecordSet>(db);
    records->open(QStringLiteral("vemtaro"));
    fetchRows(*records, 0, 20);
    const double heapGrowth = double(mallinfo2().uordblks) - double(heapBefore);
    const double engineGrowth = double(sqlite3_memory_used() - engineBefore);
    return (heapGrowth - engineGrowth) / (1024.0 * 1024.0);
}

/// The most memory, in MB, that opening the chart window's reset query (every described row,
/// ordered by code) adds while it runs: the process's peak resident size, reset just before,
/// over its size then. Linux only (/proc/self/clear_refs); -1 elsewhere.
double resetPeakMegabytes(db::Connection& db)
{
    const auto statusKb = [](const char* field) {
        QFile status(QStringLiteral("/proc/self/status"));
        if (!status.open(QIODevice::ReadOnly))
            return -1.0;
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith(field))
                return line.mid(qsizetype(std::strlen(field))).trimmed().split(' ')[0].toDouble();
        return -1.0;
    };
    db::RecordSet records(db);
    malloc_trim(0);
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (!clear.open(QIODevice::WriteOnly) || clear.write("5") != 1)
        return -1;
    clear.close();
    const double before = statusKb("VmRSS:");
    records.open(
        QStringLiteral("SELECT * FROM vemtaro WHERE descripcion LIKE '*' ORDER BY codigo"));
    return (statusKb("VmHWM:") - before) / 1024.0;
}

void run()
{
    QTemporaryDir dir;
    for (const int rows : {10000, 100000, 1000000}) {
        const QString path = dir.filePath(QStringLiteral("chart-%1.sqlite").arg(rows));
        writeSyntheticChart(path, rows);
        const auto db = db::Connection::open(path);
        std::unique_ptr<db::RecordSet> records;

        // Open the whole table with its first grid page of values ready.
        report(QStringLiteral("open_ms_%1").arg(rows),
               medianMs(
                   runs,
                   [&] {
                       records->open(QStringLiteral("vemtaro"));
                       fetchRows(*records, 0, 20);
                   },
                   [&] {
                       records.reset();
                       records = std::make_unique<db::RecordSet>(*db);
                   }));
        if (rows != 1000000)
            continue;

        report(QStringLiteral("move_last_ms_%1").arg(rows),
               medianMs(
                   runs,
                   [&] {
                       records->moveLast();
                       fetchRows(*records, records->absolutePosition(), 1);
                   },
                   [&] { records->open(QStringLiteral("vemtaro")); }));
        records.reset();
        report(QStringLiteral("recordset_mb_%1").arg(rows), recordSetMegabytes(*db));
        report(QStringLiteral("reset_peak_mb_%1").arg(rows), resetPeakMegabytes(*db));
    }
}

Registration registration("recordset", &run);

} // namespace
} // namespace vemtaro::bench
