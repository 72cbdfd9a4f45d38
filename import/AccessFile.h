#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

namespace vemtaro::importing {

/// One value of an Access row, in the form it takes in SQLite.
struct AccessValue {
    enum Kind { Null, Integer, Real, Text, Blob };
    Kind kind = Null;
    qint64 integer = 0;
    double real = 0;
    QByteArray bytes; ///< Text: UTF-8; Blob: the stored bytes
};

/// A field of an Access table.
struct AccessColumn {
    QString name;
    int type = 0; ///< libmdb's type code (MDB_TEXT, MDB_LONGINT, ...)

    /// The declared SQLite type of a column that keeps this field's values as they stand.
    QString sqlType() const;
};

class AccessTable;

/// An Access database (Jet 3, Jet 4 or a later Access file) opened read-only through libmdb.
///
/// Failures throw db::DbError whose description is the reason alone, in Spanish and in lower
/// case ("no es un archivo de Access", "el archivo está dañado o incompleto (...)"), for the
/// caller to put after the file name.
class AccessFile {
public:
    /// Opens `path` and reads its list of tables.
    explicit AccessFile(const QString& path);
    ~AccessFile();
    AccessFile(const AccessFile&) = delete;
    AccessFile& operator=(const AccessFile&) = delete;

    /// The kind of file, for people: "Access 97 (Jet 3)", "Access 2000-2003 (Jet 4)", ...
    QString format() const;
    /// The tables holding the office's data, in the file's catalog order; system tables,
    /// queries, forms and the like are not among them.
    QStringList tableNames() const;
    /// Opens the table at `index` of tableNames() before its first row. It reads through this
    /// file, which must outlive it. Several tables may be open, but the rows of one are read
    /// to its end before another's.
    std::unique_ptr<AccessTable> openTable(int index);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

/// The rows of one Access table, read one at a time in the file's order.
class AccessTable {
public:
    ~AccessTable();
    AccessTable(const AccessTable&) = delete;
    AccessTable& operator=(const AccessTable&) = delete;

    QString name() const;
    const QList<AccessColumn>& columns() const { return m_columns; }
    /// The number of rows the table's definition records.
    qint64 recordedRows() const;

    /// Moves to the next row; false after the last. Throws when the table turns out to hold
    /// fewer rows than recorded, or a row cannot be read.
    bool next();
    /// The value of column `index` in the current row, written into `value` (whose buffer is
    /// reused). Throws when a long text or object of the row cannot be read whole.
    void read(int index, AccessValue& value);

private:
    friend class AccessFile;
    struct Impl;
    explicit AccessTable(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> d;
    QList<AccessColumn> m_columns;
};

} // namespace vemtaro::importing
