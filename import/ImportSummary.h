#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace vemtaro::importing {

/// What an import brought into the accounts database, told in Spanish to the person who
/// started it (and written to a file beside the database).
struct ImportSummary {
    struct TableRows {
        QString table;
        qint64 rows;
    };

    QString source;          ///< the Access file
    QString format;          ///< its kind, as AccessFile::format() says it
    QList<TableRows> tables; ///< the system's tables in declared order, then the others
    QStringList kept;        ///< tables and fields kept beside the system's own
    QStringList toReview;    ///< what a person should look at: gaps, renames, odd values

    /// The summary as lines of text. The lines to review are cut after `maxReviewLines`
    /// with a count of the rest; all are given when it is negative.
    QString text(int maxReviewLines = -1) const;
};

/// "1 fila", "2 filas": a number of rows in words.
QString rowCount(qint64 rows);

} // namespace vemtaro::importing
