#pragma once

#include <QTemporaryDir>
#include <QWidget>

namespace vemtaro {
class FrmConsulVemtaro;
}

/// A fresh data folder with the default database for each test, boxes answered by the seam.
class ChartTestSupport {
public:
    ChartTestSupport();
    ~ChartTestSupport();

    /// Creates and shows the chart window as the program does, and waits until it is exposed.
    vemtaro::FrmConsulVemtaro* abrirCuadro();
    /// Processes pending deletions (closed windows are deleted later).
    static void procesarCierres();
    /// The visible top-level window named `name`, or null.
    static QWidget* ventanaVisible(const QString& name);
    /// The chart window's command buttons and text boxes, by name in creation order.
    static QStringList allCommandButtons();
    static QStringList allTextBoxes();
    /// The control that holds the focus, taking a combo's inner edit field as the combo.
    static QString focusedName();
    /// Runs `sql` on the data folder's database and returns the first column of the first row.
    QString consultar(const QString& sql) const;
    /// Replaces the accounts of the data folder's database by `filas`, in this order: each
    /// holds CODIGO, CLASE, DESCRIPCION, RUBRO, VIDA_UTIL and OBSERVACIONES, a null QString
    /// for a null field. Call it before opening the window.
    void usarCuentas(const QList<QStringList>& filas) const;

private:
    QTemporaryDir m_home;
};
