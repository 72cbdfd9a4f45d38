// vemtaro-importar ORIGEN.mdb DESTINO.sqlite: builds an accounts database from an office's
// Access database, as the program does at its first start, for whoever prepares a machine.
#include "db/DbError.h"
#include "import/Importer.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (arguments.size() != 2) {
        err << "Uso: vemtaro-importar ORIGEN.mdb DESTINO.sqlite\n"
               "Crea la base de datos de vemtaro DESTINO.sqlite a partir de la base de datos de "
               "Access ORIGEN.mdb y escribe el resumen de la importación. Nunca reemplaza un "
               "DESTINO que ya exista.\n";
        return 2;
    }
    try {
        out << vemtaro::importing::importAccessDatabase(arguments[0], arguments[1]).text();
        return 0;
    } catch (const vemtaro::db::DbError& error) {
        err << error.description() << '\n';
        return 1;
    }
}
