// Import figures: an office's Access database of 100 000 extended records brought in.
#include "Bench.h"

#include "import/Importer.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

namespace vemtaro::bench {
namespace {

constexpr int rows = 100000;

void runImport()
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("VemtaroCtasPres.mdb"));
    const QString destination = dir.filePath(QStringLiteral("VemtaroCtasPres.sqlite"));
    QProcess writer;
    writer.start(QStringLiteral("python3"),
                 {QStringLiteral(VEMTARO_JETFILES), QStringLiteral("extendido"),
                  QStringLiteral("jet4"), source, QString::number(rows)});
    if (!writer.waitForFinished(300000) || writer.exitCode() != 0) {
        std::fprintf(stderr, "import: the Access file could not be written: %s\n",
                     writer.readAllStandardError().constData());
        return;
    }
    const double ms = medianMs(
        5, [&] { importing::importAccessDatabase(source, destination); },
        [&] { QFile::remove(destination); });
    report(QStringLiteral("import_rows_per_s"), rows / (ms / 1000.0));
}

Registration registration("import", &runImport);

} // namespace
} // namespace vemtaro::bench
