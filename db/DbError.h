#pragma once

#include <QString>
#include <stdexcept>

namespace vemtaro::db {

/// A failure of the accounts database: a rejected or refused query text, an engine error,
/// a failed write. `description()` is the Spanish text the windows show after "Error: ".
class DbError : public std::runtime_error {
public:
    explicit DbError(const QString& description)
        : std::runtime_error(description.toStdString()), m_description(description)
    {
    }
    const QString& description() const { return m_description; }

private:
    QString m_description;
};

} // namespace vemtaro::db
