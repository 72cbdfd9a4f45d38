// Saves until it is killed, for the interrupted-saves test. Each round adds an account coded
// "saved-N" and sets the first account's remarks to N, each in a save of its own, then prints
// N on a line of its own: a printed N is a committed round.
// Usage: db_saver <database file>
#include "db/Connection.h"
#include "db/DbError.h"
#include "db/RecordSet.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: db_saver <database file>\n");
        return 2;
    }
    try {
        const auto db = vemtaro::db::Connection::open(QString::fromLocal8Bit(argv[1]));
        vemtaro::db::RecordSet records(*db);
        records.open(QStringLiteral("vemtaro"));
        const int code = records.fieldIndex(QStringLiteral("CODIGO"));
        const int remarks = records.fieldIndex(QStringLiteral("OBSERVACIONES"));
        for (int round = 1;; ++round) {
            records.addNew();
            records.setValue(code, QStringLiteral("saved-%1").arg(round));
            records.update();
            records.moveFirst();
            records.edit();
            records.setValue(remarks, QString::number(round));
            records.update();
            std::printf("%d\n", round);
            std::fflush(stdout);
        }
    } catch (const vemtaro::db::DbError& error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.description()));
        return 1;
    }
}
