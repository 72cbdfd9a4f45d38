#include "AccessFile.h"

#include "ImportSummary.h"

#include "db/DbError.h"

#include <QFile>
#include <QtEndian>
#include <mdbtools.h>

#include <cstring>
#include <ctime>
#include <vector>

namespace vemtaro::importing {
namespace {

using db::DbError;

const QString damagedFile = QStringLiteral("el archivo está dañado o incompleto");

// Row offsets on a page carry two flag bits above the offset itself.
constexpr int rowOffsetMask = 0x1fff;

// The first page of every Access file: a signature, then the version of the format.
constexpr int versionOffset = 0x14;
const QByteArray jetSignature("\0\1\0\0Standard Jet DB\0", 20);
const QByteArray aceSignature("\0\1\0\0Standard ACE DB\0", 20);

// The database password, within the scrambled part of the first page that libmdb restores.
// From Jet 4 on it is masked further with the whole days of the file's creation date.
constexpr int passwordOffset = 0x42;
constexpr int jet3PasswordSize = 20;
constexpr int jet4PasswordSize = 40;
constexpr int creationDateOffset = 0x72;

template <typename T> T little(const void* data)
{
    return qFromLittleEndian<T>(data);
}

/// Frees what libmdb allocated with glib.
struct GlibText {
    char* text;
    ~GlibText() { g_free(text); }
};

} // namespace

QString AccessColumn::sqlType() const
{
    switch (type) {
    case MDB_BOOL:
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
    case MDB_COMPLEX:
        return QStringLiteral("INTEGER");
    case MDB_FLOAT:
    case MDB_DOUBLE:
        return QStringLiteral("REAL");
    case MDB_MONEY:
    case MDB_NUMERIC:
        return QStringLiteral("NUMERIC");
    case MDB_TEXT:
    case MDB_MEMO:
    case MDB_DATETIME:
    case MDB_REPID:
        return QStringLiteral("TEXT");
    default:
        return QStringLiteral("BLOB");
    }
}

struct AccessFile::Impl {
    MdbHandle* mdb = nullptr;
    QByteArray header; ///< the first page, its scrambled part restored by libmdb
    qint64 pageCount = 0;
    std::vector<MdbCatalogEntry*> tables;

    ~Impl()
    {
        if (mdb)
            mdb_close(mdb);
    }

    // Refuses early, and with the right reason, what libmdb would only half read.
    void checkFile(const QString& path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            throw DbError(
                QStringLiteral("no se puede abrir el archivo (%1)").arg(file.errorString()));
        const QByteArray start = file.read(versionOffset + 4);
        if (start.size() < versionOffset + 4 ||
            (!start.startsWith(jetSignature) && !start.startsWith(aceSignature)))
            throw DbError(QStringLiteral("no es un archivo de Access"));
        const quint32 version = little<quint32>(start.constData() + versionOffset);
        if (version > MDB_VER_ACCDB_2019)
            throw DbError(
                QStringLiteral("es de una versión de Access que este programa no sabe leer"));
        const qint64 pageSize = version == MDB_VER_JET3 ? 2048 : 4096;
        if (file.size() % pageSize != 0 || file.size() < 3 * pageSize)
            throw DbError(damagedFile + QStringLiteral(" (le falta una parte)"));
        pageCount = file.size() / pageSize;
    }

    bool hasPassword() const
    {
        const bool jet3 = mdb->f->jet_version == MDB_VER_JET3;
        quint32 mask = 0;
        if (!jet3)
            mask = quint32(qint32(little<double>(header.constData() + creationDateOffset)));
        const int size = jet3 ? jet3PasswordSize : jet4PasswordSize;
        for (int i = 0; i < size; ++i) {
            const uchar maskByte = uchar(mask >> (8 * (i % 4)));
            if (uchar(header[passwordOffset + i]) != maskByte)
                return true;
        }
        return false;
    }

    // libmdb passes over catalog rows it cannot read: the catalog's own table, MSysObjects,
    // must be there and hold as many rows as it records.
    bool catalogWhole() const
    {
        for (unsigned i = 0; i < mdb->num_catalog; ++i) {
            auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
            if (entry->object_type != MDB_TABLE ||
                QLatin1String(entry->object_name) != QLatin1String("MSysObjects"))
                continue;
            MdbTableDef* catalog = mdb_read_table(entry);
            if (!catalog)
                return false;
            const bool whole = catalog->num_rows == mdb->num_catalog;
            mdb_free_tabledef(catalog);
            return whole;
        }
        return false;
    }

    void readCatalog()
    {
        if (!mdb_read_catalog(mdb, MDB_ANY)) {
            // libmdb reads files with a database password, and undoes the page encoding of
            // Jet 4; a list of tables it cannot read in such a file is most likely encrypted.
            if (hasPassword() || mdb->f->db_key != 0)
                throw DbError(QStringLiteral("está cifrado con contraseña"));
            if (mdb->f->jet_version >= MDB_VER_ACCDB_2007)
                throw DbError(QStringLiteral("está cifrado con contraseña o dañado"));
            throw DbError(damagedFile + QStringLiteral(" (no se puede leer su lista de tablas)"));
        }
        if (!catalogWhole())
            throw DbError(damagedFile + QStringLiteral(" (su lista de tablas está incompleta)"));
        for (unsigned i = 0; i < mdb->num_catalog; ++i) {
            auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
            if (mdb_is_user_table(entry))
                tables.push_back(entry);
        }
    }
};

AccessFile::AccessFile(const QString& path) : d(std::make_unique<Impl>())
{
    d->checkFile(path);
    d->mdb = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
    if (!d->mdb)
        throw DbError(damagedFile);
    d->header = QByteArray(reinterpret_cast<const char*>(d->mdb->pg_buf), d->mdb->fmt->pg_size);
    d->readCatalog();
}

AccessFile::~AccessFile() = default;

QString AccessFile::format() const
{
    switch (d->mdb->f->jet_version) {
    case MDB_VER_JET3:
        return QStringLiteral("Access 97 (Jet 3)");
    case MDB_VER_JET4:
        return QStringLiteral("Access 2000-2003 (Jet 4)");
    default:
        return QStringLiteral("Access 2007 o posterior");
    }
}

QStringList AccessFile::tableNames() const
{
    QStringList names;
    for (const MdbCatalogEntry* entry : d->tables)
        names.append(QString::fromUtf8(entry->object_name));
    return names;
}

struct AccessTable::Impl {
    MdbHandle* mdb;
    MdbTableDef* table;
    qint64 pageCount;
    std::vector<MdbField> fields;
    qint64 rowsRead = 0;

    ~Impl() { mdb_free_tabledef(table); }

    QString name() const { return QString::fromUtf8(table->name); }

    [[noreturn]] void damaged(const QString& detail) const
    {
        throw DbError(damagedFile + QStringLiteral(" (%1 de la tabla «%2»)").arg(detail, name()));
    }

    const MdbColumn* column(int index) const
    {
        return static_cast<const MdbColumn*>(g_ptr_array_index(table->columns, index));
    }

    // A row of a long-value page, checked against the page it claims to be on.
    std::pair<const uchar*, qsizetype> longValueRow(quint32 pageRow) const
    {
        void* page = nullptr;
        int start = 0;
        size_t size = 0;
        if ((pageRow >> 8) >= quint64(pageCount) ||
            mdb_find_pg_row(mdb, int(pageRow), &page, &start, &size) != 0)
            return {nullptr, 0};
        const auto* bytes = static_cast<const uchar*>(page);
        const int pageSize = int(mdb->fmt->pg_size);
        const int rows = little<quint16>(bytes + mdb->fmt->row_count_offset);
        start &= rowOffsetMask;
        if (bytes[0] != MDB_PAGE_DATA || std::memcmp(bytes + 4, "LVAL", 4) != 0 ||
            int(pageRow & 0xff) >= rows || size > size_t(pageSize - start))
            return {nullptr, 0};
        return {bytes + start, qsizetype(size)};
    }

    // The whole of a memo or OLE value: inside the row, on one page, or along a chain.
    QByteArray longValue(const MdbField& field) const
    {
        if (field.siz == 0)
            return {};
        if (field.siz < MDB_MEMO_OVERHEAD)
            damaged(QStringLiteral("un valor largo mal formado"));
        const auto* head = static_cast<const uchar*>(field.value);
        const quint32 flags = little<quint32>(head) & 0xc0000000;
        const qsizetype length = little<quint32>(head) & 0x3fffffff;
        quint32 pageRow = little<quint32>(head + 4);
        if (flags == 0x80000000) {
            if (length > field.siz - MDB_MEMO_OVERHEAD)
                damaged(QStringLiteral("un valor largo cortado"));
            return QByteArray(reinterpret_cast<const char*>(head) + MDB_MEMO_OVERHEAD, length);
        }
        if (flags == 0x40000000) {
            const auto [row, size] = longValueRow(pageRow);
            if (!row || size < length)
                damaged(QStringLiteral("un valor largo que no se puede leer"));
            return QByteArray(reinterpret_cast<const char*>(row), length);
        }
        if (flags != 0)
            damaged(QStringLiteral("un valor largo mal formado"));
        // Each page of the chain starts with the place of the next one.
        QByteArray value;
        value.reserve(length);
        for (qint64 pages = 0; value.size() < length; ++pages) {
            const auto [row, size] = longValueRow(pageRow);
            if (!row || size <= 4 || pages >= pageCount)
                damaged(QStringLiteral("un valor largo que no se puede leer"));
            pageRow = little<quint32>(row);
            value.append(reinterpret_cast<const char*>(row) + 4,
                         qMin(size - 4, length - value.size()));
        }
        return value;
    }

    // Text is stored in the file's code page (Jet 3) or as UCS-2, maybe compressed (Jet 4).
    void decodeText(const void* data, qsizetype size, QByteArray& text) const
    {
        if (size == 0) {
            text.resize(0);
            return;
        }
        // At most three bytes of UTF-8 for each byte stored.
        text.resize(3 * size + 1);
        const int length = mdb_unicode2ascii(mdb, static_cast<const char*>(data), size_t(size),
                                             text.data(), size_t(text.size()));
        text.resize(length);
    }
};

AccessTable::AccessTable(std::unique_ptr<Impl> impl) : d(std::move(impl))
{
    for (unsigned i = 0; i < d->table->num_cols; ++i)
        m_columns.append({QString::fromUtf8(d->column(int(i))->name), d->column(int(i))->col_type});
    d->fields.resize(d->table->num_cols);
    mdb_rewind_table(d->table);
}

AccessTable::~AccessTable() = default;

std::unique_ptr<AccessTable> AccessFile::openTable(int index)
{
    MdbCatalogEntry* entry = d->tables.at(size_t(index));
    const auto unreadable = [entry] {
        return DbError(QStringLiteral("no se puede leer la tabla «%1»")
                           .arg(QString::fromUtf8(entry->object_name)));
    };
    MdbTableDef* table = mdb_read_table(entry);
    if (!table)
        throw unreadable();
    std::unique_ptr<AccessTable::Impl> impl(
        new AccessTable::Impl{d->mdb, table, d->pageCount, {}, 0});
    if (!mdb_read_columns(table))
        throw unreadable();
    return std::unique_ptr<AccessTable>(new AccessTable(std::move(impl)));
}

QString AccessTable::name() const
{
    return d->name();
}

qint64 AccessTable::recordedRows() const
{
    return d->table->num_rows;
}

bool AccessTable::next()
{
    // libmdb passes over rows it cannot take apart; the count the table recorded tells.
    if (!mdb_fetch_row(d->table)) {
        if (d->rowsRead < recordedRows())
            d->damaged(QStringLiteral("solo se pudieron leer %1 de %2")
                           .arg(QString::number(d->rowsRead), rowCount(recordedRows())));
        return false;
    }
    int start = 0;
    size_t size = 0;
    if (mdb_find_row(d->mdb, int(d->table->cur_row) - 1, &start, &size) != 0 ||
        mdb_crack_row(d->table, start & rowOffsetMask, size, d->fields.data()) < 0)
        d->damaged(QStringLiteral("la fila %1 no se puede leer").arg(d->rowsRead + 1));
    ++d->rowsRead;
    return true;
}

void AccessTable::read(int index, AccessValue& value)
{
    const MdbField& field = d->fields[size_t(index)];
    const int type = m_columns[index].type;
    const auto setInteger = [&value](qint64 number) {
        value.kind = AccessValue::Integer;
        value.integer = number;
    };
    const auto setReal = [&value](double number) {
        value.kind = AccessValue::Real;
        value.real = number;
    };
    const auto setText = [&value](const GlibText& text) {
        value.kind = AccessValue::Text;
        value.bytes = QByteArray(text.text);
    };
    // A yes/no field is stored as its null flag, and is never null.
    if (type == MDB_BOOL)
        return setInteger(field.is_null ? 0 : 1);
    if (field.is_null) {
        value.kind = AccessValue::Null;
        return;
    }
    MdbHandle* mdb = d->mdb;
    switch (type) {
    case MDB_BYTE:
        return setInteger(*static_cast<const quint8*>(field.value));
    case MDB_INT:
        return setInteger(little<qint16>(field.value));
    case MDB_LONGINT:
    case MDB_COMPLEX:
        return setInteger(little<qint32>(field.value));
    case MDB_FLOAT:
        return setReal(little<float>(field.value));
    case MDB_DOUBLE:
        return setReal(little<double>(field.value));
    case MDB_MONEY:
        return setText(GlibText{mdb_money_to_string(mdb, field.start)});
    case MDB_NUMERIC: {
        const MdbColumn* column = d->column(index);
        return setText(
            GlibText{mdb_numeric_to_string(mdb, field.start, column->col_scale, column->col_prec)});
    }
    case MDB_REPID:
        return setText(GlibText{mdb_uuid_to_string(mdb->pg_buf, field.start)});
    case MDB_DATETIME: {
        std::tm time{};
        mdb_date_to_tm(little<double>(field.value), &time);
        value.kind = AccessValue::Text;
        value.bytes = QStringLiteral("%1-%2-%3 %4:%5:%6")
                          .arg(time.tm_year + 1900, 4, 10, QLatin1Char('0'))
                          .arg(time.tm_mon + 1, 2, 10, QLatin1Char('0'))
                          .arg(time.tm_mday, 2, 10, QLatin1Char('0'))
                          .arg(time.tm_hour, 2, 10, QLatin1Char('0'))
                          .arg(time.tm_min, 2, 10, QLatin1Char('0'))
                          .arg(time.tm_sec, 2, 10, QLatin1Char('0'))
                          .toUtf8();
        return;
    }
    case MDB_TEXT:
        value.kind = AccessValue::Text;
        return d->decodeText(field.value, field.siz, value.bytes);
    case MDB_MEMO: {
        value.kind = AccessValue::Text;
        const QByteArray stored = d->longValue(field);
        return d->decodeText(stored.constData(), stored.size(), value.bytes);
    }
    case MDB_OLE:
        value.kind = AccessValue::Blob;
        value.bytes = d->longValue(field);
        return;
    default: // binary, and whatever else: the bytes as stored
        value.kind = AccessValue::Blob;
        value.bytes = QByteArray(static_cast<const char*>(field.value), field.siz);
        return;
    }
}

} // namespace vemtaro::importing
