#include "Importer.h"

#include "AccessFile.h"

#include "db/DbError.h"
#include "db/DefaultData.h"
#include "db/EngineError.h"
#include "db/History.h"
#include "db/NewDatabase.h"
#include "db/Schema.h"

#include <QFileInfo>
#include <sqlite3.h>

#include <memory>
#include <vector>

namespace vemtaro::importing {
namespace {

using db::DbError;
using db::quotedName;

// Progress is told this often, so that a window can stay alive without slowing the import.
constexpr qint64 progressEvery = 512;
// Values to review are shown up to this length.
constexpr int shownValueLength = 60;

/// A prepared statement of the database being built.
class Statement {
public:
    Statement(sqlite3* db, const QString& sql) : m_db(db)
    {
        const QByteArray text = sql.toUtf8();
        if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &m_stmt, nullptr) !=
            SQLITE_OK)
            fail();
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    sqlite3_stmt* get() const { return m_stmt; }

    bool step()
    {
        const int rc = sqlite3_step(m_stmt);
        if (rc != SQLITE_ROW && rc != SQLITE_DONE)
            fail();
        return rc == SQLITE_ROW;
    }

    QString text(int column) const
    {
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column)),
                                 sqlite3_column_bytes(m_stmt, column));
    }

private:
    [[noreturn]] void fail() const
    {
        throw DbError(QStringLiteral("no se pudo escribir la base de datos nueva (%1)")
                          .arg(db::engineReason(sqlite3_errcode(m_db))));
    }

    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
};

struct Field {
    QString name;
    QString type; ///< as declared
};

/// A table as the new database declares it.
struct Table {
    QString name;
    QList<Field> fields;

    int fieldIndex(const QString& field) const
    {
        for (int i = 0; i < fields.size(); ++i)
            if (fields[i].name.compare(field, Qt::CaseInsensitive) == 0)
                return i;
        return -1;
    }
    bool hasName(const QString& name) const
    {
        return name.compare(QLatin1String("id"), Qt::CaseInsensitive) == 0 || fieldIndex(name) >= 0;
    }
};

/// The system's own tables, as the schema just created them: every table of the new file.
QList<Table> readDesign(sqlite3* db)
{
    QList<Table> design;
    Statement fields(db, QStringLiteral("SELECT t.name, f.name, f.type FROM sqlite_schema t, "
                                        "pragma_table_info(t.name) f WHERE t.type = 'table' "
                                        "AND f.pk = 0 ORDER BY t.rowid, f.cid"));
    while (fields.step()) {
        if (design.isEmpty() || design.last().name != fields.text(0))
            design.append({fields.text(0), {}});
        design.last().fields.append({fields.text(1), fields.text(2)});
    }
    return design;
}

/// The first of `name`, `name_anterior`, `name_anterior2`, ... that `taken` refuses.
QString freeName(const QString& name, const std::function<bool(const QString&)>& taken)
{
    QString candidate = name;
    for (int n = 1; taken(candidate); ++n)
        candidate = name + QStringLiteral("_anterior") + (n > 1 ? QString::number(n) : QString());
    return candidate;
}

// Why an extra table of the Access file was kept under another name.
QString whyRenamed(const QString& table)
{
    if (table.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive))
        return QStringLiteral("los nombres que empiezan por «sqlite_» son del motor de la base de "
                              "datos");
    if (table.compare(db::History::tableName(), Qt::CaseInsensitive) == 0)
        return QStringLiteral("«%1» es el historial de cambios de vemtaro")
            .arg(db::History::tableName());
    return QStringLiteral("ya había otra tabla con ese nombre");
}

// How the review list names the kind of value a field holds.
QString kindOfValue(const QString& typeofName)
{
    if (typeofName == QLatin1String("integer"))
        return QStringLiteral("un número entero");
    if (typeofName == QLatin1String("real"))
        return QStringLiteral("un número");
    return QStringLiteral("un texto");
}

void bind(sqlite3_stmt* insert, int parameter, const AccessValue& value)
{
    switch (value.kind) {
    case AccessValue::Null:
        sqlite3_bind_null(insert, parameter);
        return;
    case AccessValue::Integer:
        sqlite3_bind_int64(insert, parameter, value.integer);
        return;
    case AccessValue::Real:
        sqlite3_bind_double(insert, parameter, value.real);
        return;
    case AccessValue::Text:
        sqlite3_bind_text(insert, parameter, value.bytes.constData(), int(value.bytes.size()),
                          SQLITE_STATIC);
        return;
    case AccessValue::Blob:
        sqlite3_bind_blob(insert, parameter, value.bytes.constData(), int(value.bytes.size()),
                          SQLITE_STATIC);
        return;
    }
}

/// Fills a new database from an Access file.
class Builder {
public:
    Builder(sqlite3* db, AccessFile& file, ImportSummary& summary, const ProgressFunction& progress)
        : m_db(db), m_file(file), m_summary(summary), m_progress(progress)
    {
    }

    void run()
    {
        db::createSchema(m_db);
        m_design = readDesign(m_db);
        for (const Table& table : std::as_const(m_design))
            m_tableNames.append(table.name);
        // The program keeps its change history there once it opens the file.
        m_tableNames.append(db::History::tableName());
        const QStringList sourceTables = m_file.tableNames();
        std::vector<std::unique_ptr<AccessTable>> tables;
        for (int i = 0; i < sourceTables.size(); ++i) {
            tables.push_back(m_file.openTable(i));
            m_total += tables.back()->recordedRows();
        }
        QList<ImportSummary::TableRows> designRows;
        for (const Table& table : std::as_const(m_design))
            designRows.append({table.name, 0});
        QList<ImportSummary::TableRows> otherRows;
        for (const auto& table : tables) {
            const int designIndex = findDesignTable(table->name());
            const ImportSummary::TableRows copied = copy(*table, designIndex);
            if (designIndex >= 0)
                designRows[designIndex] = copied;
            else
                otherRows.append(copied);
        }
        for (const Table& table : std::as_const(m_design))
            if (!sourceTables.contains(table.name, Qt::CaseInsensitive))
                m_summary.toReview.append(
                    QStringLiteral("la tabla «%1» no estaba en el archivo; se creó vacía")
                        .arg(table.name));
        m_summary.tables = designRows + otherRows;
    }

private:
    int findDesignTable(const QString& name) const
    {
        for (int i = 0; i < m_design.size(); ++i)
            if (m_design[i].name.compare(name, Qt::CaseInsensitive) == 0)
                return i;
        return -1;
    }

    // Where the Access table goes: the system's table, or a new one like it.
    Table target(const AccessTable& source, int designIndex)
    {
        if (designIndex >= 0)
            return m_design[designIndex];
        // Names starting with "sqlite_" are the engine's own.
        const bool reserved =
            source.name().startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive);
        const QString name =
            freeName(reserved ? QStringLiteral("tabla_") + source.name() : source.name(),
                     [this](const QString& candidate) {
                         return m_tableNames.contains(candidate, Qt::CaseInsensitive);
                     });
        if (name != source.name())
            m_summary.toReview.append(QStringLiteral("la tabla «%1» se guardó como «%2», porque %3")
                                          .arg(source.name(), name, whyRenamed(source.name())));
        execute(QStringLiteral("CREATE TABLE %1 (id INTEGER PRIMARY KEY)").arg(quotedName(name)));
        m_tableNames.append(name);
        return Table{name, {}};
    }

    // Copies every row of `source`; tells where to and how many.
    ImportSummary::TableRows copy(AccessTable& source, int designIndex)
    {
        Table table = target(source, designIndex);
        const bool extraTable = designIndex < 0;
        const int designFields = int(table.fields.size());
        QStringList columns; // where each Access field goes, in the Access order
        for (const AccessColumn& column : source.columns()) {
            const int index = table.fieldIndex(column.name);
            if (index >= 0 && index < designFields) {
                columns.append(table.fields[index].name);
                continue;
            }
            const QString name = freeName(column.name, [&table](const QString& candidate) {
                return table.hasName(candidate);
            });
            execute(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3")
                        .arg(quotedName(table.name), quotedName(name), column.sqlType()));
            table.fields.append({name, column.sqlType()});
            columns.append(name);
            if (name != column.name)
                m_summary.toReview.append(
                    QStringLiteral("el campo «%1» de la tabla «%2» se guardó como «%3», porque "
                                   "«id» es la clave de cada fila")
                        .arg(column.name, table.name, name));
            if (!extraTable)
                m_summary.kept.append(
                    QStringLiteral("el campo «%1» de la tabla «%2»").arg(name, table.name));
        }
        for (int i = 0; i < designFields; ++i)
            if (!columns.contains(table.fields[i].name))
                m_summary.toReview.append(
                    QStringLiteral("el campo «%1» de la tabla «%2» no estaba en el archivo; se "
                                   "creó vacío")
                        .arg(table.fields[i].name, table.name));

        const qint64 rows = copyRows(source, table.name, columns);
        if (extraTable)
            m_summary.kept.append(
                QStringLiteral("la tabla «%1», con %2").arg(table.name, rowCount(rows)));
        for (int i = 0; i < designFields; ++i)
            if (columns.contains(table.fields[i].name))
                reviewValues(table.name, table.fields[i]);
        return {table.name, rows};
    }

    qint64 copyRows(AccessTable& source, const QString& table, const QStringList& columns)
    {
        QStringList names{QStringLiteral("id")};
        QStringList parameters{QStringLiteral("?1")};
        for (int i = 0; i < columns.size(); ++i) {
            names.append(quotedName(columns[i]));
            parameters.append(QStringLiteral("?%1").arg(i + 2));
        }
        Statement insert(m_db, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                   .arg(quotedName(table), names.join(QLatin1Char(',')),
                                        parameters.join(QLatin1Char(','))));
        std::vector<AccessValue> values(size_t(columns.size()));
        qint64 rows = 0;
        tell(source, rows);
        while (source.next()) {
            sqlite3_bind_int64(insert.get(), 1, ++rows);
            for (int i = 0; i < columns.size(); ++i) {
                source.read(i, values[size_t(i)]);
                bind(insert.get(), i + 2, values[size_t(i)]);
            }
            insert.step();
            sqlite3_reset(insert.get());
            ++m_done;
            if (rows % progressEvery == 0)
                tell(source, rows);
        }
        tell(source, rows);
        return rows;
    }

    void tell(const AccessTable& source, qint64 rows)
    {
        if (m_progress &&
            !m_progress({source.name(), rows, source.recordedRows(), m_done, m_total}))
            throw DbError(QStringLiteral("se interrumpió la importación"));
    }

    // Lists the values of a system field that are not of its declared kind (a useful life
    // that is not a number): the engine keeps them as they came.
    void reviewValues(const QString& table, const Field& field)
    {
        const QString expected = field.type.toLower();
        if (expected != QLatin1String("integer") && expected != QLatin1String("real") &&
            expected != QLatin1String("text"))
            return;
        const QString column = quotedName(field.name);
        Statement odd(m_db, QStringLiteral("SELECT id, CASE typeof(%1) WHEN 'blob' THEN NULL "
                                           "ELSE CAST(%1 AS TEXT) END FROM %2 WHERE typeof(%1) "
                                           "NOT IN ('null', '%3') ORDER BY id")
                                .arg(column, quotedName(table), expected));
        while (odd.step()) {
            QString value = sqlite3_column_type(odd.get(), 1) == SQLITE_NULL
                                ? QStringLiteral("datos binarios")
                                : QStringLiteral("«%1»").arg(odd.text(1));
            if (value.size() > shownValueLength + 2)
                value = value.left(shownValueLength + 1) + QStringLiteral("…»");
            m_summary.toReview.append(
                QStringLiteral("%1, fila %2: %3 es %4, que no es %5")
                    .arg(table, odd.text(0), field.name, value, kindOfValue(expected)));
        }
    }

    void execute(const QString& sql) { Statement(m_db, sql).step(); }

    sqlite3* m_db;
    AccessFile& m_file;
    ImportSummary& m_summary;
    const ProgressFunction& m_progress;
    QList<Table> m_design;
    QStringList m_tableNames; ///< every table of the new file
    qint64 m_total = 0;
    qint64 m_done = 0;
};

// An engine's or a layer's sentence, made a clause of the import's message.
QString asReason(QString description)
{
    if (description.endsWith(QLatin1Char('.')))
        description.chop(1);
    if (!description.isEmpty())
        description[0] = description[0].toLower();
    return description;
}

} // namespace

ImportSummary importAccessDatabase(const QString& source, const QString& destination,
                                   const ProgressFunction& progress)
{
    try {
        const QString exists = QStringLiteral("ya existe «%1», y no se reemplaza").arg(destination);
        if (QFileInfo::exists(destination) || QFileInfo(destination).isSymLink())
            throw DbError(exists);
        AccessFile file(source);
        ImportSummary summary{source, file.format(), {}, {}, {}};
        if (!db::buildNewDatabase(destination,
                                  [&](sqlite3* db) { Builder(db, file, summary, progress).run(); }))
            throw DbError(exists);
        return summary;
    } catch (const DbError& error) {
        throw DbError(QStringLiteral("No se pudo importar «%1»: %2. No se creó la base de datos "
                                     "«%3», y el archivo de Access no se modificó.")
                          .arg(source, asReason(error.description()), destination));
    }
}

} // namespace vemtaro::importing
