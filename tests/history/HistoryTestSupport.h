#pragma once

#include <QString>

class QAbstractButton;
class QAbstractItemView;
class ChartTestSupport;

namespace vemtaro {
class FrmConsulVemtaro;
class FrmHistorial;
} // namespace vemtaro

/// Opens the chart window on five accounts, ids 1 to 5: 112 01 "MESA DE ROBLE" (life 10),
/// 120 02 "mesa de luz" (10, remarks "con cajón"), 3124 12 "SILLA DE ROBLE" (5), 45 120
/// "ESCRITORIO METALICO" (15), 500 212 "ÑANDÚ *DISECADO*" (50, "vitrina"); the first is current.
vemtaro::FrmConsulVemtaro* abrirConCuentas(ChartTestSupport& soporte);

void pulsar(QAbstractButton* boton);

/// Runs `sql` on the data folder's database as another program would; a failure fails the test.
void ejecutar(const QString& sql);

/// The chart window's "Historial" clicked: the history window it opened, or null.
vemtaro::FrmHistorial* abrirHistorial(vemtaro::FrmConsulVemtaro* cuadro);

/// Opens the editor of a grid's cell with F2, types `text` over what it shows and presses
/// Enter; the edit is written when another row becomes current.
void escribirEnCelda(QAbstractItemView* grilla, int fila, int columna, const QString& text);

/// The newest recorded change as `expresion` over its columns reads it, e.g. "accion".
QString ultimoCambio(const ChartTestSupport& soporte, const QString& expresion);
/// How many changes are recorded.
int cambiosRegistrados(const ChartTestSupport& soporte);
