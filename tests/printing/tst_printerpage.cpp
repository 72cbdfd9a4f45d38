// The page layer, read back from its PDF: texts with the top-left corner of their line and
// lines with their ends where they were drawn, in millimetres from the corner of the
// printable area, on a single page that exists only once the document is ended.
#include "PaginaLeida.h"

#include "printing/PrinterPage.h"

#include <QApplication>
#include <QRandomGenerator>
#include <QTest>

using vemtaro::printing::PrintDestination;
using vemtaro::printing::PrinterPage;

class TestPrinterPage : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void marksLandWhereTheyWereDrawn()
    {
        const QTemporaryDir carpeta;
        QRandomGenerator azar(20261207);
        for (int vuelta = 0; vuelta < 4; ++vuelta) {
            const QString pdf = carpeta.filePath(QStringLiteral("pagina%1.pdf").arg(vuelta));
            PrinterPage pagina(PrintDestination::pdfFile(pdf));
            // Texts in bands of their own in the upper half, lines below them.
            QList<QPair<QString, QPointF>> textos;
            for (int i = 0; i < 14; ++i) {
                QString palabra;
                for (int letras = 2 + azar.bounded(8); letras > 0; --letras)
                    palabra += QChar(u'A' + azar.bounded(26));
                const QPointF donde(azar.bounded(150.0), 9.0 * i + azar.bounded(4.0));
                pagina.setCurrentX(donde.x());
                pagina.setCurrentY(donde.y());
                pagina.print(palabra);
                textos.append({palabra, donde});
            }
            QList<QLineF> horizontales, verticales;
            for (int i = 0; i < 5; ++i) {
                const double y = 140 + 10 * i + azar.bounded(5.0);
                horizontales.append({azar.bounded(60.0), y, 100 + azar.bounded(95.0), y});
                const double x = 10 + 38 * i + azar.bounded(30.0);
                verticales.append({x, 200 + azar.bounded(20.0), x, 240 + azar.bounded(45.0)});
                pagina.line(horizontales.last().p1(), horizontales.last().p2());
                pagina.line(verticales.last().p1(), verticales.last().p2());
            }
            QVERIFY(!QFile::exists(pdf));
            pagina.endDoc();

            const PaginaLeida leida(pdf);
            QCOMPARE(leida.paginas, 1);
            QCOMPARE(leida.palabras.size(), textos.size());
            for (const auto& [palabra, donde] : textos) {
                const auto igual = [&](const auto& p) { return p.texto == palabra; };
                const auto encontrada =
                    std::find_if(leida.palabras.begin(), leida.palabras.end(), igual);
                QVERIFY2(encontrada != leida.palabras.end(), qPrintable(palabra));
                QVERIFY2(QLineF(encontrada->caja.topLeft(), donde).length() < 0.3,
                         qPrintable(palabra));
            }
            const auto comparar = [](const QList<PaginaLeida::Regla>& leidas,
                                     const QList<QLineF>& trazadas) {
                QCOMPARE(leidas.size(), trazadas.size());
                for (int i = 0; i < trazadas.size(); ++i) {
                    QVERIFY(QLineF(leidas[i].desde, trazadas[i].p1()).length() < 0.3);
                    QVERIFY(QLineF(leidas[i].hasta, trazadas[i].p2()).length() < 0.3);
                }
            };
            comparar(leida.horizontales, horizontales);
            std::sort(verticales.begin(), verticales.end(),
                      [](const QLineF& a, const QLineF& b) { return a.x1() < b.x1(); });
            comparar(leida.verticales, verticales);
            if (QTest::currentTestFailed())
                return;
        }
    }
};

QTEST_MAIN(TestPrinterPage)
#include "tst_printerpage.moc"
