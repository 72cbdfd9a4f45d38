#include "ExtTestSupport.h"

#include "../chart/ChartTestSupport.h"
#include "extsearch/FrmConsulExt.h"

QList<QStringList> extendidoDePrueba()
{
    const QString nulo;
    return {
        {"1", "1101", "11", "MESA DE MADERA"},
        {"2", "1102", "12", "MESA DE METAL"},
        {"3", "2101", "21", "SILLA DE MADERA"},
        {"4", "1201", "01", nulo},
        {"5", "3101", "31", "mesa de madera lustrada"},
        {"6", "1103", "13", "ESTANTE DE MADERA Y METAL"},
        {"7", "2201", "22", "MESA DE MADERA " + puntos(35)},
        {"8", "1104", "1", "ARMARIO"},
        {"9", nulo, "41", "MESA SIN CODIGO"},
        {"10", "1105", "112", "MESA RATONA"},
    };
}

QStringList ordsDeLaGrilla(const vemtaro::FrmConsulExt* w)
{
    return columnaDeLaGrilla(w->dbgResultados, 0);
}

QString puntos(int cuantos)
{
    return QString(cuantos, QLatin1Char('.'));
}
