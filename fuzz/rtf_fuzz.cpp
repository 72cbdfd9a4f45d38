// Feeds arbitrary bytes to the RTF reader and lays out what it built.
#include "references/RtfReader.h"

#include <QGuiApplication>
#include <QTextDocument>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QGuiApplication* application = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "rtf_fuzz";
        static char* argv[] = {name, nullptr};
        return new QGuiApplication(argc, argv);
    }();
    Q_UNUSED(application);

    QTextDocument document;
    vemtaro::references::readRtf(
        QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)), document);
    // The document must also survive being laid out, as the viewer does.
    document.setTextWidth(600);
    document.size();
    // Lets Qt's font cache expire what it no longer needs, as the viewer's event loop would.
    QCoreApplication::processEvents();
    return 0;
}
