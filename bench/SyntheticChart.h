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

} // namespace vemtaro::bench
