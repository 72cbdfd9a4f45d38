#pragma once

#include <QMap>
#include <QTemporaryDir>
#include <QWidget>
#include <functional>

class QAbstractItemView;
class QComboBox;
class QLineEdit;
class QRadioButton;

namespace vemtaro {
class FrmConsulVemtaro;
class FrmConsulExt;
namespace platform {
class DataControl;
}
} // namespace vemtaro

/// A fresh data folder with the default database for each test, boxes answered by the seam.
class ChartTestSupport {
public:
    ChartTestSupport();
    ~ChartTestSupport();

    /// Creates and shows the chart window as the program does, and waits until it is exposed.
    vemtaro::FrmConsulVemtaro* abrirCuadro();
    /// Opens the chart window and, with its "Busqueda Avanzada", the extended search window.
    vemtaro::FrmConsulExt* abrirExtendida();
    /// Processes pending deletions (closed windows are deleted later).
    static void procesarCierres();
    /// The visible top-level window named `name`, or null.
    static QWidget* ventanaVisible(const QString& name);
    /// Runs `sql` on the data folder's database and returns the first column of the first row;
    /// a null and a missing row both read as an empty text, a failure as "<error: ...>".
    QString consultar(const QString& sql) const;
    /// Replaces the accounts of the data folder's database by `filas`, in this order: each
    /// holds CODIGO, CLASE, DESCRIPCION, RUBRO, VIDA_UTIL and OBSERVACIONES, a null QString
    /// for a null field. Call it before opening the window.
    void usarCuentas(const QList<QStringList>& filas) const;
    /// The same for table `extendido`: each row holds Ord, Codigo, Clase and Descripcion.
    void usarExtendido(const QList<QStringList>& filas) const;

private:
    void reemplazarFilas(const QByteArray& tabla, const QByteArrayList& campos,
                         const QList<QStringList>& filas) const;

    QTemporaryDir m_home;
};

/// Replaces the text of `box` as the clerk does: focus, select all, type (or delete).
void escribir(QLineEdit* box, const QString& text);
/// The same for the edit field of `combo`.
void escribir(QComboBox* combo, const QString& text);
/// Clicks the option's round button, as the clerk does.
void elegir(QRadioButton* opcion);
/// The texts of one column of a grid, top to bottom.
QStringList columnaDeLaGrilla(const QAbstractItemView* grilla, int columna);
/// The control that holds the focus, taking a combo's inner edit field as the combo itself.
QString nombreConFoco();
/// The controls the focus visits, by name, when Tab is pressed `veces` times.
QStringList recorridoConTab(int veces);
/// The accessible name of every box and combo of `ventana`, by object name.
QMap<QString, QString> nombresAccesibles(const QWidget* ventana);
/// Checks that exactly one message box was shown since the last look: "Error: " and a
/// description, OK only, with the application's title.
void comprobarUnSoloError();
/// The names among `nombres` of the controls of `ventana` for which `propiedad` holds, in order.
QStringList controlesQue(const QWidget* ventana, const QStringList& nombres,
                         bool (QWidget::*propiedad)() const = &QWidget::isEnabled);
/// Checks the chart window's browsing state: every command button but "Salvar" enabled, and of
/// the text boxes only the three search words.
void comprobarNavegando(const QWidget* cuadro);
/// Checks the chart window's adding or editing state: only "Salvar" and "Cancelar" enabled, and
/// every text box; `rubro` is whether txtrubro is still enabled (leaving the description
/// disables it).
void comprobarEditando(const QWidget* cuadro, bool rubro = true);
/// The pointer's shape at each reposition of `fuente` while `acciones` run.
QList<Qt::CursorShape> punteroAlReposicionar(vemtaro::platform::DataControl* fuente,
                                             const std::function<void()>& acciones);
