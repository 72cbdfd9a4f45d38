#pragma once

#include <QString>

namespace vemtaro {
class FrmConsulVemtaro;
}

namespace vemtaro::bench {

/// Saves made through the chart window's buttons as a clerk makes them, one account after
/// another from a given row on: "Edicion", the remarks replaced, "Salvar".
class RemarksSaves {
public:
    RemarksSaves(FrmConsulVemtaro& window, int firstRow) : m_window(window), m_row(firstRow - 1) {}

    /// Makes the next account current and picks its new remarks (not part of a save's time).
    void next();
    /// Saves the current account with its new remarks, up to the window showing the result.
    void save();

    int row() const { return m_row; }
    const QString& remarks() const { return m_remarks; }

private:
    FrmConsulVemtaro& m_window;
    int m_row;
    QString m_remarks;
};

} // namespace vemtaro::bench
