// The chart window's basic search, driven as a clerk drives it: words typed into the boxes, an
// option clicked, "Ejecutar Busqueda" pressed; the query texts, what they find, a rejected one,
// the reset, and what each option does to the words and the result.
#include "ChartTestSupport.h"

#include "chart/FrmConsulVemtaro.h"
#include "platform/MessageBox.h"

#include <QTest>

using namespace vemtaro;
using namespace Qt::StringLiterals;
using platform::MessageBox;

namespace {

const QString textoRestablecer =
    u"SELECT * FROM vemtaro WHERE descripcion LIKE '*' ORDER BY codigo"_s;
const QStringList describidasPorCodigo = {"112", "120", "130", "200", "312", "3124", "45", "500"};
/// The whole table in its own order, the undescribed account 12 too.
const QStringList todas = {"112", "120", "3124", "200", "12", "45", "130", "312", "500"};
/// Heads the codes of a row whose query is rejected: those the grid keeps.
const QString rechazada = u"<rechazada>"_s;

/// CODIGO, CLASE, DESCRIPCION, RUBRO, VIDA_UTIL, OBSERVACIONES; account 12 has no description.
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

QStringList codigosDeLaGrilla(FrmConsulVemtaro* w)
{
    return columnaDeLaGrilla(w->dbgResultados, 0);
}

/// The search's inputs: the checked option, the three words and the ordering.
QStringList entrada(FrmConsulVemtaro* w)
{
    QString opcion;
    for (auto* boton : w->Frame1->findChildren<QRadioButton*>())
        if (boton->isChecked())
            opcion = boton->objectName();
    return {opcion, w->Text1->text(), w->Text3->text(), w->Text4->text(), w->cbobusc->text()};
}

/// Clicks the option of `campos` (laid out as entrada()), types its words and ordering and
/// runs the search.
void buscar(FrmConsulVemtaro* w, const QStringList& campos)
{
    elegir(w->findChild<QRadioButton*>(campos[0]));
    escribir(w->Text1, campos[1]);
    escribir(w->Text3, campos[2]);
    escribir(w->Text4, campos[3]);
    escribir(w->cbobusc, campos[4]);
    QTest::mouseClick(w->CmdEjecutar, Qt::LeftButton);
}

void fila(const char* nombre, const QStringList& campos, const QStringList& codigos,
          const QString& consulta = {})
{
    QTest::newRow(nombre) << campos << codigos << consulta;
}

} // namespace

class TestBusqueda : public QObject {
    Q_OBJECT

    FrmConsulVemtaro* abrir()
    {
        m_support->usarCuentas(cuentasDePrueba());
        return m_support->abrirCuadro();
    }

private Q_SLOTS:
    void init() { m_support = std::make_unique<ChartTestSupport>(); }
    void cleanup() { m_support.reset(); }

    void searchesFindTheirAccountsAndResetShowsAll_data()
    {
        QTest::addColumn<QStringList>("campos"); ///< as entrada()
        QTest::addColumn<QStringList>("codigos");
        QTest::addColumn<QString>("consulta"); ///< the query text, where the row gives it
        fila("description, worked example", {"OptDesc", "mesa", "roble", "", "descripcion"},
             {"112", "200"},
             u"SELECT * FROM vemtaro WHERE descripcion LIKE '*mesa*'and Descripcion LIKE "
             "'*roble*' and Descripcion LIKE '**' ORDER BY descripcion"_s);
        fila("code, blanks kept, nothing found", {"optCod", " 12", "A ", "b", "clase"}, {},
             u"SELECT * FROM vemtaro WHERE codigo LIKE '* 12*'and Descripcion LIKE '*A *' and "
             "Descripcion LIKE '*b*' ORDER BY clase"_s);
        fila("code anywhere in the code", {"optCod", "12", "", "", "codigo"},
             {"112", "120", "312", "3124"});
        fila("code needs the second word", {"optCod", "12", "roble", "", "codigo"},
             {"112", "3124"});
        fila("code needs the third word", {"optCod", "12", "", "pino", "codigo"}, {"120"});
        fila("descending order as typed", {"optCod", "12", "", "", "codigo DESC"},
             {"3124", "312", "120", "112"});
        fila("class, worked example: a prefix, other words and ordering ignored",
             {"Optclase", "12", "roble", "pino", "rubro"}, {"200", "3124", "45"},
             u"SELECT * FROM vemtaro WHERE Clase LIKE '12*' ORDER BY codigo"_s);
        fila("rubro anywhere in the rubro, case kept",
             {"optRubr", "Inmueble", "", "e", "vida_util desc"}, {"500"},
             u"SELECT * FROM vemtaro WHERE rubro LIKE '*Inmueble*'and Descripcion LIKE '**' and "
             "Descripcion LIKE '*e*' ORDER BY vida_util desc"_s);
        fila("useful life on its text", {"optVidaU", "5", "", "", "codigo"}, {"3124", "45", "500"},
             u"SELECT * FROM vemtaro WHERE Vida_Util LIKE '*5*'and Descripcion LIKE '**' and "
             "Descripcion LIKE '**' ORDER BY codigo"_s);
        // A rejected query is kept as built, the words as typed (a quote not doubled).
        fila("rejected: quote in a word", {"optCod", "o'brien", "de", "", "codigo"},
             QStringList{rechazada} + describidasPorCodigo,
             u"SELECT * FROM vemtaro WHERE codigo LIKE '*o'brien*'and Descripcion LIKE '*de*' "
             "and Descripcion LIKE '**' ORDER BY codigo"_s);
        fila("rejected: ordering by no field", {"OptDesc", "mesa", "", "", "precio"},
             QStringList{rechazada} + todas);
        fila("rejected: empty ordering", {"optVidaU", "1", "de", "", ""},
             QStringList{rechazada} + todas);
    }

    void searchesFindTheirAccountsAndResetShowsAll()
    {
        QFETCH(QStringList, campos);
        QFETCH(QStringList, codigos);
        QFETCH(QString, consulta);
        FrmConsulVemtaro* w = abrir();
        buscar(w, campos);
        if (codigos.value(0) == rechazada) {
            // Told once; the result the clerk had stays.
            comprobarUnSoloError();
            QVERIFY(w->TxtSQL->text().endsWith("' ORDER BY " + campos[4]));
            codigos.removeFirst();
        } else {
            QCOMPARE(MessageBox::takeShown().size(), 0);
        }
        if (!consulta.isEmpty())
            QCOMPARE(w->TxtSQL->text(), consulta);
        QCOMPARE(entrada(w), campos);
        QCOMPARE(codigosDeLaGrilla(w), codigos);
        // The first account found is current; with none, the editor is empty.
        QCOMPARE(w->txtCuenta->text(), codigos.value(0));

        QTest::mouseClick(w->cmdRestablecer, Qt::LeftButton);
        QCOMPARE(MessageBox::takeShown().size(), 0);
        QCOMPARE(w->TxtSQL->text(), textoRestablecer);
        QCOMPARE(codigosDeLaGrilla(w), describidasPorCodigo);
        QCOMPARE(w->txtCuenta->text(), u"112"_s);
        campos[1].clear(); // only the first word goes
        QCOMPARE(entrada(w), campos);
    }

    void optionsOfferTheirListAndResetOrKeepTheResult_data()
    {
        QTest::addColumn<QString>("lista");   ///< the lookup list shown under Text1, or none
        QTest::addColumn<bool>("restablece"); ///< empties Text1 and resets the result
        QTest::newRow("OptDesc") << QString() << true;
        QTest::newRow("Optclase") << QString() << true;
        QTest::newRow("optCod") << u"DataCodigo"_s << true;
        QTest::newRow("optRubr") << u"DataRubro"_s << false;
        QTest::newRow("optVidaU") << u"DataVidaU"_s << false;
    }

    void optionsOfferTheirListAndResetOrKeepTheResult()
    {
        QFETCH(QString, lista);
        QFETCH(bool, restablece);
        const QString opcion = QString::fromLatin1(QTest::currentDataTag());
        FrmConsulVemtaro* w = abrir();
        // From another option with its list shown, and a search done.
        buscar(w,
               {opcion == "optVidaU"_L1 ? "optRubr" : "optVidaU", "1", "de", "o", "descripcion"});
        const QString busqueda = w->TxtSQL->text();
        const QStringList resultado = codigosDeLaGrilla(w);
        QVERIFY(resultado.size() < 8);
        // The description option is the one that enables the first word again.
        w->Text1->setEnabled(false);

        elegir(w->findChild<QRadioButton*>(opcion));
        QVERIFY(w->Text1->isVisible());
        QCOMPARE(controlesQue(w, {"DataCodigo", "DataRubro", "DataVidaU"}, &QWidget::isVisible),
                 lista.isEmpty() ? QStringList() : QStringList{lista});
        QCOMPARE(w->Text1->isEnabled(), opcion == "OptDesc"_L1);
        QCOMPARE(w->TxtSQL->text(), restablece ? textoRestablecer : busqueda);
        QCOMPARE(codigosDeLaGrilla(w), restablece ? describidasPorCodigo : resultado);
        QCOMPARE(entrada(w),
                 (QStringList{opcion, restablece ? "" : "1", "de", "o", "descripcion"}));
        if (lista.isEmpty())
            return;

        // Choosing an entry copies it into the first word, and moves no record.
        auto* combo = w->findChild<QComboBox*>(lista);
        const QString caption = w->dcdatos->caption();
        w->Text1->setText(u"no es de la lista"_s); // the box may be disabled
        combo->setFocus();
        QTest::keyClick(combo, Qt::Key_Down);
        QTest::keyClick(combo, Qt::Key_Down);
        QCOMPARE(entrada(w), (QStringList{opcion, combo->itemText(1), "de", "o", "descripcion"}));
        QCOMPARE(w->dcdatos->caption(), caption);
    }

    void focusOnTheFirstWordSelectsItWhole()
    {
        FrmConsulVemtaro* w = m_support->abrirCuadro();
        escribir(w->Text1, u"mesa roble"_s);
        escribir(w->Text3, u"pino"_s);
        w->Text1->setFocus();
        QTest::keyClicks(w->Text1, u"silla"_s);
        QCOMPARE(w->Text1->text(), u"silla"_s);
        // The other word boxes keep their caret.
        w->Text3->setFocus();
        QCOMPARE(w->Text3->selectedText(), QString());
    }

private:
    std::unique_ptr<ChartTestSupport> m_support;
};

QTEST_MAIN(TestBusqueda)
#include "tst_busqueda.moc"
