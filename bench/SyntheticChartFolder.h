#pragma once

#include <QString>
#include <QTemporaryDir>

namespace vemtaro::bench {

/// For as long as it lives: the data folder is a fresh temporary one whose accounts database
/// holds a synthetic chart of `rows` accounts (see writeSyntheticChart), the application is
/// prepared as the program prepares it, and message boxes are recorded instead of shown.
/// Throws DbError when the database cannot be written.
class SyntheticChartFolder {
public:
    explicit SyntheticChartFolder(int rows);

    /// The first column of the first row `sql` yields on the database, as text; empty when
    /// there is none.
    QString stored(const QString& sql) const;

private:
    QTemporaryDir m_home;
};

} // namespace vemtaro::bench
