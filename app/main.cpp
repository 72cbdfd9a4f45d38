#include "chart/Ventanas.h"
#include "db/DbError.h"
#include "platform/MessageBox.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    vemtaro::prepararAplicacion();
    try {
        vemtaro::prepararCarpetaDeDatos();
    } catch (const vemtaro::db::DbError& error) {
        vemtaro::platform::MessageBox::showError(error.description());
        return 1;
    }
    if (!vemtaro::mostrarFrmConsulVemtaro())
        return 1;
    return app.exec();
}
