#include "SyntheticChart.h"

#include "db/DbError.h"
#include "db/DefaultData.h"

#include <QFile>
#include <random>
#include <sqlite3.h>
#include <string>
#include <utility>

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
const char* const materials[] = {"MADERA", "METAL",    "HIERRO",   "BRONCE",
                                 "VIDRIO", "MELAMINA", "ACRÍLICO", "CAÑA"};
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

/// A new database with the system's schema in place of any file at `path`, filled through
/// one insert statement inside one transaction.
class Scratch {
public:
    Scratch(const QString& path, const char* insertSql) : m_path(path)
    {
        QFile::remove(path);
        QFile::remove(path + QStringLiteral("-wal"));
        QFile::remove(path + QStringLiteral("-shm"));
        check(sqlite3_open(QFile::encodeName(path).constData(), &m_file.db));
        // A fresh scratch file: nothing to protect while it fills.
        check(sqlite3_exec(m_file.db, "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; BEGIN",
                           nullptr, nullptr, nullptr));
        db::createSchema(m_file.db);
        check(sqlite3_prepare_v2(m_file.db, insertSql, -1, &m_insert.stmt, nullptr));
    }

    sqlite3* db() const { return m_file.db; }
    /// The insert statement, for binding one row's values.
    sqlite3_stmt* insert() const { return m_insert.stmt; }
    /// Inserts the row bound.
    void insertRow()
    {
        check(sqlite3_step(m_insert.stmt));
        sqlite3_reset(m_insert.stmt);
    }
    void commit() { check(sqlite3_exec(m_file.db, "COMMIT", nullptr, nullptr, nullptr)); }
    void check(int rc) const { vemtaro::bench::check(m_file.db, rc, m_path); }

private:
    Database m_file;
    Statement m_insert;
    QString m_path;
};

/// `first`, then `words` more words, each a quality or now and then a linker.
std::string describe(std::string first, int words, std::mt19937& random)
{
    for (; words > 0; --words) {
        first += ' ';
        first += random() % 3 == 0 ? pick(linkers, random) : pick(qualities, random);
    }
    return first;
}

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
    Scratch scratch(path, "INSERT INTO vemtaro (CODIGO, CLASE, DESCRIPCION, RUBRO, VIDA_UTIL, "
                          "OBSERVACIONES) VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
    sqlite3_stmt* const insert = scratch.insert();
    std::mt19937 random(19790101u + unsigned(rows));
    std::string description;
    for (int row = 0; row < rows; ++row) {
        const std::string code = std::to_string(1000000 + random() % 9000000);
        const std::string clase = std::to_string(10 + random() % 90);
        sqlite3_bind_text(insert, 1, code.c_str(), int(code.size()), SQLITE_STATIC);
        sqlite3_bind_text(insert, 2, clase.c_str(), int(clase.size()), SQLITE_STATIC);
        if (random() % 200 == 0) {
            sqlite3_bind_null(insert, 3);
        } else {
            std::string noun = pick(nouns, random); // drawn before the number of words
            description = describe(std::move(noun), 2 + int(random() % 4), random);
            sqlite3_bind_text(insert, 3, description.c_str(), int(description.size()),
                              SQLITE_STATIC);
        }
        sqlite3_bind_text(insert, 4, pick(rubros, random), -1, SQLITE_STATIC);
        sqlite3_bind_int(insert, 5, usefulLives[random() % std::size(usefulLives)]);
        if (random() % 10 == 0)
            sqlite3_bind_text(insert, 6, "REVISAR INVENTARIO", -1, SQLITE_STATIC);
        else
            sqlite3_bind_null(insert, 6);
        scratch.insertRow();
    }
    fillLookups(scratch.db(), path);
    scratch.commit();
}

void writeSyntheticExtended(const QString& path, int rows)
{
    Scratch scratch(path, "INSERT INTO extendido (Ord, Codigo, Clase, Descripcion) VALUES "
                          "(?1, ?2, ?3, ?4)");
    sqlite3_stmt* const insert = scratch.insert();
    std::mt19937 random(20010101u + unsigned(rows));
    int code = 1101;
    int clase = 0;
    int blockLeft = 0;
    int classLeft = 0;
    for (int row = 0; row < rows; ++row) {
        if (blockLeft-- == 0) {
            code += 1 + int(random() % 9);
            clase = 0;
            blockLeft = int(random() % 400);
            classLeft = 0;
        }
        if (classLeft-- == 0) {
            ++clase;
            classLeft = 4 + int(random() % 10); // 5 to 14 rows: at most 80 classes a block
        }
        const std::string codeText = std::to_string(code);
        const std::string classText = std::to_string(100 + clase).substr(1); // two digits
        sqlite3_bind_int(insert, 1, row + 1);
        sqlite3_bind_text(insert, 2, codeText.c_str(), int(codeText.size()), SQLITE_STATIC);
        sqlite3_bind_text(insert, 3, classText.c_str(), int(classText.size()), SQLITE_STATIC);
        if (random() % 200 == 0) {
            sqlite3_bind_null(insert, 4);
        } else {
            std::string start = pick(nouns, random);
            start = start + " DE " + pick(materials, random);
            const std::string description =
                describe(std::move(start), 2 + int(random() % 6), random);
            sqlite3_bind_text(insert, 4, description.c_str(), int(description.size()),
                              SQLITE_TRANSIENT);
        }
        scratch.insertRow();
    }
    scratch.commit();
}

} // namespace vemtaro::bench
