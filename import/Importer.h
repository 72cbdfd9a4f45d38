#pragma once

#include "ImportSummary.h"

#include <QString>
#include <functional>

namespace vemtaro::importing {

/// How far an import has gone.
struct ImportProgress {
    QString table;     ///< the table being read
    qint64 tableRows;  ///< rows of it read so far
    qint64 tableTotal; ///< its rows
    qint64 rows;       ///< rows read so far, all tables together
    qint64 total;      ///< rows of all tables
};

/// Told at the start of each table and every few hundred rows; answering false stops the
/// import, which then fails as a whole.
using ProgressFunction = std::function<bool(const ImportProgress&)>;

/// Builds the accounts database `destination` from the Access database `source`.
///
/// Every table of the Access file is brought with every row, in the file's row order (the
/// row key `id` counts from 1 in that order). Tables and fields are matched to the system's
/// own without regard to case and take their declared spelling, order and types; a table or
/// field the system does not know is kept after them with its values as they stand; a table
/// or field of the system that the file lacks is created empty. Null and empty texts stay
/// apart, texts are decoded from the file's code page or UCS-2, numbers stay numbers, and
/// long texts are whole. Values that do not fit the system's field are kept and listed for
/// review.
///
/// The database appears whole or not at all, and never replaces an existing file; the Access
/// file is only read. Throws db::DbError with a Spanish message naming both files and the
/// reason (the file is not an Access file, is damaged, encrypted, a table cannot be read, the
/// destination exists, the import was stopped).
ImportSummary importAccessDatabase(const QString& source, const QString& destination,
                                   const ProgressFunction& progress = {});

} // namespace vemtaro::importing
