#include "RecordSet.h"

#include "BrokenText.h"
#include "Connection.h"
#include "DbError.h"
#include "EngineError.h"
#include "History.h"
#include "JetQuery.h"
#include "RowCache.h"
#include "RowSorter.h"
#include "Statement.h"

#include <QLocale>
#include <QtNumeric>
#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <unordered_set>
#include <vector>

namespace vemtaro::db {
namespace {

using Row = RowCache::Row;

DbError noCurrentRecord()
{
    return DbError(QStringLiteral("No hay ningún registro activo."));
}

/// A pending field value as it is to be stored: null, a whole number, a decimal or a text.
struct StoredValue {
    enum Kind { Null, Integer, Real, Text } kind = Null;
    qint64 integer = 0;
    double real = 0;
    QByteArray text;
};

bool isEmptyValue(const QVariant& value)
{
    return value.isNull() || (value.typeId() == QMetaType::QString && value.toString().isEmpty());
}

RecordSet::NumberFormat plainNumbers()
{
    return {[](const QString& text) -> std::optional<double> {
                bool ok = false;
                QLocale plain = QLocale::c();
                plain.setNumberOptions(QLocale::RejectGroupSeparator);
                const double value = plain.toDouble(text.trimmed(), &ok);
                return ok ? std::optional(value) : std::nullopt;
            },
            [](double value) { return QString::number(value, 'g', 15); }};
}

/// A numeric field's value as it is to be stored, texts read with `read`; nullopt when it is
/// not a number. Whole numbers are stored as integers.
std::optional<StoredValue> numericValue(const QVariant& value,
                                        const RecordSet::NumberFormat& format)
{
    StoredValue stored;
    double number = 0;
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Bool:
        stored.kind = StoredValue::Integer;
        stored.integer = value.toLongLong();
        return stored;
    case QMetaType::Double:
    case QMetaType::Float:
        number = value.toDouble();
        break;
    default: {
        const QString text = value.toString();
        if (text.trimmed().isEmpty())
            return StoredValue{};
        const std::optional<double> read = format.read(text);
        if (!read)
            return std::nullopt;
        number = *read;
    }
    }
    if (!qIsFinite(number))
        return std::nullopt;
    // Beyond 2^53 a double no longer holds every whole number: keep it a decimal.
    if (number == std::trunc(number) && std::abs(number) <= 9007199254740992.0) {
        stored.kind = StoredValue::Integer;
        stored.integer = qint64(number);
    } else {
        stored.kind = StoredValue::Real;
        stored.real = number;
    }
    return stored;
}

/// Whether two stored numbers are the same value.
bool sameNumber(const StoredValue& a, const StoredValue& b)
{
    const auto asDouble = [](const StoredValue& v) {
        return v.kind == StoredValue::Integer ? double(v.integer) : v.real;
    };
    if (a.kind == StoredValue::Null || b.kind == StoredValue::Null)
        return a.kind == b.kind;
    if (a.kind == StoredValue::Integer && b.kind == StoredValue::Integer)
        return a.integer == b.integer;
    return asDouble(a) == asDouble(b);
}

void bindValue(sqlite3_stmt* stmt, int parameter, const StoredValue& value)
{
    switch (value.kind) {
    case StoredValue::Null:
        sqlite3_bind_null(stmt, parameter);
        break;
    case StoredValue::Integer:
        sqlite3_bind_int64(stmt, parameter, value.integer);
        break;
    case StoredValue::Real:
        sqlite3_bind_double(stmt, parameter, value.real);
        break;
    case StoredValue::Text:
        sqlite3_bind_text(stmt, parameter, value.text.constData(), int(value.text.size()),
                          SQLITE_TRANSIENT);
        break;
    }
}

/// Whether two field values read the same to the clerk (a null and an empty text do).
bool sameText(const QVariant& a, const QVariant& b)
{
    const bool aEmpty = isEmptyValue(a);
    const bool bEmpty = isEmptyValue(b);
    if (aEmpty || bEmpty)
        return aEmpty == bEmpty;
    return a.toString() == b.toString();
}

/// The statements a record set runs on its table, prepared once per table.
struct TableStatements {
    Statement selectRow, insertRow, updateRow, deleteRow;

    static TableStatements prepare(sqlite3* db, const TableSchema& schema)
    {
        QStringList columns, parameters, assignments;
        for (int i = 0; i < schema.columns.size(); ++i) {
            columns << quotedName(schema.columns[i]);
            parameters << QStringLiteral("?%1").arg(i + 1);
            assignments << QStringLiteral("%1 = ?%2").arg(quotedName(schema.columns[i])).arg(i + 1);
        }
        const QString fields = columns.join(QStringLiteral(", "));
        const QString name = quotedName(schema.name);
        const QString key = quotedName(schema.keyColumn);
        return {
            Statement(db, QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?1").arg(fields, name, key),
                      true),
            Statement(db,
                      QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                          .arg(name, fields, parameters.join(QStringLiteral(", "))),
                      true),
            Statement(db,
                      QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?%4")
                          .arg(name, assignments.join(QStringLiteral(", ")), key)
                          .arg(schema.columns.size() + 1),
                      true),
            Statement(db, QStringLiteral("DELETE FROM %1 WHERE %2 = ?1").arg(name, key), true),
        };
    }
};

} // namespace

struct RecordSet::Impl {
    Impl(RecordSet& owner, Connection& db) : q(owner), db(db) {}

    RecordSet& q;
    Connection& db;
    const TableSchema* table = nullptr;
    std::vector<qint64> keys;
    /// The current position: -1 before the first record, keys.size() past the last.
    int position = -1;
    /// The record at `position` was deleted; `position` now holds the one that followed it.
    bool currentDeleted = false;

    EditMode mode = EditMode::None;
    bool inPlace = false; ///< the pending edit was started by setValue() alone
    Row buffer;           ///< the pending add or edit
    Row original;         ///< the edited record's stored values when the edit started

    NumberFormat numbers = plainNumbers();

    mutable RowCache cache{512};
    TableStatements statements;

    // Rows that could not be read show the unreadable mark and are not read again: a damaged
    // one until the next open(), one that another program held until the next operation. A
    // failure is reported once per operation.
    mutable std::unordered_set<qint64> damaged, blocked;
    mutable bool readFailureReported = false;
    mutable bool readsBlocked = false; ///< another program holds the file: do not wait again

    int count() const { return int(keys.size()); }
    bool onRecord() const { return !currentDeleted && position >= 0 && position < count(); }
    int fieldCount() const { return table ? int(table->columns.size()) : 0; }

    void beginOperation();
    bool unreadable(qint64 key) const { return damaged.count(key) || blocked.count(key); }
    std::optional<Row> readStored(qint64 key) const;
    const Row* cachedRow(qint64 key) const;
    QString shown(const QVariant& value) const;
    StoredValue storedValue(int field, const QVariant& value) const;
    bool sameValue(int field, const QVariant& a, const QVariant& b) const;
    bool pendingChanged() const;
    bool pendingAddWillJoin() const { return mode == EditMode::AddNew && pendingChanged(); }
    void settlePending();
    void writePending();
    std::vector<StoredValue> storedBuffer() const;
    void clearPending();
    void abandonPending();
    void place(int newPosition);
};

void RecordSet::Impl::beginOperation()
{
    blocked.clear();
    readFailureReported = false;
    readsBlocked = false;
}

std::optional<Row> RecordSet::Impl::readStored(qint64 key) const
{
    const Statement& select = statements.selectRow;
    ResetOnExit resetter{select};
    sqlite3_bind_int64(select.get(), 1, key);
    if (!select.step())
        return std::nullopt;
    Row row(fieldCount());
    for (int i = 0; i < fieldCount(); ++i)
        row[i] = columnValue(select.get(), i);
    return row;
}

const Row* RecordSet::Impl::cachedRow(qint64 key) const
{
    if (const Row* row = cache.find(key))
        return row;
    if (unreadable(key))
        return nullptr;
    if (readsBlocked) {
        blocked.insert(key);
        return nullptr;
    }
    try {
        // A row another program deleted reads as nulls.
        return &cache.insert(key, readStored(key).value_or(Row(fieldCount())));
    } catch (const DbError& error) {
        const int code = sqlite3_errcode(db.handle());
        readsBlocked = code == SQLITE_BUSY || code == SQLITE_LOCKED;
        (readsBlocked ? blocked : damaged).insert(key);
        if (!std::exchange(readFailureReported, true))
            Q_EMIT q.readFailed(error.description());
        return nullptr;
    }
}

QString RecordSet::Impl::shown(const QVariant& value) const
{
    if (value.typeId() == QMetaType::Double && qIsFinite(value.toDouble()))
        return numbers.write(value.toDouble());
    return value.isNull() ? QString() : value.toString();
}

StoredValue RecordSet::Impl::storedValue(int field, const QVariant& value) const
{
    if (table->numeric.value(field)) {
        // SQLite would keep a text that is not a number as it is; the field must hold
        // numbers only.
        if (const std::optional<StoredValue> number = numericValue(value, numbers))
            return *number;
        throw DbError(QStringLiteral("«%1» no es un número válido para el campo %2: escriba, por "
                                     "ejemplo, %3 o %4.")
                          .arg(value.toString(), table->columns[field], numbers.write(12),
                               numbers.write(2.5)));
    }
    StoredValue stored;
    if (isEmptyValue(value))
        return stored;
    const QString text = value.toString();
    if (const qsizetype at = brokenCharacterAt(text); at >= 0)
        throw DbError(QStringLiteral("El texto del campo %1 contiene %2: bórrelo y vuelva a "
                                     "escribirlo.")
                          .arg(table->columns[field], brokenCharacter(text, at)));
    stored.kind = StoredValue::Text;
    stored.text = text.toUtf8();
    return stored;
}

bool RecordSet::Impl::sameValue(int field, const QVariant& a, const QVariant& b) const
{
    if (table->numeric.value(field)) {
        const std::optional<StoredValue> x = numericValue(a, numbers);
        const std::optional<StoredValue> y = numericValue(b, numbers);
        if (x && y)
            return sameNumber(*x, *y);
    }
    return sameText(a, b);
}

bool RecordSet::Impl::pendingChanged() const
{
    for (int i = 0; i < fieldCount(); ++i)
        if (!sameValue(i, buffer[i], original[i]))
            return true;
    return false;
}

void RecordSet::Impl::settlePending()
{
    if (mode == EditMode::None)
        return;
    if (!pendingChanged()) {
        abandonPending();
        return;
    }
    if (!inPlace) {
        writePending();
        return;
    }
    try {
        writePending();
    } catch (const DbError& error) {
        abandonPending();
        QString description = error.description();
        if (!description.endsWith(QLatin1Char('.')))
            description += QLatin1Char('.');
        throw DbError(description + QStringLiteral(" Se descartó el cambio."));
    }
}

std::vector<StoredValue> RecordSet::Impl::storedBuffer() const
{
    std::vector<StoredValue> values(fieldCount());
    for (int i = 0; i < fieldCount(); ++i)
        values[i] = storedValue(i, buffer[i]);
    return values;
}

void RecordSet::Impl::writePending()
{
    db.checkWritable();
    const std::vector<StoredValue> values = storedBuffer();
    sqlite3* h = db.handle();
    WriteTransaction transaction(h);
    if (mode == EditMode::Edit) {
        const qint64 key = keys[position];
        const std::optional<Row> stored = readStored(key);
        if (!stored)
            throw DbError(QStringLiteral("No se pudo guardar: otro usuario eliminó este "
                                         "registro."));
        if (*stored != original) {
            // Seen now: the next update overwrites it knowingly.
            original = *stored;
            cache.remove(key);
            throw DbError(QStringLiteral("Otro usuario cambió este registro mientras usted lo "
                                         "editaba. Si vuelve a guardar, sus datos reemplazarán "
                                         "los del otro usuario."));
        }
        // Every write is recorded in the history, in the write's own transaction.
        const std::optional<RowValues> before = db.history().values(*table, key);
        const Statement& update = statements.updateRow;
        ResetOnExit resetter{update};
        for (int i = 0; i < fieldCount(); ++i)
            bindValue(update.get(), i + 1, values[i]);
        sqlite3_bind_int64(update.get(), fieldCount() + 1, key);
        update.step();
        db.history().record(*table, key, before);
        transaction.commit();
        cache.remove(key);
        clearPending();
        Q_EMIT q.rowChanged(position);
        return;
    }
    qint64 key = 0;
    {
        const Statement& insert = statements.insertRow;
        ResetOnExit resetter{insert};
        for (int i = 0; i < fieldCount(); ++i)
            bindValue(insert.get(), i + 1, values[i]);
        insert.step();
        key = sqlite3_last_insert_rowid(h);
    }
    db.history().record(*table, key, std::nullopt);
    transaction.commit();
    clearPending();
    const int row = count();
    Q_EMIT q.rowAboutToBeAppended(row);
    keys.push_back(key);
    Q_EMIT q.rowAppended(row);
    place(row);
}

void RecordSet::Impl::clearPending()
{
    mode = EditMode::None;
    inPlace = false;
    buffer.clear();
    original.clear();
}

void RecordSet::Impl::abandonPending()
{
    const bool wasEdit = mode == EditMode::Edit;
    clearPending();
    if (wasEdit && onRecord())
        Q_EMIT q.rowChanged(position);
}

void RecordSet::Impl::place(int newPosition)
{
    position = newPosition;
    currentDeleted = false;
    Q_EMIT q.repositioned();
}

RecordSet::RecordSet(Connection& db, QObject* parent)
    : QObject(parent), d(std::make_unique<Impl>(*this, db))
{
}

RecordSet::~RecordSet() = default;

void RecordSet::setNumberFormat(NumberFormat format)
{
    d->numbers = std::move(format);
}

void RecordSet::open(const QString& source)
{
    d->beginOperation();
    const CompiledQuery query = compileQuery(d->db, source);
    d->settlePending();

    Statement select(d->db.handle(), query.selectSql, false);
    query.bindPatterns(select.get());
    RowSorter sorter(query.ordering);
    while (select.step())
        sorter.addRow(select.get());
    std::vector<qint64> keys = sorter.sortedKeys();
    std::optional<TableStatements> statements;
    if (query.table != d->table)
        statements = TableStatements::prepare(d->db.handle(), *query.table);

    Q_EMIT resultAboutToBeReset();
    if (statements)
        d->statements = std::move(*statements);
    d->keys = std::move(keys);
    d->keys.shrink_to_fit();
    d->table = query.table;
    d->cache.clear();
    d->damaged.clear();
    d->position = d->keys.empty() ? -1 : 0;
    d->currentDeleted = false;
    Q_EMIT resultReset();
    Q_EMIT repositioned();
}

const TableSchema* RecordSet::table() const
{
    return d->table;
}

QStringList RecordSet::fieldNames() const
{
    return d->table ? d->table->columns : QStringList();
}

int RecordSet::fieldIndex(const QString& name) const
{
    return d->table ? d->table->columnIndex(name) : -1;
}

int RecordSet::recordCount() const
{
    return d->count();
}

qint64 RecordSet::key(int row) const
{
    return row >= 0 && row < d->count() ? d->keys[row] : -1;
}

int RecordSet::rowOfKey(qint64 key) const
{
    const auto found = std::find(d->keys.begin(), d->keys.end(), key);
    return found == d->keys.end() ? -1 : int(found - d->keys.begin());
}

int RecordSet::absolutePosition() const
{
    return d->onRecord() ? d->position : -1;
}

bool RecordSet::eof() const
{
    return !d->currentDeleted && (d->keys.empty() || d->position >= d->count());
}

bool RecordSet::bof() const
{
    return !d->currentDeleted && (d->keys.empty() || d->position < 0);
}

QVariant RecordSet::value(int row, int field) const
{
    if (row < 0 || row >= d->count() || field < 0 || field >= d->fieldCount())
        return QVariant();
    if (d->mode == EditMode::Edit && row == d->position)
        return d->buffer[field];
    const Row* values = d->cachedRow(d->keys[row]);
    return values ? (*values)[field] : QVariant();
}

QVariant RecordSet::currentValue(int field) const
{
    if (d->mode != EditMode::None)
        return field >= 0 && field < d->fieldCount() ? d->buffer[field] : QVariant();
    return d->onRecord() ? value(d->position, field) : QVariant();
}

QString RecordSet::text(int row, int field) const
{
    const QVariant stored = value(row, field);
    if (row >= 0 && row < d->count() && d->unreadable(d->keys[row]))
        return unreadableMark();
    return d->shown(stored);
}

QString RecordSet::currentText(int field) const
{
    if (d->mode == EditMode::None && d->onRecord())
        return text(d->position, field);
    return d->shown(currentValue(field));
}

void RecordSet::moveTo(int row)
{
    d->beginOperation();
    if (row < 0 || row >= d->count())
        throw noCurrentRecord();
    d->settlePending();
    d->place(row);
}

void RecordSet::moveFirst()
{
    d->beginOperation();
    if (d->keys.empty() && !d->pendingAddWillJoin())
        throw noCurrentRecord();
    d->settlePending();
    d->place(0);
}

void RecordSet::moveLast()
{
    d->beginOperation();
    if (d->keys.empty() && !d->pendingAddWillJoin())
        throw noCurrentRecord();
    d->settlePending();
    d->place(d->count() - 1);
}

void RecordSet::moveNext()
{
    d->beginOperation();
    if (eof() && !d->pendingAddWillJoin())
        throw noCurrentRecord();
    d->settlePending();
    // After a delete the position already holds the record that followed the deleted one.
    const int step = d->currentDeleted ? 0 : 1;
    d->place(std::min(d->position + step, d->count()));
}

void RecordSet::movePrevious()
{
    d->beginOperation();
    if (bof() && !d->pendingAddWillJoin())
        throw noCurrentRecord();
    d->settlePending();
    d->place(std::max(d->position - 1, -1));
}

RecordSet::EditMode RecordSet::editMode() const
{
    return d->mode;
}

void RecordSet::checkWritable() const
{
    d->db.checkWritable();
}

bool RecordSet::inPlaceEdit() const
{
    return d->inPlace;
}

void RecordSet::addNew()
{
    d->beginOperation();
    if (!d->table)
        throw noCurrentRecord();
    d->db.checkWritable();
    d->settlePending();
    d->mode = EditMode::AddNew;
    d->buffer.assign(d->fieldCount(), QVariant());
    d->original = d->buffer;
}

void RecordSet::edit()
{
    d->beginOperation();
    d->inPlace = false;
    if (d->mode == EditMode::Edit)
        return;
    d->db.checkWritable();
    if (d->mode == EditMode::AddNew)
        d->settlePending();
    if (!d->onRecord())
        throw noCurrentRecord();
    const qint64 key = d->keys[d->position];
    // Fresh from the file: the edit must start from what is stored now.
    d->cache.remove(key);
    std::optional<Row> stored = d->readStored(key);
    if (!stored)
        throw DbError(QStringLiteral("Otro usuario eliminó este registro."));
    d->cache.insert(key, *stored);
    d->original = *stored;
    d->buffer = std::move(*stored);
    d->mode = EditMode::Edit;
    Q_EMIT rowChanged(d->position);
}

void RecordSet::checkValue(int field, const QVariant& value) const
{
    if (field < 0 || field >= d->fieldCount())
        throw DbError(QStringLiteral("El campo pedido no existe en la tabla."));
    d->db.checkWritable();
    d->storedValue(field, value);
}

void RecordSet::setValue(int field, const QVariant& value)
{
    checkValue(field, value);
    if (d->mode == EditMode::None) {
        edit();
        d->inPlace = true;
    }
    d->buffer[field] = value;
    if (d->mode == EditMode::Edit)
        Q_EMIT rowChanged(d->position);
}

void RecordSet::update()
{
    d->beginOperation();
    if (d->mode == EditMode::None)
        throw DbError(QStringLiteral("No hay ningún registro nuevo ni en edición que guardar."));
    d->writePending();
}

void RecordSet::cancelUpdate()
{
    d->beginOperation();
    d->abandonPending();
}

void RecordSet::deleteCurrent()
{
    d->beginOperation();
    if (!d->onRecord())
        throw noCurrentRecord();
    d->db.checkWritable();
    const int row = d->position;
    const qint64 key = d->keys[row];
    {
        WriteTransaction transaction(d->db.handle());
        const std::optional<RowValues> before = d->db.history().values(*d->table, key);
        const Statement& remove = d->statements.deleteRow;
        ResetOnExit resetter{remove};
        sqlite3_bind_int64(remove.get(), 1, key);
        // A record another program deleted already is just as gone: no failure, no history.
        remove.step();
        d->db.history().record(*d->table, key, before);
        transaction.commit();
    }
    d->clearPending();
    d->cache.remove(key);
    Q_EMIT rowAboutToBeRemoved(row);
    d->keys.erase(d->keys.begin() + row);
    d->currentDeleted = true;
    Q_EMIT rowRemoved(row);
    Q_EMIT repositioned();
}

} // namespace vemtaro::db
