#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace vemtaro {
class FrmConsulExt;
}

/// A small `extendido` built for these tests: Ord, Codigo, Clase, Descripcion.
///
/// Ord 4 has no description and Ord 9 no code; Ord 7's description holds 35 full stops, which
/// the 34-stop placeholder excludes and the 36-stop one does not; the classes end in 1 (11,
/// 21, 01, 31, 1, 41), in 2 (12, 22, 112) and in 3 (13).
QList<QStringList> extendidoDePrueba();

/// The Ord of the grid's rows, top to bottom.
QStringList ordsDeLaGrilla(const vemtaro::FrmConsulExt* w);

/// What an exclude box holds: 34 full stops at creation, 36 after a reset.
QString puntos(int cuantos);
