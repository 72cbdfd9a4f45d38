// The chart window's basic search, driven as a clerk drives it: words typed into the boxes,
// an option clicked, Enter or "Ejecutar Busqueda" pressed; the query texts, what they find and
// how a rejected one is reported.
#include "ChartTestSupport.h"

#include "chart/FrmConsulVemtaro.h"
#include "platform/MessageBox.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QTest>

using namespace vemtaro;
using platform::MessageBox;

namespace {

const QString textoRestablecer =
    QStringLiteral("SELECT * FROM vemtaro WHERE descripcion LIKE '*' ORDER BY codigo");

/// A chart built for these tests: CODIGO, CLASE, DESCRIPCION, RUBRO, VIDA_UTIL, OBSERVACIONES.
QList<QStringList> cuentasDePrueba()
{
    const QString nulo;
    return {
        {"112", "01", "MESA DE ROBLE", "MUEBLES Y UTILES", "10", nulo},
        {"120", "02", "MESA DE PINO", "MUEBLES Y UTILES", "10", nulo},
        {"3124", "12", "SILLA DE ROBLE", "MUEBLES Y UTILES", "5", nulo},
        {"200", "123", "ROBLE MESA RATONA", "MUEBLES Y UTILES", "10", nulo},
        {"12", "21", nulo, "EQUIPOS", "5", nulo},
        {"45", "120", "ESCRITORIO METALICO", "MUEBLES", "15", nulo},
        {"130", "9", "COMPUTADORA PERSONAL", "EQUIPOS DE COMPUTACION", "3", nulo},
        {"312", "1", "mesa de luz", "MUEBLES", "10", nulo},
        {"500", "212", "MESETA", "INMUEBLES", "50", nulo},
    };
}

/// The codes of the grid's rows, top to bottom.
QStringList codigosDeLaGrilla(FrmConsulVemtaro* w)
{
    return columnaDeLaGrilla(w->dbgResultados, 0);
}

void buscar(FrmConsulVemtaro* w)
{
    QTest::mouseClick(w->CmdEjecutar, Qt::LeftButton);
}

} // namespace

class TestBusqueda : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { m_support = std::make_unique<ChartTestSupport>(); }
    void cleanup() { m_support.reset(); }

    void queryTextsAreBuiltPieceByPiece_data()
    {
        QTest::addColumn<QString>("opcion");
        QTest::addColumn<QString>("palabra1");
        QTest::addColumn<QString>("palabra2");
        QTest::addColumn<QString>("palabra3");
        QTest::addColumn<QString>("orden");
        QTest::addColumn<QString>("consulta");
        QTest::newRow("description, worked example")
            << "OptDesc"
            << "mesa"
            << "roble"
            << ""
            << "descripcion"
            << "SELECT * FROM vemtaro WHERE descripcion LIKE '*mesa*'and Descripcion LIKE "
               "'*roble*' and Descripcion LIKE '**' ORDER BY descripcion";
        QTest::newRow("class, worked example")
            << "Optclase"
            << "12"
            << "roble"
            << "pino"
            << "rubro"
            << "SELECT * FROM vemtaro WHERE Clase LIKE '12*' ORDER BY codigo";
        QTest::newRow("code, blanks kept") << "optCod"
                                           << " 12"
                                           << "A "
                                           << "b"
                                           << "clase"
                                           << "SELECT * FROM vemtaro WHERE codigo LIKE '* 12*'and "
                                              "Descripcion LIKE '*A *' and Descripcion LIKE '*b*' "
                                              "ORDER BY clase";
        QTest::newRow("rubro, case kept")
            << "optRubr"
            << "Muebles"
            << ""
            << "X"
            << "vida_util desc"
            << "SELECT * FROM vemtaro WHERE rubro LIKE '*Muebles*'and Descripcion LIKE '**' and "
               "Descripcion LIKE '*X*' ORDER BY vida_util desc";
        QTest::newRow("useful life, quote not escaped")
            << "optVidaU"
            << "1'0"
            << ""
            << ""
            << "codigo"
            << "SELECT * FROM vemtaro WHERE Vida_Util LIKE '*1'0*'and Descripcion LIKE '**' and "
               "Descripcion LIKE '**' ORDER BY codigo";
    }

    void queryTextsAreBuiltPieceByPiece()
    {
        QFETCH(QString, opcion);
        QFETCH(QString, palabra1);
        QFETCH(QString, palabra2);
        QFETCH(QString, palabra3);
        QFETCH(QString, orden);
        QFETCH(QString, consulta);
        FrmConsulVemtaro* w = m_support->abrirCuadro();
        elegir(w->findChild<QRadioButton*>(opcion));
        escribir(w->Text1, palabra1);
        escribir(w->Text3, palabra2);
        escribir(w->Text4, palabra3);
        escribir(w->cbobusc, orden);
        buscar(w);
        QCOMPARE(w->TxtSQL->text(), consulta);
        // The search changes none of its inputs.
        QCOMPARE(w->Text1->text(), palabra1);
        QCOMPARE(w->Text3->text(), palabra2);
        QCOMPARE(w->Text4->text(), palabra3);
        QCOMPARE(w->cbobusc->text(), orden);
        QVERIFY(w->findChild<QRadioButton*>(opcion)->isChecked());
    }

    void eachModeFindsItsAccounts_data()
    {
        QTest::addColumn<QString>("opcion");
        QTest::addColumn<QString>("palabra1");
        QTest::addColumn<QString>("palabra2");
        QTest::addColumn<QString>("palabra3");
        QTest::addColumn<QString>("orden");
        QTest::addColumn<QStringList>("codigos");
        QTest::newRow("lower case finds upper case, both words in any order")
            << "OptDesc"
            << "mesa"
            << "roble"
            << ""
            << "descripcion" << QStringList{"112", "200"};
        QTest::newRow("no words: every described account")
            << "OptDesc"
            << ""
            << ""
            << ""
            << "codigo" << QStringList{"112", "120", "130", "200", "312", "3124", "45", "500"};
        QTest::newRow("? stands for one character")
            << "OptDesc"
            << "m?sa "
            << ""
            << ""
            << "codigo" << QStringList{"112", "120", "200", "312"};
        QTest::newRow("* inside a word widens it") << "OptDesc"
                                                   << "de*roble"
                                                   << ""
                                                   << ""
                                                   << "codigo" << QStringList{"112", "3124"};
        QTest::newRow("code anywhere in the code")
            << "optCod"
            << "12"
            << ""
            << ""
            << "codigo" << QStringList{"112", "120", "312", "3124"};
        QTest::newRow("code still needs the description words")
            << "optCod"
            << "12"
            << "roble"
            << ""
            << "codigo" << QStringList{"112", "3124"};
        QTest::newRow("third word filters too") << "optCod"
                                                << "12"
                                                << ""
                                                << "pino"
                                                << "codigo" << QStringList{"120"};
        QTest::newRow("class begins with the word, other words ignored")
            << "Optclase"
            << "12"
            << "roble"
            << "nada"
            << "descripcion" << QStringList{"200", "3124", "45"};
        QTest::newRow("class 1 is a prefix, not a part")
            << "Optclase"
            << "1"
            << ""
            << ""
            << "codigo" << QStringList{"200", "312", "3124", "45"};
        QTest::newRow("rubro anywhere in the rubro") << "optRubr"
                                                     << "inmueble"
                                                     << ""
                                                     << ""
                                                     << "codigo" << QStringList{"500"};
        QTest::newRow("useful life on its text") << "optVidaU"
                                                 << "5"
                                                 << ""
                                                 << ""
                                                 << "codigo" << QStringList{"3124", "45", "500"};
        QTest::newRow("descending order, text inserted as typed")
            << "optCod"
            << "12"
            << ""
            << ""
            << "codigo DESC" << QStringList{"3124", "312", "120", "112"};
        QTest::newRow("numbers ordered as numbers")
            << "optVidaU"
            << ""
            << ""
            << ""
            << "vida_util, codigo"
            << QStringList{"130", "3124", "112", "120", "200", "312", "45", "500"};
    }

    void eachModeFindsItsAccounts()
    {
        QFETCH(QString, opcion);
        QFETCH(QString, palabra1);
        QFETCH(QString, palabra2);
        QFETCH(QString, palabra3);
        QFETCH(QString, orden);
        QFETCH(QStringList, codigos);
        m_support->usarCuentas(cuentasDePrueba());
        FrmConsulVemtaro* w = m_support->abrirCuadro();
        elegir(w->findChild<QRadioButton*>(opcion));
        escribir(w->Text1, palabra1);
        escribir(w->Text3, palabra2);
        escribir(w->Text4, palabra3);
        escribir(w->cbobusc, orden);
        buscar(w);
        QCOMPARE(MessageBox::takeShown().size(), 0);
        QCOMPARE(codigosDeLaGrilla(w), codigos);
        // The first account is current: the caption and the editor's boxes show it.
        QCOMPARE(w->dcdatos->caption(), QStringLiteral("Registro:1 de %1").arg(codigos.size()));
        QCOMPARE(w->txtCuenta->text(), codigos.first());
    }

    void enterInTheFirstWordRunsTheSearch()
    {
        m_support->usarCuentas(cuentasDePrueba());
        FrmConsulVemtaro* w = m_support->abrirCuadro();
        w->Text1->setFocus();
        QTest::keyClicks(w->Text1, QStringLiteral("silla"));
        QTest::keyClick(w->Text1, Qt::Key_Return);
        QCOMPARE(codigosDeLaGrilla(w), QStringList{"3124"});
        QCOMPARE(w->dcdatos->caption(), QStringLiteral("Registro:1 de 1"));
        QCOMPARE(w->txtDescr->text(), QStringLiteral("SILLA DE ROBLE"));
        QCOMPARE(QApplication::focusWidget(), w->Text1);
    }

    void anEmptyResultEmptiesTheGridAndTheBoxes()
    {
        m_support->usarCuentas(cuentasDePrueba());
        FrmConsulVemtaro* w = m_support->abrirCuadro();
        escribir(w->Text1, QStringLiteral("inexistente"));
        buscar(w);
        QCOMPARE(w->dbgResultados->model()->rowCount(), 0);
        QCOMPARE(w->dcdatos->caption(), QStringLiteral("No hay entradas de registros"));
        for (auto* box : {w->txtCuenta, w->txtSubcuenta, w->txtDescr, w->txtrubro, w->Text2})
            QVERIFY2(box->text().isEmpty(), qPrintable(box->objectName()));
        QVERIFY(w->txtObserv->text().isEmpty());
        QCOMPARE(MessageBox::takeShown().size(), 0);

        // And the next search fills them again.
        escribir(w->Text1, QStringLiteral("meseta"));
        buscar(w);
        QCOMPARE(w->txtCuenta->text(), QStringLiteral("500"));
    }

    void aRejectedQueryIsReportedAndChangesNothingElse_data()
    {
        QTest::addColumn<QString>("palabra");
        QTest::addColumn<QString>("orden");
        QTest::newRow("quote in a word") << "o'brien"
                                         << "descripcion";
        QTest::newRow("quote at the end of a word") << "mesa'"
                                                    << "descripcion";
        QTest::newRow("ordering by no field") << "mesa"
                                              << "precio";
        QTest::newRow("empty ordering") << "mesa"
                                        << "";
        QTest::newRow("malformed pattern") << "[z-a]"
                                           << "descripcion";
    }

    void aRejectedQueryIsReportedAndChangesNothingElse()
    {
        QFETCH(QString, palabra);
        QFETCH(QString, orden);
        m_support->usarCuentas(cuentasDePrueba());
        FrmConsulVemtaro* w = m_support->abrirCuadro();
        elegir(w->optCod);
        escribir(w->Text1, QStringLiteral("1"));
        buscar(w);
        const QStringList antes = codigosDeLaGrilla(w);
        MessageBox::takeShown();

        escribir(w->Text1, palabra);
        escribir(w->Text3, QStringLiteral("de"));
        escribir(w->cbobusc, orden);
        buscar(w);
        comprobarUnSoloError();
        QVERIFY(w->TxtSQL->text().contains(palabra));
        QVERIFY(w->TxtSQL->text().endsWith(QStringLiteral("' ORDER BY ") + orden));
        QCOMPARE(w->Text1->text(), palabra);
        QCOMPARE(w->Text3->text(), QStringLiteral("de"));
        QCOMPARE(w->cbobusc->text(), orden);
        QVERIFY(w->optCod->isChecked());
        QCOMPARE(codigosDeLaGrilla(w), antes);
        QVERIFY(!QApplication::overrideCursor());

        // The window searches again once the clerk mends the words.
        escribir(w->Text1, QStringLiteral("3124"));
        escribir(w->Text3, QString());
        escribir(w->cbobusc, QStringLiteral("codigo"));
        QTest::keyClick(w->cbobusc, Qt::Key_Return);
        QCOMPARE(MessageBox::takeShown().size(), 0);
        QCOMPARE(codigosDeLaGrilla(w), QStringList{"3124"});
    }

    void thePointerIsBusyWhileAQueryRuns()
    {
        FrmConsulVemtaro* w = m_support->abrirCuadro();
        const auto shapes = punteroAlReposicionar(w->dcdatos, [&] {
            buscar(w);
            QTest::mouseClick(w->cmdRestablecer, Qt::LeftButton);
        });
        QCOMPARE(shapes, (QList<Qt::CursorShape>{Qt::WaitCursor, Qt::WaitCursor}));
        QVERIFY(!QApplication::overrideCursor());
    }

    void resetShowsEveryDescribedAccountByCodeWhateverTheMode_data()
    {
        QTest::addColumn<QString>("opcion");
        QTest::newRow("description") << "OptDesc";
        QTest::newRow("class") << "Optclase";
        QTest::newRow("code") << "optCod";
        QTest::newRow("rubro") << "optRubr";
        QTest::newRow("useful life") << "optVidaU";
    }

    void resetShowsEveryDescribedAccountByCodeWhateverTheMode()
    {
        QFETCH(QString, opcion);
        m_support->usarCuentas(cuentasDePrueba());
        FrmConsulVemtaro* w = m_support->abrirCuadro();
        // At start the grid holds the whole table in its own order, the undescribed one too.
        QCOMPARE(codigosDeLaGrilla(w).size(), cuentasDePrueba().size());
        elegir(w->findChild<QRadioButton*>(opcion));
        escribir(w->Text1, QStringLiteral("mesa"));
        escribir(w->Text3, QStringLiteral("roble"));
        escribir(w->Text4, QStringLiteral("x"));
        escribir(w->cbobusc, QStringLiteral("rubro desc"));
        buscar(w);

        QTest::mouseClick(w->cmdRestablecer, Qt::LeftButton);
        QCOMPARE(w->TxtSQL->text(), textoRestablecer);
        QCOMPARE(codigosDeLaGrilla(w),
                 (QStringList{"112", "120", "130", "200", "312", "3124", "45", "500"}));
        QCOMPARE(w->dcdatos->caption(), QStringLiteral("Registro:1 de 8"));
        QCOMPARE(w->Text1->text(), QString());
        QCOMPARE(w->Text3->text(), QStringLiteral("roble"));
        QCOMPARE(w->Text4->text(), QStringLiteral("x"));
        QCOMPARE(w->cbobusc->text(), QStringLiteral("rubro desc"));
        QVERIFY(w->findChild<QRadioButton*>(opcion)->isChecked());
    }

    void optionsChooseTheWordsInput_data()
    {
        QTest::addColumn<QString>("opcion");
        QTest::addColumn<QString>("lista");   ///< the lookup list shown, or none
        QTest::addColumn<bool>("restablece"); ///< empties Text1 and resets the result
        QTest::newRow("OptDesc") << "OptDesc"
                                 << "" << true;
        QTest::newRow("Optclase") << "Optclase"
                                  << "" << true;
        QTest::newRow("optCod") << "optCod"
                                << "DataCodigo" << true;
        QTest::newRow("optRubr") << "optRubr"
                                 << "DataRubro" << false;
        QTest::newRow("optVidaU") << "optVidaU"
                                  << "DataVidaU" << false;
    }

    void optionsChooseTheWordsInput()
    {
        QFETCH(QString, opcion);
        QFETCH(QString, lista);
        QFETCH(bool, restablece);
        m_support->usarCuentas(cuentasDePrueba());
        FrmConsulVemtaro* w = m_support->abrirCuadro();
        // Start from another option with its list shown, and a search done.
        QRadioButton* otra = opcion == QLatin1String("optVidaU") ? w->optRubr : w->optVidaU;
        elegir(otra);
        escribir(w->Text1, QStringLiteral("1"));
        escribir(w->Text3, QStringLiteral("de"));
        escribir(w->Text4, QStringLiteral("o"));
        buscar(w);
        const QString busqueda = w->TxtSQL->text();
        const QStringList resultado = codigosDeLaGrilla(w);
        QVERIFY(resultado.size() < 8);
        // The description option is the one that enables the first word again.
        w->Text1->setEnabled(false);

        elegir(w->findChild<QRadioButton*>(opcion));
        QVERIFY(w->Text1->isVisible());
        for (const char* combo : {"DataCodigo", "DataRubro", "DataVidaU"})
            QCOMPARE(w->findChild<QWidget*>(QLatin1String(combo))->isVisible(),
                     lista == QLatin1String(combo));
        QCOMPARE(w->Text1->isEnabled(), opcion == QLatin1String("OptDesc"));
        QCOMPARE(w->Text1->text(), restablece ? QString() : QStringLiteral("1"));
        QCOMPARE(w->TxtSQL->text(), restablece ? textoRestablecer : busqueda);
        QCOMPARE(codigosDeLaGrilla(w).size(), restablece ? 8 : resultado.size());
        QCOMPARE(w->Text3->text(), QStringLiteral("de"));
        QCOMPARE(w->Text4->text(), QStringLiteral("o"));
        QCOMPARE(w->cbobusc->text(), QStringLiteral("descripcion"));
    }

    void choosingFromTheListFillsTheFirstWordOnly()
    {
        m_support->usarCuentas(cuentasDePrueba());
        FrmConsulVemtaro* w = m_support->abrirCuadro();
        elegir(w->optRubr);
        const QString caption = w->dcdatos->caption();
        w->DataRubro->setFocus();
        QTest::keyClick(w->DataRubro, Qt::Key_Down);
        QCOMPARE(w->Text1->text(), w->DataRubro->itemText(0));
        QCOMPARE(w->dcdatos->caption(), caption);
        buscar(w);
        QVERIFY(w->TxtSQL->text().startsWith(
            QStringLiteral("SELECT * FROM vemtaro WHERE rubro LIKE '*%1*'")
                .arg(w->DataRubro->itemText(0))));
    }

    void focusOnTheFirstWordSelectsItWhole()
    {
        FrmConsulVemtaro* w = m_support->abrirCuadro();
        escribir(w->Text1, QStringLiteral("mesa roble"));
        w->Text3->setFocus();
        w->Text1->setFocus();
        QCOMPARE(w->Text1->selectedText(), QStringLiteral("mesa roble"));
        QTest::keyClicks(w->Text1, QStringLiteral("silla"));
        QCOMPARE(w->Text1->text(), QStringLiteral("silla"));
        // The other word boxes keep their caret.
        escribir(w->Text3, QStringLiteral("pino"));
        w->Text1->setFocus();
        w->Text3->setFocus();
        QCOMPARE(w->Text3->selectedText(), QString());
    }

    void everyBoxAndComboHasAnAccessibleName()
    {
        FrmConsulVemtaro* w = m_support->abrirCuadro();
        const QMap<QString, QString> nombres = nombresAccesibles(w);
        QCOMPARE(nombres.keys(QString()), QStringList());
        for (const char* nombre : {"Palabra 1", "Palabra 2", "Palabra 3", "Ordenado por", "Cuenta",
                                   "Subcuenta", "Descripcion", "Rubro", "Vida Util", "Observ."})
            QVERIFY2(nombres.values().contains(QLatin1String(nombre)), nombre);
        QCOMPARE(w->Text3->accessibleName(), QStringLiteral("Palabra 2"));
        QCOMPARE(w->Text2->accessibleName(), QStringLiteral("Vida Util"));
    }

private:
    std::unique_ptr<ChartTestSupport> m_support;
};

QTEST_MAIN(TestBusqueda)
#include "tst_busqueda.moc"
