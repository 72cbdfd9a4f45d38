// The change history on a million accounts with 100 000 recorded changes: saving an edited
// account through the chart window's buttons (the write and its history row), opening the
// history window from its button up to its first rows read, and narrowing the list by a word
// that no change holds, which reads the whole history.
#include "Bench.h"
#include "RemarksSaves.h"
#include "SyntheticChartFolder.h"

#include "chart/FrmConsulVemtaro.h"
#include "db/Connection.h"
#include "db/DataFolder.h"
#include "db/History.h"
#include "history/FrmHistorial.h"

#include <QApplication>
#include <QTableView>
#include <cstdio>
#include <sqlite3.h>

namespace vemtaro::bench {
namespace {

constexpr int accounts = 1000000;
constexpr int changes = 100000;
constexpr int runs = 15;

/// Records `changes` edits of the remarks of accounts spread over the chart, as saves do, in
/// one transaction.
void writeHistory()
{
    const auto db = db::Connection::open(db::databasePath());
    const db::TableSchema& table = *db->table(QStringLiteral("vemtaro"));
    db::History& history = db->history();
    sqlite3_stmt* update = nullptr;
    sqlite3_prepare_v2(db->handle(), "UPDATE vemtaro SET OBSERVACIONES = ?1 WHERE id = ?2", -1,
                       &update, nullptr);
    sqlite3_exec(db->handle(), "BEGIN", nullptr, nullptr, nullptr);
    for (int change = 0; change < changes; ++change) {
        const qint64 key = 1 + (qint64(change) * 7919) % accounts;
        const auto before = history.values(table, key);
        const QByteArray remarks = "REVISADO EN LA RONDA " + QByteArray::number(change);
        sqlite3_bind_text(update, 1, remarks.constData(), int(remarks.size()), SQLITE_STATIC);
        sqlite3_bind_int64(update, 2, key);
        sqlite3_step(update);
        sqlite3_reset(update);
        history.record(table, key, before);
    }
    sqlite3_exec(db->handle(), "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_finalize(update);
}

FrmHistorial* openHistory(FrmConsulVemtaro& window)
{
    window.cmdHistorial->click();
    auto* opened = window.findChild<FrmHistorial*>();
    if (!opened)
        return nullptr;
    QApplication::processEvents();
    // The first rows as the grid shows them.
    const QAbstractItemModel* model = opened->dbgHistorial->model();
    for (int row = 0; row < std::min(20, model->rowCount()); ++row)
        for (int column = 0; column < model->columnCount(); ++column)
            model->index(row, column).data();
    return opened;
}

void closeHistory(FrmHistorial* opened)
{
    if (opened)
        opened->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
}

void run()
{
    const SyntheticChartFolder folder(accounts);
    writeHistory();
    FrmConsulVemtaro window;
    window.show();
    QApplication::processEvents();

    RemarksSaves saves(window, accounts / 3);
    const double save = medianMs(
        runs, [&] { saves.save(); }, [&] { saves.next(); });
    if (folder.stored(QStringLiteral("SELECT count(*) FROM historial")).toInt() != changes + runs ||
        folder.stored(QStringLiteral("SELECT json_extract(despues, '$.OBSERVACIONES') FROM "
                                     "historial ORDER BY id DESC LIMIT 1")) != saves.remarks())
        std::fprintf(stderr, "history: the saves were not recorded\n");

    FrmHistorial* opened = nullptr;
    const double open = medianMs(
        runs, [&] { opened = openHistory(window); }, [&] { closeHistory(opened); });
    if (!opened || opened->dbgHistorial->model()->rowCount() == 0 ||
        opened->dbgHistorial->model()->index(0, 0).data().toInt() != changes + runs)
        std::fprintf(stderr, "history: the window did not show the newest change first\n");

    int typed = 0;
    const double narrow = medianMs(runs, [&] {
        // A different word each time, held by no change: the whole history is read.
        opened->txtPalabra->setText(QStringLiteral("ZQX%1").arg(++typed));
        QApplication::processEvents();
    });
    if (opened->dbgHistorial->model()->rowCount() != 0)
        std::fprintf(stderr, "history: a word held by no change found some\n");
    closeHistory(opened);

    report(QStringLiteral("history_save_ms_%1").arg(accounts), save);
    report(QStringLiteral("history_open_ms_%1").arg(changes), open);
    report(QStringLiteral("history_narrow_ms_%1").arg(changes), narrow);
}

Registration registration("history", &run);

} // namespace
} // namespace vemtaro::bench
