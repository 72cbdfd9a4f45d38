#pragma once

#include <QString>

namespace vemtaro::bench {

/// Writes at `path` a fresh accounts database (replacing any file there) with the system's
/// schema, `rows` synthetic accounts in `vemtaro` and small lookup tables; `extendido` stays
/// empty. The accounts look like real ones: digit-string codes and classes, upper-case
/// descriptions of three to six Spanish words (accents included; about one in 200 is null),
/// rubros, useful lives and a few remarks. The same `rows` always gives the same data.
/// A million rows take a few seconds. Throws DbError when the file cannot be written.
void writeSyntheticChart(const QString& path, int rows);

/// Writes at `path` a fresh accounts database (replacing any file there) with the system's
/// schema and `rows` synthetic rows in `extendido`, the other tables empty. The rows look like
/// the extended view of a real chart: Ord numbers them in order; codes of four or five digits
/// ascend in blocks of rows, each block's two-digit classes ascend from 01; descriptions are a
/// noun, "DE", a material and two to seven Spanish words in upper case (accents included;
/// about one in 200 is null). The same `rows` always gives the same data. Throws DbError when
/// the file cannot be written.
void writeSyntheticExtended(const QString& path, int rows);

} // namespace vemtaro::bench
