#pragma once

#include <QString>
#include <QStringList>

namespace vemtaro::db {

/// `identifier` (a table or field name from a TableSchema) quoted for an SQL text.
inline QString quotedName(const QString& identifier)
{
    return QLatin1Char('"') +
           QString(identifier).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

/// One table of the accounts database as the record sources see it.
struct TableSchema {
    QString name;        ///< as declared, e.g. "vemtaro", "extendido"
    QStringList columns; ///< the visible fields in declared order; the key is not among them
    QString keyColumn;   ///< the stable row key the record sets use (an INTEGER PRIMARY KEY)
    QList<bool> numeric; ///< per column: true where the field holds numbers (VIDA_UTIL, Ord)

    /// Index of `field` in `columns`, compared without regard to case; -1 when absent.
    int columnIndex(const QString& field) const
    {
        for (int i = 0; i < columns.size(); ++i)
            if (columns[i].compare(field, Qt::CaseInsensitive) == 0)
                return i;
        return -1;
    }
};

} // namespace vemtaro::db
