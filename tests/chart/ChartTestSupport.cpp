#include "ChartTestSupport.h"

#include "../db/DbTestSupport.h"

#include "chart/FrmConsulVemtaro.h"
#include "chart/Ventanas.h"
#include "db/DataFolder.h"
#include "extsearch/FrmConsulExt.h"
#include "platform/DataControl.h"
#include "platform/MessageBox.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRadioButton>
#include <QTest>
#include <sqlite3.h>

ChartTestSupport::ChartTestSupport()
{
    qputenv("XDG_DATA_HOME", m_home.path().toUtf8());
    vemtaro::prepararAplicacion();
    vemtaro::prepararCarpetaDeDatos();
    vemtaro::platform::MessageBox::setRecording(true);
    vemtaro::platform::MessageBox::takeShown(); // what earlier tests left unread
}

ChartTestSupport::~ChartTestSupport()
{
    // Deleting a window deletes its own top-level children (popups): hold guarded pointers.
    QList<QPointer<QWidget>> windows;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (!window->parentWidget())
            windows.append(window);
    for (const QPointer<QWidget>& window : windows)
        delete window.data();
    procesarCierres();
}

namespace {

/// Makes `window` the active window, as the clerk's click would, and returns it.
template <class Window> Window* activar(Window* window)
{
    if (window) {
        QApplication::setActiveWindow(window);
        if (!QTest::qWaitForWindowActive(window))
            qWarning("%s did not become active", qPrintable(window->objectName()));
    }
    return window;
}

} // namespace

vemtaro::FrmConsulVemtaro* ChartTestSupport::abrirCuadro()
{
    return activar(vemtaro::mostrarFrmConsulVemtaro());
}

vemtaro::FrmConsulExt* ChartTestSupport::abrirExtendida()
{
    vemtaro::FrmConsulVemtaro* cuadro = abrirCuadro();
    if (!cuadro)
        return nullptr;
    QTest::mouseClick(cuadro->cmdBuscAv, Qt::LeftButton);
    procesarCierres();
    return activar(vemtaro::frmConsulExtCargada());
}

void ChartTestSupport::procesarCierres()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

QWidget* ChartTestSupport::ventanaVisible(const QString& name)
{
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->objectName() == name && window->isVisible())
            return window;
    return nullptr;
}

QString ChartTestSupport::consultar(const QString& sql) const
{
    const QString value = OtherProgram(vemtaro::db::databasePath()).scalar(sql.toUtf8());
    return value == u"<null>" || value == u"<none>" ? QString() : value;
}

void ChartTestSupport::usarCuentas(const QList<QStringList>& filas) const
{
    reemplazarFilas("vemtaro",
                    {"CODIGO", "CLASE", "DESCRIPCION", "RUBRO", "VIDA_UTIL", "OBSERVACIONES"},
                    filas);
}

void ChartTestSupport::usarExtendido(const QList<QStringList>& filas) const
{
    reemplazarFilas("extendido", {"Ord", "Codigo", "Clase", "Descripcion"}, filas);
}

void ChartTestSupport::reemplazarFilas(const QByteArray& tabla, const QByteArrayList& campos,
                                       const QList<QStringList>& filas) const
{
    QByteArray sql = "DELETE FROM " + tabla + ";";
    for (const QStringList& fila : filas) {
        QByteArrayList valores;
        for (const QString& valor : fila) {
            // %Q quotes a text, or writes NULL for none.
            char* literal =
                sqlite3_mprintf("%Q", valor.isNull() ? nullptr : valor.toUtf8().constData());
            valores << literal;
            sqlite3_free(literal);
        }
        sql += "INSERT INTO " + tabla + " (" + campos.join(", ") + ") VALUES (" +
               valores.join(", ") + ");";
    }
    OtherProgram(vemtaro::db::databasePath()).exec(sql);
}

void escribir(QLineEdit* box, const QString& text)
{
    box->setFocus();
    box->selectAll();
    if (text.isEmpty())
        QTest::keyClick(box, Qt::Key_Backspace);
    else
        QTest::keyClicks(box, text);
}

void escribir(QComboBox* combo, const QString& text)
{
    combo->setFocus();
    escribir(combo->lineEdit(), text);
}

void elegir(QRadioButton* opcion)
{
    QTest::mouseClick(opcion, Qt::LeftButton, {}, QPoint(6, opcion->height() / 2));
}

QStringList columnaDeLaGrilla(const QAbstractItemView* grilla, int columna)
{
    QStringList textos;
    const QAbstractItemModel* model = grilla->model();
    for (int row = 0; row < model->rowCount(); ++row)
        textos << model->index(row, columna).data().toString();
    return textos;
}

QString nombreConFoco()
{
    QWidget* focus = QApplication::focusWidget();
    while (focus && focus->objectName().isEmpty())
        focus = focus->parentWidget();
    return focus ? focus->objectName() : QString();
}

QStringList recorridoConTab(int veces)
{
    QStringList visitados;
    for (int vez = 0; vez < veces; ++vez) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visitados << nombreConFoco();
    }
    return visitados;
}

QMap<QString, QString> nombresAccesibles(const QWidget* ventana)
{
    QList<QWidget*> controles;
    for (auto* control : ventana->findChildren<QLineEdit*>())
        if (!qobject_cast<QComboBox*>(control->parentWidget()))
            controles << control;
    for (auto* control : ventana->findChildren<QPlainTextEdit*>())
        controles << control;
    for (auto* control : ventana->findChildren<QComboBox*>())
        controles << control;
    QMap<QString, QString> nombres;
    for (QWidget* control : controles)
        nombres.insert(control->objectName(), control->accessibleName());
    return nombres;
}

void comprobarUnSoloError()
{
    using vemtaro::platform::MessageBox;
    const auto shown = MessageBox::takeShown();
    QCOMPARE(shown.size(), 1);
    QVERIFY(shown[0].prompt.startsWith(QStringLiteral("Error: ")));
    QVERIFY(shown[0].prompt.size() > 12);
    QCOMPARE(shown[0].style, int(vemtaro::platform::vbOKOnly));
    QCOMPARE(shown[0].title, MessageBox::applicationTitle());
}

QStringList controlesQue(const QWidget* ventana, const QStringList& nombres,
                         bool (QWidget::*propiedad)() const)
{
    QStringList cumplen;
    for (const QString& nombre : nombres) {
        const auto* control = ventana->findChild<QWidget*>(nombre);
        if (!control)
            qWarning("no control named %s", qPrintable(nombre));
        else if ((control->*propiedad)())
            cumplen << nombre;
    }
    return cumplen;
}

namespace {

/// The chart window's command buttons and text boxes, by name in creation order.
const QStringList botones = {"CmdEjecutar", "cmdRestablecer", "CmdImprimir", "cmdBuscAv",
                             "cmdzoom1",    "cmdzoom2",       "CmdNuevo",    "cmdEdicion",
                             "cmdSalvar",   "cmdEliminar",    "cmdCancelar", "cmdSalir",
                             "cmdAmort",    "cmdReferencias", "cmdHistorial"};
const QStringList cajas = {"TxtSQL",       "Text1",    "Text3",    "Text4", "txtCuenta",
                           "txtSubcuenta", "txtDescr", "txtrubro", "Text2", "txtObserv"};

} // namespace

void comprobarNavegando(const QWidget* cuadro)
{
    QStringList habilitados = botones;
    habilitados.removeAll(QStringLiteral("cmdSalvar"));
    QCOMPARE(controlesQue(cuadro, botones), habilitados);
    QCOMPARE(controlesQue(cuadro, cajas), (QStringList{"Text1", "Text3", "Text4"}));
}

void comprobarEditando(const QWidget* cuadro, bool rubro)
{
    QCOMPARE(controlesQue(cuadro, botones), (QStringList{"cmdSalvar", "cmdCancelar"}));
    QStringList habilitadas = cajas;
    if (!rubro)
        habilitadas.removeAll(QStringLiteral("txtrubro"));
    QCOMPARE(controlesQue(cuadro, cajas), habilitadas);
    // Lists, options, the grid and the record source with its own buttons are left alone, and
    // the query box stays hidden.
    const QStringList otros = {
        "OptDesc",   "Optclase",   "optCod",      "optRubr",      "optVidaU", "DataCodigo",
        "DataRubro", "DataVidaU",  "Datarubro2",  "cbobusc",      "cbobusc2", "dbgResultados",
        "dcdatos",   "cmdPrimero", "cmdAnterior", "cmdSiguiente", "cmdUltimo"};
    QCOMPARE(controlesQue(cuadro, otros), otros);
    QCOMPARE(controlesQue(cuadro, {"TxtSQL"}, &QWidget::isVisible), QStringList());
}

QList<Qt::CursorShape> punteroAlReposicionar(vemtaro::platform::DataControl* fuente,
                                             const std::function<void()>& acciones)
{
    QList<Qt::CursorShape> formas;
    const auto conexion =
        QObject::connect(fuente, &vemtaro::platform::DataControl::Reposition, [&] {
            formas << (QApplication::overrideCursor() ? QApplication::overrideCursor()->shape()
                                                      : Qt::ArrowCursor);
        });
    acciones();
    QObject::disconnect(conexion);
    return formas;
}
