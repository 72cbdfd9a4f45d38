// The extended search, driven as a clerk drives it: words typed into the seven boxes, a mode
// clicked, Enter or "Ejecutar Busqueda" pressed; the query texts, what they find, the reset,
// and how a rejected query is reported.
#include "../chart/ChartTestSupport.h"
#include "ExtTestSupport.h"

#include "extsearch/FrmConsulExt.h"
#include "platform/MessageBox.h"

#include <QApplication>
#include <QComboBox>
#include <QTest>

using namespace vemtaro;
using platform::MessageBox;

namespace {

const QString textoRestablecer =
    QStringLiteral("SELECT * FROM extendido WHERE Descripcion LIKE '*' ORDER BY Codigo");

/// A word for each of Text1 to Text7; a null one leaves its box as it is.
using Palabras = QList<QString>;

void escribirPalabras(FrmConsulExt* w, const Palabras& palabras)
{
    platform::TextBox* const cajas[] = {w->Text1, w->Text2, w->Text3, w->Text4,
                                        w->Text5, w->Text6, w->Text7};
    for (int i = 0; i < palabras.size(); ++i)
        if (!palabras[i].isNull())
            escribir(cajas[i], palabras[i]);
}

void buscar(FrmConsulExt* w)
{
    QTest::mouseClick(w->CmdEjecutar, Qt::LeftButton);
}

QString excluir(const QString& patron)
{
    return QStringLiteral("Descripcion not like '*%1*").arg(patron);
}

} // namespace

class TestBusquedaExtendida : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { m_support = std::make_unique<ChartTestSupport>(); }
    void cleanup() { m_support.reset(); }

    void theWorkedExampleGivesItsTextToTheLetter()
    {
        FrmConsulExt* w = m_support->abrirExtendida();
        escribir(w->Text1, QStringLiteral("mesa"));
        escribir(w->Text2, QStringLiteral("madera"));
        // Clicking into the box selects the whole placeholder, its 50 blanks too.
        QTest::mouseClick(w->Text5, Qt::LeftButton);
        QTest::keyClicks(w->Text5, QStringLiteral("metal"));
        QTest::keyClick(w->Text5, Qt::Key_Return);
        QCOMPARE(w->TxtSQL->text(),
                 QStringLiteral("SELECT * FROM extendido WHERE Descripcion LIKE '*mesa*'and "
                                "Descripcion LIKE '*madera*' and Descripcion LIKE '**'and "
                                "Descripcion LIKE '**' and Descripcion not like '*metal*'and "
                                "Descripcion not like '*..................................*' and "
                                "Descripcion not like '*..................................*' ORDER "
                                "BY descripcion"));
    }

    void codeAndClassModesChangeTheHeadAndTheTail_data()
    {
        QTest::addColumn<QString>("opcion");
        QTest::addColumn<QString>("cabeza");
        QTest::newRow("code") << "optCod"
                              << "SELECT * FROM extendido WHERE codigo LIKE '*mesa*";
        QTest::newRow("class: no closing star")
            << "Optclase"
            << "SELECT * FROM extendido WHERE Clase LIKE '*mesa";
    }

    void codeAndClassModesChangeTheHeadAndTheTail()
    {
        QFETCH(QString, opcion);
        QFETCH(QString, cabeza);
        FrmConsulExt* w = m_support->abrirExtendida();
        elegir(w->findChild<QRadioButton*>(opcion));
        escribirPalabras(w, {"mesa", "madera", "", "", "metal"});
        buscar(w);
        // The mode change reset the exclude boxes to 36 full stops.
        QCOMPARE(w->TxtSQL->text(),
                 cabeza +
                     "'and Descripcion LIKE '*madera*' and Descripcion LIKE '**'and "
                     "Descripcion LIKE '**' and " +
                     excluir("metal") + "'and " + excluir(puntos(36)) + "' and " +
                     excluir(puntos(36)) + "'ORDER BY descripcion");
    }

    void eachModeFindsItsRows_data()
    {
        QTest::addColumn<QString>("opcion");
        QTest::addColumn<Palabras>("palabras");
        QTest::addColumn<QStringList>("ords");
        // Description mode keeps the creation's 34-stop placeholders, which leave out Ord 7;
        // choosing another mode resets them to 36 stops, which let it in. Ordered by Ord.
        QTest::newRow("worked example: lower case finds upper case")
            << "OptDesc" << Palabras{"mesa", "madera", "", "", "metal"} << QStringList{"1", "5"};
        QTest::newRow("as created: every described row but the one with 35 stops")
            << "OptDesc" << Palabras{} << QStringList{"1", "2", "3", "5", "6", "8", "9", "10"};
        QTest::newRow("every include word is needed")
            << "OptDesc" << Palabras{"", "de", "madera", "lustrada"} << QStringList{"5"};
        QTest::newRow("each exclude box excludes")
            << "OptDesc" << Palabras{"mesa", "", "", "", "xx", "metal", "madera"}
            << QStringList{"9", "10"};
        QTest::newRow("? stands for one character")
            << "OptDesc" << Palabras{"s?lla"} << QStringList{"3"};
        QTest::newRow("code anywhere in the code, a described row")
            << "optCod" << Palabras{"110"} << QStringList{"1", "2", "6", "8", "10"};
        QTest::newRow("code mode without a word: every coded and described row")
            << "optCod" << Palabras{} << QStringList{"1", "2", "3", "5", "6", "7", "8", "10"};
        QTest::newRow("code mode still excludes") << "optCod" << Palabras{"1", "", "", "", "metal"}
                                                  << QStringList{"1", "3", "5", "7", "8", "10"};
        QTest::newRow("class ends in 1: 11 and 21, not 12 nor 112")
            << "Optclase" << Palabras{"1"} << QStringList{"1", "3", "5", "8", "9"};
        QTest::newRow("class ends in 2")
            << "Optclase" << Palabras{"2"} << QStringList{"2", "7", "10"};
        QTest::newRow("class ends in 12, descriptions still filter")
            << "Optclase" << Palabras{"12", "ratona"} << QStringList{"10"};
    }

    void eachModeFindsItsRows()
    {
        QFETCH(QString, opcion);
        QFETCH(Palabras, palabras);
        QFETCH(QStringList, ords);
        m_support->usarExtendido(extendidoDePrueba());
        FrmConsulExt* w = m_support->abrirExtendida();
        elegir(w->findChild<QRadioButton*>(opcion));
        escribirPalabras(w, palabras);
        escribir(w->cbobusc, QStringLiteral("Ord"));
        buscar(w);
        QCOMPARE(MessageBox::takeShown().size(), 0);
        QCOMPARE(ordsDeLaGrilla(w), ords);
        QCOMPARE(w->dcdatos->caption(), QStringLiteral("Registro:1 de %1").arg(ords.size()));
    }

    void anEmptiedExcludeBoxEmptiesTheResult()
    {
        m_support->usarExtendido(extendidoDePrueba());
        FrmConsulExt* w = m_support->abrirExtendida();
        buscar(w);
        QVERIFY(w->dbgResultados->model()->rowCount() > 0);
        for (platform::TextBox* excluida : {w->Text5, w->Text6, w->Text7}) {
            const QString marcador = excluida->text();
            escribir(excluida, QString());
            buscar(w);
            QCOMPARE(w->dbgResultados->model()->rowCount(), 0);
            QCOMPARE(w->dcdatos->caption(), QStringLiteral("No hay entradas de registros"));
            escribir(excluida, marcador);
        }
        buscar(w);
        QCOMPARE(w->dbgResultados->model()->rowCount(), 8);
        QCOMPARE(MessageBox::takeShown().size(), 0);
    }

    void theResultIsOrderedByTheTypedField()
    {
        m_support->usarExtendido(extendidoDePrueba());
        FrmConsulExt* w = m_support->abrirExtendida();
        escribir(w->Text1, QStringLiteral("mesa"));
        buscar(w);
        // "descripcion" as created: case does not count, a shorter text comes first.
        QCOMPARE(ordsDeLaGrilla(w), (QStringList{"1", "5", "2", "10", "9"}));
        escribir(w->cbobusc, QStringLiteral("clase"));
        QTest::keyClick(w->cbobusc, Qt::Key_Return);
        QCOMPARE(ordsDeLaGrilla(w), (QStringList{"1", "10", "2", "5", "9"}));
        escribir(w->cbobusc, QStringLiteral("Codigo DESC"));
        QTest::keyClick(w->cbobusc, Qt::Key_Return);
        QCOMPARE(ordsDeLaGrilla(w), (QStringList{"5", "10", "2", "1", "9"}));
    }

    void resetAndModeChangeShowTheDefaultQuery_data()
    {
        QTest::addColumn<QString>("modo");
        QTest::addColumn<QString>("clic"); ///< "cmdRestablecer", or the option chosen next
        QTest::newRow("reset, description") << "OptDesc"
                                            << "cmdRestablecer";
        QTest::newRow("reset, class") << "Optclase"
                                      << "cmdRestablecer";
        QTest::newRow("reset, code") << "optCod"
                                     << "cmdRestablecer";
        QTest::newRow("description to class") << "OptDesc"
                                              << "Optclase";
        QTest::newRow("class to code") << "Optclase"
                                       << "optCod";
        QTest::newRow("code to description") << "optCod"
                                             << "OptDesc";
    }

    void resetAndModeChangeShowTheDefaultQuery()
    {
        QFETCH(QString, modo);
        QFETCH(QString, clic);
        m_support->usarExtendido(extendidoDePrueba());
        FrmConsulExt* w = m_support->abrirExtendida();
        elegir(w->findChild<QRadioButton*>(modo));
        escribirPalabras(w, {"1", "a", "b", "c", "x", "y", "z"});
        escribir(w->cbobusc, QStringLiteral("clase"));
        QTest::mouseClick(w->cmdzoom2, Qt::LeftButton);
        buscar(w);
        QCOMPARE(w->dbgResultados->model()->rowCount(), 0);

        QTest::mouseClick(w->findChild<QWidget*>(clic), Qt::LeftButton, {}, QPoint(6, 6));
        QCOMPARE(w->TxtSQL->text(), textoRestablecer);
        // Every described row by code (the row without a code first), the 35 stops too.
        QCOMPARE(ordsDeLaGrilla(w), (QStringList{"9", "1", "2", "6", "8", "10", "3", "7", "5"}));
        QCOMPARE(w->dcdatos->caption(), QStringLiteral("Registro:1 de 9"));
        for (auto* incluida : {w->Text1, w->Text2, w->Text3, w->Text4})
            QCOMPARE(incluida->text(), QString());
        for (auto* excluida : {w->Text5, w->Text6, w->Text7})
            QCOMPARE(excluida->text(), puntos(36));
        const QString seleccionado = clic == QLatin1String("cmdRestablecer") ? modo : clic;
        QVERIFY(w->findChild<QRadioButton*>(seleccionado)->isChecked());
        QCOMPARE(w->cbobusc->text(), QStringLiteral("clase"));
        QCOMPARE(w->dbgResultados->fontSize(), 9.0);
        QVERIFY(w->cmdzoom1->isVisible() && !w->cmdzoom2->isVisible());
        QCOMPARE(MessageBox::takeShown().size(), 0);
    }

    void aRejectedQueryIsReportedOnceAndLeavesTheWindowUsable_data()
    {
        QTest::addColumn<QString>("opcion");
        QTest::addColumn<Palabras>("palabras");
        QTest::addColumn<QString>("orden");
        QTest::newRow("quote in the first word, description")
            << "OptDesc" << Palabras{"o'brien"} << "descripcion";
        QTest::newRow("quote in the first word, class") << "Optclase" << Palabras{"1'"} << "Ord";
        QTest::newRow("quote in an exclude word, code")
            << "optCod" << Palabras{"1", "", "", "", "", "", "d'"} << "Ord";
        QTest::newRow("ordering by no field of the table")
            << "OptDesc" << Palabras{"mesa"} << "rubro";
        QTest::newRow("empty ordering") << "optCod" << Palabras{"1"} << "";
    }

    void aRejectedQueryIsReportedOnceAndLeavesTheWindowUsable()
    {
        QFETCH(QString, opcion);
        QFETCH(Palabras, palabras);
        QFETCH(QString, orden);
        m_support->usarExtendido(extendidoDePrueba());
        FrmConsulExt* w = m_support->abrirExtendida();
        auto* modo = w->findChild<QRadioButton*>(opcion);
        elegir(modo);
        escribirPalabras(w, palabras);
        escribir(w->cbobusc, orden);
        QTest::keyClick(w->cbobusc, Qt::Key_Return);

        comprobarUnSoloError();
        QVERIFY(w->TxtSQL->text().contains(palabras.last()));
        QVERIFY(w->TxtSQL->text().endsWith(QStringLiteral("ORDER BY ") + orden));
        QCOMPARE(w->dcdatos->recordSource(), w->TxtSQL->text());
        QVERIFY(modo->isChecked());
        QCOMPARE(w->Text1->text(), palabras.first());
        QCOMPARE(w->cbobusc->text(), orden);
        QVERIFY(!QApplication::overrideCursor());

        // Mended, the same window searches again.
        QTest::mouseClick(w->cmdRestablecer, Qt::LeftButton);
        escribir(w->cbobusc, QStringLiteral("Ord"));
        buscar(w);
        QCOMPARE(MessageBox::takeShown().size(), 0);
        QCOMPARE(w->dbgResultados->model()->rowCount(), opcion == "optCod" ? 8 : 9);
    }

    void thePointerIsBusyWhileAQueryRuns()
    {
        FrmConsulExt* w = m_support->abrirExtendida();
        // The reset too, whether clicked or run by a mode change.
        const auto shapes = punteroAlReposicionar(w->dcdatos, [&] {
            buscar(w);
            QTest::mouseClick(w->cmdRestablecer, Qt::LeftButton);
            elegir(w->optCod);
        });
        QCOMPARE(shapes, (QList<Qt::CursorShape>{Qt::WaitCursor, Qt::WaitCursor, Qt::WaitCursor}));
        QVERIFY(!QApplication::overrideCursor());
    }

private:
    std::unique_ptr<ChartTestSupport> m_support;
};

QTEST_MAIN(TestBusquedaExtendida)
#include "tst_busquedaextendida.moc"
