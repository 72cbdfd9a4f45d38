#pragma once

#include <QString>

namespace vemtaro::db {

/// The folder that holds the program's files: `$XDG_DATA_HOME/vemtaro`, or
/// `~/.local/share/vemtaro` when XDG_DATA_HOME is unset, empty or not an absolute path.
/// The folder may not exist yet.
QString dataFolder();

/// The accounts database file, `VemtaroCtasPres.sqlite` in the data folder.
QString databasePath();

} // namespace vemtaro::db
