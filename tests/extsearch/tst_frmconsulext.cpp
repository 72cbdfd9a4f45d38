// The extended search window as the clerk first sees it, and its keyboard: the state at
// opening, the zoom pair, the exclude boxes' select on entry, the tab order, the names.
#include "../chart/ChartTestSupport.h"
#include "ExtTestSupport.h"

#include "chart/FrmConsulVemtaro.h"
#include "extsearch/FrmConsulExt.h"
#include "platform/MessageBox.h"

#include <QApplication>
#include <QHeaderView>
#include <QTest>

using namespace vemtaro;
using platform::TextBox;

namespace {

/// What follows the caption's run of blanks.
QString creditLine(const QString& title)
{
    return title.mid(title.indexOf(QStringLiteral("     "))).trimmed();
}

} // namespace

class TestFrmConsulExt : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { m_support = std::make_unique<ChartTestSupport>(); }
    void cleanup() { m_support.reset(); }

    void opensOnTheWholeTableWithItsPlaceholders()
    {
        m_support->usarExtendido(extendidoDePrueba());
        const QString chartTitle = FrmConsulVemtaro().windowTitle();
        FrmConsulExt* w = m_support->abrirExtendida();
        QVERIFY(w && w->isVisible());
        QVERIFY(w->windowTitle().startsWith(QStringLiteral("Consulta Extendida     ")));
        QVERIFY(!creditLine(chartTitle).isEmpty());
        QCOMPARE(creditLine(w->windowTitle()), creditLine(chartTitle));

        // Every row in the table's own order, the undescribed one too.
        QCOMPARE(ordsDeLaGrilla(w),
                 (QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}));
        QCOMPARE(w->dcdatos->caption(), QStringLiteral("Registro:1 de 10"));
        QStringList headers;
        for (int column = 0; column < w->dbgResultados->model()->columnCount(); ++column)
            headers << w->dbgResultados->model()->headerData(column, Qt::Horizontal).toString();
        QCOMPARE(headers, (QStringList{"Ord", "Codigo", "Clase", "Descripcion"}));

        QVERIFY(w->OptDesc->isChecked() && !w->Optclase->isChecked() && !w->optCod->isChecked());
        for (TextBox* incluida : {w->Text1, w->Text2, w->Text3, w->Text4})
            QCOMPARE(incluida->text(), QString());
        QCOMPARE(w->Text5->text(), puntos(34) + QString(50, QLatin1Char(' ')));
        QCOMPARE(w->Text6->text(), puntos(34));
        QCOMPARE(w->Text7->text(), puntos(34));
        QCOMPARE(w->cbobusc->text(), QStringLiteral("descripcion"));
        QCOMPARE(w->TxtSQL->text(), QString());
        QVERIFY(!w->TxtSQL->isVisible());
        QCOMPARE(nombreConFoco(), QStringLiteral("dbgResultados"));
        QCOMPARE(platform::MessageBox::takeShown().size(), 0);
    }

    void zoomAlternatesBetweenNineAndThirteen()
    {
        FrmConsulExt* w = m_support->abrirExtendida();
        const qreal header = w->dbgResultados->horizontalHeader()->font().pointSizeF();
        // Opened from the chart window, only the smaller-text button shows.
        QVERIFY(!w->cmdzoom1->isVisible());
        QVERIFY(w->cmdzoom2->isVisible());
        QList<qreal> sizes;
        for (int press = 0; press < 4; ++press) {
            platform::CommandButton* visible = w->cmdzoom2->isVisible() ? w->cmdzoom2 : w->cmdzoom1;
            QTest::mouseClick(visible, Qt::LeftButton);
            QVERIFY(w->cmdzoom1->isVisible() != w->cmdzoom2->isVisible());
            QVERIFY(!visible->isVisible());
            sizes << w->dbgResultados->fontSize();
        }
        QCOMPARE(sizes, (QList<qreal>{9, 13, 9, 13}));
        QCOMPARE(w->dbgResultados->horizontalHeader()->font().pointSizeF(), header);
    }

    void enteringAnExcludeBoxSelectsItWhole()
    {
        FrmConsulExt* w = m_support->abrirExtendida();
        // By Tab from the box before.
        w->Text4->setFocus();
        QTest::keyClick(w->Text4, Qt::Key_Tab);
        QCOMPARE(nombreConFoco(), QStringLiteral("Text5"));
        QCOMPARE(w->Text5->selectedText(), w->Text5->text());
        QCOMPARE(w->Text5->selectionStart(), 0);
        QTest::keyClicks(w->Text5, QStringLiteral("metal"));
        QCOMPARE(w->Text5->text(), QStringLiteral("metal"));

        // By a click anywhere in the box, however long its text.
        for (TextBox* caja : {w->Text6, w->Text7, w->Text5}) {
            const QString antes = caja->text();
            QTest::mouseClick(caja, Qt::LeftButton, {}, QPoint(caja->width() - 4, 8));
            QCOMPARE(caja->selectedText(), antes);
            QTest::keyClicks(caja, QStringLiteral("x"));
            QCOMPARE(caja->text(), QStringLiteral("x"));
        }

        // An include box keeps its caret where the click puts it.
        escribir(w->Text2, QStringLiteral("madera"));
        w->Text1->setFocus();
        QTest::mouseClick(w->Text2, Qt::LeftButton, {}, QPoint(w->Text2->width() - 4, 8));
        QCOMPARE(w->Text2->selectedText(), QString());
    }

    void tabOrderFollowsTheTabIndexSkippingWhatCannotTakeFocus()
    {
        QVERIFY(m_support->abrirExtendida());
        QCOMPARE(nombreConFoco(), QStringLiteral("dbgResultados"));
        // The selected option alone takes a tab stop; the hidden TxtSQL and cmdzoom1 none.
        const QStringList expected = {"OptDesc",     "cmdRestablecer", "Text1",        "Text2",
                                      "Text3",       "Text4",          "Text5",        "Text6",
                                      "Text7",       "CmdEjecutar",    "cmdSalir",     "cmdzoom2",
                                      "CmdImprimir", "cbobusc",        "dbgResultados"};
        QCOMPARE(recorridoConTab(expected.size()), expected);
    }

    void everyBoxAndComboHasItsAccessibleName()
    {
        FrmConsulExt* w = m_support->abrirExtendida();
        QStringList nombres = nombresAccesibles(w).values();
        nombres.sort();
        QCOMPARE(nombres,
                 (QStringList{"Consulta", "Excluir 1", "Excluir 2", "Excluir 3", "Ordenado por",
                              "Palabra 1", "Palabra 2", "Palabra 3", "Palabra 4"}));
        QCOMPARE(w->Text2->accessibleName(), QStringLiteral("Palabra 2"));
        QCOMPARE(w->Text7->accessibleName(), QStringLiteral("Excluir 3"));
    }

private:
    std::unique_ptr<ChartTestSupport> m_support;
};

QTEST_MAIN(TestFrmConsulExt)
#include "tst_frmconsulext.moc"
