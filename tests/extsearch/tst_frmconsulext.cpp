// The extended search window, driven as a clerk drives it: words typed into the seven boxes, a
// mode clicked, Enter or "Ejecutar Busqueda" pressed. The query texts, what they find, the reset,
// how a rejected query is reported, the keyboard, and the window's comings and goings.
#include "../chart/ChartTestSupport.h"

#include "chart/FrmConsulVemtaro.h"
#include "chart/Ventanas.h"
#include "extsearch/FrmConsulExt.h"
#include "platform/MessageBox.h"

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QTimer>

using namespace vemtaro;
using platform::MessageBox;
using platform::TextBox;

namespace {

// Ord 4 has no description and Ord 9 no code; Ord 7's description holds 35 full stops, which
// the creation's 34-stop placeholder excludes and the reset's 36-stop one does not.
const QList<QStringList> extendido = {
    {"1", "1101", "11", "MESA DE MADERA"},
    {"2", "1102", "12", "MESA DE METAL"},
    {"3", "2101", "21", "SILLA DE MADERA"},
    {"4", "1201", "01", QString()},
    {"5", "3101", "31", "mesa de madera lustrada"},
    {"6", "1103", "13", "ESTANTE DE MADERA Y METAL"},
    {"7", "2201", "22", "MESA DE MADERA " + QString(35, u'.')},
    {"8", "1104", "1", "ARMARIO"},
    {"9", QString(), "41", "MESA SIN CODIGO"},
    {"10", "1105", "112", "MESA RATONA"},
};

/// A word for each of Text1 to Text7; a null one leaves its box as it is.
using Palabras = QList<QString>;
/// What a query the engine rejects finds.
const QStringList rechazada{QStringLiteral("rechazada")};

/// Chooses the mode `opcion` and types the words and the ordering, as the clerk does.
void preparar(FrmConsulExt* w, const QString& opcion, const Palabras& palabras,
              const QString& orden = QString())
{
    elegir(w->findChild<QRadioButton*>(opcion));
    TextBox* const cajas[] = {w->Text1, w->Text2, w->Text3, w->Text4, w->Text5, w->Text6, w->Text7};
    for (int i = 0; i < palabras.size(); ++i)
        if (!palabras[i].isNull())
            escribir(cajas[i], palabras[i]);
    if (!orden.isNull())
        escribir(w->cbobusc, orden);
}

void comprobarRestablecida(const FrmConsulExt* w)
{
    QCOMPARE(w->TxtSQL->text(),
             QStringLiteral("SELECT * FROM extendido WHERE Descripcion LIKE '*' ORDER BY Codigo"));
    // Every described row by code, the row without a code first, the 35 stops too.
    QCOMPARE(columnaDeLaGrilla(w->dbgResultados, 0),
             (QStringList{"9", "1", "2", "6", "8", "10", "3", "7", "5"}));
    QCOMPARE(w->dcdatos->caption(), QStringLiteral("Registro:1 de 9"));
    for (auto* caja : {w->Text1, w->Text2, w->Text3, w->Text4, w->Text5, w->Text6, w->Text7})
        QCOMPARE(caja->text(), caja == w->Text5 || caja == w->Text6 || caja == w->Text7
                                   ? QString(36, u'.')
                                   : QString());
}

/// Runs the program's event loop, with `accion` as its first event; true when the program
/// then ends by itself (its last window closed), false when it is still running a second later.
bool elProgramaTerminaTras(const std::function<void()>& accion)
{
    QTimer::singleShot(0, qApp, accion);
    QObject plazo; // its timer goes with it
    QTimer::singleShot(1000, &plazo, [] { QApplication::exit(1); });
    return QApplication::exec() == 0;
}

/// The names of the visible windows, sorted.
QStringList ventanasVisibles()
{
    QStringList names;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible())
            names << window->objectName();
    names.sort();
    return names;
}

} // namespace

class TestFrmConsulExt : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_support = std::make_unique<ChartTestSupport>();
        m_support->usarExtendido(extendido);
        m_support->usarCuentas({{"101", "1", "MESA", "MUEBLES", "10", QString()}}); // calculable
        w = m_support->abrirExtendida();
    }
    void cleanup() { m_support.reset(); }

    void opensOnTheWholeTableWithItsPlaceholdersNamesAndTabOrder()
    {
        QVERIFY(w->windowTitle().startsWith(QStringLiteral("Consulta Extendida     ")));
        QVERIFY(w->windowTitle().endsWith(QStringLiteral("     Oficina de Patrimonio - "
                                                         "Departamento de Bienes de Uso")));
        // Every row in the table's own order, the undescribed one too.
        QCOMPARE(columnaDeLaGrilla(w->dbgResultados, 0),
                 (QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}));
        QCOMPARE(w->dcdatos->caption(), QStringLiteral("Registro:1 de 10"));
        QCOMPARE(w->Text5->text(), QString(34, u'.') + QString(50, u' '));
        QVERIFY(w->TxtSQL->text().isEmpty() && !w->TxtSQL->isVisible());
        QCOMPARE(nombresAccesibles(w).values(), // by object name: Text1 to Text7, TxtSQL, cbobusc
                 (QStringList{"Palabra 1", "Palabra 2", "Palabra 3", "Palabra 4", "Excluir 1",
                              "Excluir 2", "Excluir 3", "Consulta", "Ordenado por"}));
        // The selected option alone takes a tab stop; the hidden TxtSQL and cmdzoom1 none.
        const QStringList expected =
            QStringLiteral("OptDesc cmdRestablecer Text1 Text2 Text3 Text4 Text5 Text6 Text7 "
                           "CmdEjecutar cmdSalir cmdzoom2 CmdImprimir cbobusc dbgResultados")
                .split(QLatin1Char(' '));
        QCOMPARE(recorridoConTab(expected.size()), expected);

        // The zoom pair: one place, one button at a time, each hiding itself.
        for (const qreal size : {9, 13, 9}) {
            auto* const boton = size == 9 ? w->cmdzoom2 : w->cmdzoom1;
            QTest::mouseClick(boton, Qt::LeftButton);
            QVERIFY(!boton->isVisible() && (size == 9 ? w->cmdzoom1 : w->cmdzoom2)->isVisible());
            QCOMPARE(w->dbgResultados->fontSize(), size);
        }
    }

    void queryTextsToTheLetter_data()
    {
        QTest::addColumn<QString>("opcion");
        QTest::addColumn<QString>("texto");
        const auto fila = [](const char* opcion, const QString& cabeza, const char* orden) {
            QTest::newRow(opcion) << opcion
                                  << "SELECT * FROM extendido WHERE " + cabeza +
                                         "'and Descripcion LIKE '*madera*' and Descripcion LIKE "
                                         "'**'and Descripcion LIKE '**' and Descripcion not like "
                                         "'*metal*'and Descripcion not like '*x*' and Descripcion "
                                         "not like '*y*" +
                                         orden;
        };
        fila("OptDesc", "Descripcion LIKE '*mesa*", "' ORDER BY descripcion");
        fila("optCod", "codigo LIKE '*mesa*", "'ORDER BY descripcion");
        fila("Optclase", "Clase LIKE '*mesa", "'ORDER BY descripcion"); // no closing star
    }

    void queryTextsToTheLetter()
    {
        QFETCH(QString, opcion);
        QFETCH(QString, texto);
        preparar(w, opcion, {"mesa", "madera"});
        // Entering an exclude box, by a click anywhere or by Tab, selects its whole placeholder.
        QTest::mouseClick(w->Text5, Qt::LeftButton, {}, QPoint(w->Text5->width() - 4, 8));
        QTest::keyClicks(w->Text5, QStringLiteral("metal"));
        QTest::keyClick(w->Text5, Qt::Key_Tab);
        QTest::keyClicks(w->Text6, QStringLiteral("x"));
        QTest::mouseClick(w->Text7, Qt::LeftButton, {}, QPoint(w->Text7->width() - 4, 8));
        QTest::keyClicks(w->Text7, QStringLiteral("y"));
        QTest::keyClick(w->Text7, Qt::Key_Return);
        QCOMPARE(w->TxtSQL->text(), texto);
        // An include box keeps its caret where the click puts it.
        QTest::mouseClick(w->Text2, Qt::LeftButton, {}, QPoint(w->Text2->width() - 4, 8));
        QCOMPARE(w->Text2->selectedText(), QString());
    }

    void whatEachQueryFinds_data()
    {
        QTest::addColumn<QString>("opcion");
        QTest::addColumn<Palabras>("palabras");
        QTest::addColumn<QString>("orden");
        QTest::addColumn<QStringList>("ords");
        const auto fila = [](const char* nombre, const char* opcion, const Palabras& palabras,
                             const QStringList& ords, const char* orden = "Ord") {
            QTest::newRow(nombre) << opcion << palabras << orden << ords;
        };
        fila("lower case finds upper case", "OptDesc", {"mesa", "madera", "", "", "metal"},
             {"1", "5"});
        fila("as created: every described row but the 35 stops", "OptDesc", {},
             {"1", "2", "3", "5", "6", "8", "9", "10"});
        fila("every include word is needed", "OptDesc", {"", "de", "madera", "lustrada"}, {"5"});
        fila("each exclude box excludes", "OptDesc", {"mesa", "", "", "", "xx", "metal", "madera"},
             {"9", "10"});
        for (const int caja : {4, 5, 6})
            fila(qPrintable(QStringLiteral("exclude box %1 emptied: nothing").arg(caja + 1)),
                 "OptDesc", Palabras(caja) << QString(""), {});
        fila("code anywhere in the code", "optCod", {"110"}, {"1", "2", "6", "8", "10"});
        fila("code mode without a word: coded and described rows", "optCod", {},
             {"1", "2", "3", "5", "6", "7", "8", "10"});
        fila("class ends in 1: not 12 nor 112", "Optclase", {"1"}, {"1", "3", "5", "8", "9"});
        fila("by code, descending", "OptDesc", {"mesa"}, {"5", "10", "2", "1", "9"}, "Codigo DESC");
        fila("quote in the first word, description", "OptDesc", {"o'brien"}, rechazada,
             "descripcion");
        fila("quote in the first word, class", "Optclase", {"1'"}, rechazada);
        fila("quote in an exclude word, code", "optCod", {"1", "", "", "", "", "", "d'"},
             rechazada);
        fila("empty ordering", "optCod", {"1"}, rechazada, "");
    }

    void whatEachQueryFinds()
    {
        QFETCH(QString, opcion);
        QFETCH(Palabras, palabras);
        QFETCH(QString, orden);
        QFETCH(QStringList, ords);
        preparar(w, opcion, palabras, orden);
        QTest::keyClick(w->cbobusc, Qt::Key_Return);
        if (ords == rechazada) {
            // Reported once; the window as the clerk left it, and usable once mended.
            comprobarUnSoloError();
            const QString consulta = w->TxtSQL->text();
            QVERIFY(consulta.contains(palabras.last()) && consulta.endsWith("ORDER BY " + orden));
            QCOMPARE(w->dcdatos->recordSource(), consulta);
            QVERIFY(w->findChild<QRadioButton*>(opcion)->isChecked());
            QCOMPARE(w->Text1->text() + '|' + w->cbobusc->text(), palabras.first() + '|' + orden);
            QVERIFY(!QApplication::overrideCursor());
            QTest::mouseClick(w->cmdRestablecer, Qt::LeftButton);
            comprobarRestablecida(w);
            QCOMPARE(MessageBox::takeShown().size(), 0);
            return;
        }
        QCOMPARE(MessageBox::takeShown().size(), 0);
        QCOMPARE(columnaDeLaGrilla(w->dbgResultados, 0), ords);
        QCOMPARE(w->dcdatos->caption(), ords.isEmpty()
                                            ? QStringLiteral("No hay entradas de registros")
                                            : QStringLiteral("Registro:1 de %1").arg(ords.size()));
    }

    void resetAndModeChangeShowTheDefaultQuery_data()
    {
        QTest::addColumn<QString>("modo");
        QTest::addColumn<QString>("clic"); ///< "cmdRestablecer", or the option chosen next
        const auto fila = [](const char* modo, const char* clic) {
            QTest::addRow("%s, %s", modo, clic) << modo << clic;
        };
        fila("Optclase", "cmdRestablecer");
        fila("OptDesc", "Optclase");
        fila("Optclase", "optCod");
        fila("optCod", "OptDesc");
    }

    void resetAndModeChangeShowTheDefaultQuery()
    {
        QFETCH(QString, modo);
        QFETCH(QString, clic);
        preparar(w, modo, {"1", "a", "b", "c", "x", "y", "z"}, QStringLiteral("clase"));
        QTest::mouseClick(w->cmdzoom2, Qt::LeftButton);
        QTest::mouseClick(w->CmdEjecutar, Qt::LeftButton);
        QCOMPARE(w->dbgResultados->model()->rowCount(), 0);

        const auto punteros = punteroAlReposicionar(w->dcdatos, [&] {
            QTest::mouseClick(w->findChild<QWidget*>(clic), Qt::LeftButton, {}, QPoint(6, 6));
        });
        QCOMPARE(punteros, QList<Qt::CursorShape>{Qt::WaitCursor});
        comprobarRestablecida(w);
        // The mode, the ordering and the zoom stay.
        const QString elegida = clic == QLatin1String("cmdRestablecer") ? modo : clic;
        QVERIFY(w->findChild<QRadioButton*>(elegida)->isChecked());
        QCOMPARE(w->cbobusc->text(), QStringLiteral("clase"));
        QCOMPARE(w->dbgResultados->fontSize(), 9.0);
        QCOMPARE(MessageBox::takeShown().size(), 0);
    }

    void theReturnLeavesItLoadedHiddenAndReset_data()
    {
        QTest::addColumn<bool>("calculadora");
        QTest::newRow("alone") << false;
        QTest::newRow("the calculator open") << true;
    }

    void theReturnLeavesItLoadedHiddenAndReset()
    {
        QFETCH(bool, calculadora);
        QPointer<FrmConsulExt> vieja = w;
        // Leave every kind of state behind: a mode, words, an ordering, a zoom, a result.
        preparar(w, QStringLiteral("Optclase"), {"1", {}, {}, {}, {}, "metal"},
                 QStringLiteral("Ord DESC"));
        QTest::mouseClick(w->cmdzoom2, Qt::LeftButton);
        QTest::mouseClick(w->CmdEjecutar, Qt::LeftButton);
        w->dcdatos->moveTo(2);

        QTest::mouseClick(w->cmdSalir, Qt::LeftButton);
        ChartTestSupport::procesarCierres();
        QVERIFY(vieja.isNull());
        QCOMPARE(ventanasVisibles(), QStringList{"FrmConsulVemtaro"});
        auto* cuadro = qobject_cast<FrmConsulVemtaro*>(
            ChartTestSupport::ventanaVisible(QStringLiteral("FrmConsulVemtaro")));

        // Loaded but hidden, as created and then reset; the next opening shows it.
        QPointer<FrmConsulExt> oculta = frmConsulExtCargada();
        QVERIFY(oculta && !oculta->isVisible());
        comprobarRestablecida(oculta);
        if (calculadora)
            QTest::mouseClick(cuadro->cmdAmort, Qt::LeftButton);
        QTest::mouseClick(cuadro->cmdBuscAv, Qt::LeftButton);
        ChartTestSupport::procesarCierres();
        QCOMPARE(frmConsulExtCargada(), oculta.data());
        const QStringList calculo = calculadora ? QStringList{"frmAmortizacion"} : QStringList();
        QCOMPARE(ventanasVisibles(), QStringList{"FrmConsulExt"} + calculo);
        QCOMPARE(MessageBox::takeShown().size(), 0);

        // Its close box closes it alone: no chart window comes back, and the program ends
        // unless the calculator is still open.
        QCOMPARE(elProgramaTerminaTras([&] { oculta->close(); }), !calculadora);
        ChartTestSupport::procesarCierres();
        QVERIFY(oculta.isNull() && !frmConsulExtCargada());
        QCOMPARE(ventanasVisibles(), calculo);
    }

private:
    std::unique_ptr<ChartTestSupport> m_support;
    FrmConsulExt* w = nullptr;
};

QTEST_MAIN(TestFrmConsulExt)
#include "tst_frmconsulext.moc"
