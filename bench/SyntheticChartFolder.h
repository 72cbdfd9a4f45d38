#pragma once

#include "SyntheticChart.h"

#include <QString>
#include <QTemporaryDir>

namespace vemtaro::bench {

/// For as long as it lives: the data folder (XDG_DATA_HOME) is a fresh temporary one whose
/// accounts database `write(path, rows)` writes, a synthetic chart of `rows` accounts unless
/// told otherwise, the application is prepared as the program prepares it, and message boxes
/// are recorded instead of shown. Throws DbError when the database cannot be written.
class SyntheticChartFolder {
public:
    explicit SyntheticChartFolder(int rows, void (*write)(const QString& path,
                                                          int rows) = &writeSyntheticChart);

    /// The first column of the first row `sql` yields on the database, as text; empty when
    /// there is none. Throws DbError when `sql` fails.
    QString stored(const QString& sql) const;

private:
    QTemporaryDir m_home;
};

} // namespace vemtaro::bench
