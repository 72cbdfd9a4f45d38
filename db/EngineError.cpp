#include "EngineError.h"

#include <QStringList>
#include <sqlite3.h>

namespace vemtaro::db {
namespace {

// The fields named after the colon of a constraint message ("UNIQUE constraint failed:
// vemtaro.CODIGO, vemtaro.CLASE"), without their table.
QString constraintFields(const QString& message)
{
    QStringList fields = message.section(QLatin1String(": "), 1).split(QLatin1String(", "));
    for (QString& field : fields)
        field = field.section(QLatin1Char('.'), -1);
    return fields.join(QLatin1String(", "));
}

DbError constraintFailure(int code, const QString& message)
{
    switch (code) {
    case SQLITE_CONSTRAINT_TRIGGER:
        return DbError(message);
    case SQLITE_CONSTRAINT_UNIQUE:
    case SQLITE_CONSTRAINT_PRIMARYKEY:
        return DbError(QStringLiteral("Ya hay otro registro con el mismo valor en %1.")
                           .arg(constraintFields(message)));
    case SQLITE_CONSTRAINT_NOTNULL:
        return DbError(
            QStringLiteral("El campo %1 no puede quedar vacío.").arg(constraintFields(message)));
    case SQLITE_CONSTRAINT_CHECK:
        return DbError(QStringLiteral("Un valor no cumple la condición «%1» de la tabla.")
                           .arg(constraintFields(message)));
    default:
        return DbError(QStringLiteral("El registro no cumple una regla de la base de datos."));
    }
}

} // namespace

QString engineReason(int code)
{
    switch (code & 0xFF) {
    case SQLITE_NOTADB:
        return QStringLiteral("el archivo no es una base de datos");
    case SQLITE_CORRUPT:
        return QStringLiteral("el archivo parece dañado");
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("otro programa la está usando");
    case SQLITE_CANTOPEN:
        return QStringLiteral("no se puede abrir el archivo");
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return QStringLiteral("no hay permiso de acceso");
    case SQLITE_READONLY:
        return QStringLiteral("el archivo es de solo lectura");
    case SQLITE_IOERR:
        return QStringLiteral("falló la lectura o la escritura del disco");
    case SQLITE_FULL:
        return QStringLiteral("el disco está lleno");
    case SQLITE_NOMEM:
        return QStringLiteral("no hay memoria suficiente");
    case SQLITE_TOOBIG:
        return QStringLiteral("un valor es demasiado grande");
    case SQLITE_CONSTRAINT:
        return QStringLiteral("un valor no cumple una regla de la base de datos");
    default:
        return QStringLiteral("error interno del motor de la base de datos (código %1)").arg(code);
    }
}

DbError engineFailure(sqlite3* db)
{
    const int code = sqlite3_extended_errcode(db);
    const char* name = sqlite3_db_filename(db, "main");
    const QString file = QString::fromUtf8(name ? name : "");
    switch (code & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return DbError(QStringLiteral("La base de datos «%1» está en uso por otro programa; "
                                      "inténtelo de nuevo en unos momentos.")
                           .arg(file));
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return DbError(QStringLiteral("La base de datos «%1» parece dañada: no se pudo leer una "
                                      "parte del archivo. Conviene restaurar una copia de "
                                      "seguridad.")
                           .arg(file));
    case SQLITE_CONSTRAINT:
        return constraintFailure(code, QString::fromUtf8(sqlite3_errmsg(db)));
    case SQLITE_READONLY:
        return DbError(
            QStringLiteral("No se puede escribir en la base de datos «%1»: es de solo lectura.")
                .arg(file));
    case SQLITE_FULL:
        return DbError(QStringLiteral("No se pudo guardar: el disco está lleno."));
    default:
        return DbError(
            QStringLiteral("Falló la base de datos «%1»: %2.").arg(file, engineReason(code)));
    }
}

} // namespace vemtaro::db
