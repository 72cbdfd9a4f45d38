#include "SyntheticChart.h"

#include "db/DbError.h"
#include "db/DefaultData.h"

#include <QFile>
#include <random>
#include <sqlite3.h>
#include <string>

namespace vemtaro::bench {

namespace {

const char* const nouns[] = {
    "MESA",       "SILLA",      "ESCRITORIO", "ARMARIO",     "ESTANTE",   "CAJÓN",    "SILLÓN",
    "PIZARRÓN",   "MÁQUINA",    "TELÉFONO",   "CÁMARA",      "BOMBA",     "MOTOR",    "GRÚA",
    "VEHÍCULO",   "CAMIONETA",  "IMPRESORA",  "MONITOR",     "TECLADO",   "SERVIDOR", "ROUTER",
    "VENTILADOR", "ESTUFA",     "HELADERA",   "MICROSCOPIO", "BALANZA",   "TALADRO",  "SOLDADORA",
    "ARCHIVERO",  "BIBLIOTECA", "MOSTRADOR",  "BANCO",       "CAMILLA",   "LÁMPARA",  "PROYECTOR",
    "GENERADOR",  "TRACTOR",    "CARRETILLA", "EXTINTOR",    "CALEFACTOR"};
const char* const qualities[] = {
    "ROBLE",   "PINO",       "CEDRO",     "METÁLICO", "ELÉCTRICO",   "HIDRÁULICA", "PORTÁTIL",
    "GRANDE",  "PEQUEÑO",    "GIRATORIA", "PLEGABLE", "DIGITAL",     "INDUSTRIAL", "MADERA",
    "ACERO",   "ALUMINIO",   "VIDRIO",    "PLÁSTICO", "CUERO",       "TELA",       "DOBLE",
    "SIMPLE",  "AUTOMÁTICO", "MANUAL",    "OFICINA",  "LABORATORIO", "TALLER",     "COCINA",
    "AÑO",     "NUEVO",      "USADO",     "COLOR",    "NEGRO",       "BLANCO",     "GRIS",
    "ESPAÑOL", "TÉCNICO",    "MÓVIL",     "FIJO",     "REFORZADO"};
const char* const linkers[] = {"DE", "CON", "PARA", "Y"};
const char* const rubros[] = {
    "MUEBLES Y ÚTILES",        "EQUIPOS DE COMPUTACIÓN", "MAQUINARIA",   "RODADOS",
    "EQUIPOS DE COMUNICACIÓN", "INSTRUMENTAL",           "HERRAMIENTAS", "EQUIPOS DE OFICINA",
    "EQUIPOS EDUCACIONALES",   "LIBROS Y REVISTAS"};
const int usefulLives[] = {0, 3, 5, 10, 20, 40, 50};

template <size_t N> const char* pick(const char* const (&list)[N], std::mt19937& random)
{
    return list[random() % N];
}

void check(sqlite3* db, int rc, const QString& path)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE)
        throw db::DbError(QStringLiteral("No se pudo escribir la base de prueba «%1»: %2")
                              .arg(path, QString::fromUtf8(sqlite3_errmsg(db))));
}

struct Database {
    sqlite3* db = nullptr;
    ~Database() { sqlite3_close(db); }
};

struct Statement {
    sqlite3_stmt* stmt = nullptr;
    ~Statement() { sqlite3_finalize(stmt); }
};

void fillLookups(sqlite3* db, const QString& path)
{
    std::string sql = "INSERT INTO RUBRO (RUBRO, RUBROS) VALUES ";
    for (size_t i = 0; i < std::size(rubros); ++i)
        sql += (i ? ",('" : "('") + std::string(rubros[i]) + "','" + rubros[i] + "')";
    sql += "; INSERT INTO vidaUtil (Vida_Util, \"Vida Util\") VALUES ";
    for (size_t i = 0; i < std::size(usefulLives); ++i)
        sql += (i ? ",(" : "(") + std::to_string(usefulLives[i]) + ",'" +
               std::to_string(usefulLives[i]) + " AÑOS')";
    sql += "; INSERT INTO CODIGO (CODIGO) SELECT DISTINCT substr(CODIGO, 1, 3) FROM vemtaro;";
    check(db, sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), path);
}

} // namespace

void writeSyntheticChart(const QString& path, int rows)
{
    QFile::remove(path);
    QFile::remove(path + QStringLiteral("-wal"));
    QFile::remove(path + QStringLiteral("-shm"));
    Database file;
    check(file.db, sqlite3_open(QFile::encodeName(path).constData(), &file.db), path);
    sqlite3* const db = file.db;
    // A fresh scratch file: nothing to protect while it fills.
    check(db,
          sqlite3_exec(db, "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; BEGIN", nullptr,
                       nullptr, nullptr),
          path);
    db::createSchema(db);

    Statement insert;
    check(db,
          sqlite3_prepare_v2(db,
                             "INSERT INTO vemtaro (CODIGO, CLASE, DESCRIPCION, RUBRO, VIDA_UTIL, "
                             "OBSERVACIONES) VALUES (?1, ?2, ?3, ?4, ?5, ?6)",
                             -1, &insert.stmt, nullptr),
          path);
    std::mt19937 random(19790101u + unsigned(rows));
    std::string description;
    for (int row = 0; row < rows; ++row) {
        const std::string code = std::to_string(1000000 + random() % 9000000);
        const std::string clase = std::to_string(10 + random() % 90);
        sqlite3_bind_text(insert.stmt, 1, code.c_str(), int(code.size()), SQLITE_STATIC);
        sqlite3_bind_text(insert.stmt, 2, clase.c_str(), int(clase.size()), SQLITE_STATIC);
        if (random() % 200 == 0) {
            sqlite3_bind_null(insert.stmt, 3);
        } else {
            description = pick(nouns, random);
            for (int words = 2 + int(random() % 4); words > 0; --words) {
                description += ' ';
                description += random() % 3 == 0 ? pick(linkers, random) : pick(qualities, random);
            }
            sqlite3_bind_text(insert.stmt, 3, description.c_str(), int(description.size()),
                              SQLITE_STATIC);
        }
        sqlite3_bind_text(insert.stmt, 4, pick(rubros, random), -1, SQLITE_STATIC);
        sqlite3_bind_int(insert.stmt, 5, usefulLives[random() % std::size(usefulLives)]);
        if (random() % 10 == 0)
            sqlite3_bind_text(insert.stmt, 6, "REVISAR INVENTARIO", -1, SQLITE_STATIC);
        else
            sqlite3_bind_null(insert.stmt, 6);
        check(db, sqlite3_step(insert.stmt), path);
        sqlite3_reset(insert.stmt);
    }
    fillLookups(db, path);
    check(db, sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), path);
}

} // namespace vemtaro::bench
