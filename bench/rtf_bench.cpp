// Speed of the RTF reader against Qt's own HTML import of the same content.
#include "Bench.h"

#include "references/RtfReader.h"

#include <QTextDocument>

namespace {

// The same document written twice, as RTF and as HTML.
struct Sample {
    QByteArray rtf;
    QString html;
};

Sample generateSample(int targetBytes)
{
    static const char* const words[] = {"cuenta",   "subcuenta",  "bien",         "rubro",
                                        "vida",     "útil",       "amortización", "valor",
                                        "residual", "año",        "ejercicio",    "alta",
                                        "baja",     "mobiliario", "equipo"};
    const int wordCount = int(std::size(words));
    Sample sample;
    sample.rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}"
                 "{\\f1\\froman\\fcharset0 Times New Roman;}}"
                 "{\\colortbl;\\red200\\green0\\blue0;\\red0\\green90\\blue160;}\n";
    sample.html = QStringLiteral("<html><body style=\"font-family:Arial; font-size:12pt\">");
    const auto rtfWord = [](const char* word) {
        QByteArray out;
        for (const unsigned char c : QString::fromUtf8(word).toLatin1())
            out += c < 0x80 ? QByteArray(1, char(c))
                            : "\\'" + QByteArray::number(c, 16).rightJustified(2, '0');
        return out;
    };
    unsigned seed = 12345;
    const auto next = [&seed](int range) {
        seed = seed * 1103515245u + 12345u;
        return int((seed >> 16) % unsigned(range));
    };
    for (int paragraph = 0; sample.rtf.size() < targetBytes; ++paragraph) {
        if (paragraph % 40 == 39) {
            sample.html += QStringLiteral("<table border=\"1\" cellspacing=\"0\">");
            for (int row = 0; row < 8; ++row) {
                sample.rtf += "\\trowd\\trgaph70\\clbrdrt\\brdrs\\cellx2000\\clbrdrt\\brdrs"
                              "\\cellx4000\\clbrdrt\\brdrs\\cellx6000\\pard\\intbl ";
                sample.html += QStringLiteral("<tr>");
                for (int column = 0; column < 3; ++column) {
                    const char* word = words[next(wordCount)];
                    sample.rtf += rtfWord(word) + " " + QByteArray::number(row) + "\\cell ";
                    sample.html +=
                        QStringLiteral("<td>%1 %2</td>").arg(QString::fromUtf8(word)).arg(row);
                }
                sample.rtf += "\\row\n";
                sample.html += QStringLiteral("</tr>");
            }
            sample.rtf += "\\pard ";
            sample.html += QStringLiteral("</table>");
            continue;
        }
        const bool centred = paragraph % 7 == 0;
        sample.rtf += centred ? "\\pard\\qc\\sa120 " : "\\pard\\sa120 ";
        sample.html += centred ? QStringLiteral("<p align=\"center\" style=\"margin-bottom:8px\">")
                               : QStringLiteral("<p style=\"margin-bottom:8px\">");
        const int length = 40 + next(60);
        for (int w = 0; w < length; ++w) {
            const char* word = words[next(wordCount)];
            const QString text = QString::fromUtf8(word);
            switch (next(12)) {
            case 0:
                sample.rtf += "{\\b " + rtfWord(word) + "} ";
                sample.html += QStringLiteral("<b>%1</b> ").arg(text);
                break;
            case 1:
                sample.rtf += "{\\i\\cf2 " + rtfWord(word) + "} ";
                sample.html += QStringLiteral("<i style=\"color:#005aa0\">%1</i> ").arg(text);
                break;
            case 2:
                sample.rtf += "{\\f1\\fs28 " + rtfWord(word) + "} ";
                sample.html +=
                    QStringLiteral("<span style=\"font-family:'Times New Roman'; font-size:14pt\">"
                                   "%1</span> ")
                        .arg(text);
                break;
            default:
                sample.rtf += rtfWord(word) + " ";
                sample.html += text + u' ';
                break;
            }
        }
        sample.rtf += "\\par\n";
        sample.html += QStringLiteral("</p>");
    }
    sample.rtf += "}";
    sample.html += QStringLiteral("</body></html>");
    return sample;
}

void runRtf()
{
    const Sample sample = generateSample(3 * 1024 * 1024);
    vemtaro::bench::report(QStringLiteral("rtf_document_bytes"), double(sample.rtf.size()));
    const int runs = 5;
    const double rtfMs = vemtaro::bench::medianMs(runs, [&] {
        QTextDocument document;
        vemtaro::references::readRtf(sample.rtf, document);
    });
    const double htmlMs = vemtaro::bench::medianMs(runs, [&] {
        QTextDocument document;
        document.setHtml(sample.html);
    });
    // Rows with a height of their own make the reader lay the document out to measure them.
    QByteArray sizedRows = sample.rtf;
    sizedRows.replace("\\trowd", "\\trowd\\trrh400");
    const double sizedRowsMs = vemtaro::bench::medianMs(runs, [&] {
        QTextDocument document;
        vemtaro::references::readRtf(sizedRows, document);
    });
    vemtaro::bench::report(QStringLiteral("rtf_load_ms"), rtfMs);
    vemtaro::bench::report(QStringLiteral("rtf_html_ms"), htmlMs);
    vemtaro::bench::report(QStringLiteral("rtf_ratio"), rtfMs / htmlMs);
    vemtaro::bench::report(QStringLiteral("rtf_load_row_heights_ms"), sizedRowsMs);
}

vemtaro::bench::Registration registration("rtf", &runRtf);

} // namespace
