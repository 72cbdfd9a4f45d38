#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QAbstractItemView;
class ChartTestSupport;

namespace vemtaro {
class FrmConsulVemtaro;
class FrmHistorial;
} // namespace vemtaro

/// Accounts for these tests, in key order (ids 1 to 5): CODIGO, CLASE, DESCRIPCION, RUBRO,
/// VIDA_UTIL, OBSERVACIONES, a null QString for a null field.
QList<QStringList> cuentasDePrueba();

/// Runs `sql` on the data folder's database as another program would; a failure fails the test.
void ejecutar(const QString& sql);

/// The chart window's "Historial" clicked: the history window it opened, or null.
vemtaro::FrmHistorial* abrirHistorial(vemtaro::FrmConsulVemtaro* cuadro);

/// Opens the editor of a grid's cell with F2, types `text` over what it shows and presses
/// Enter; the edit is written when another row becomes current.
void escribirEnCelda(QAbstractItemView* grilla, int fila, int columna, const QString& text);

/// The newest recorded change as `expresion` over its columns reads it, e.g. "accion".
QString ultimoCambio(const ChartTestSupport& soporte, const QString& expresion);
