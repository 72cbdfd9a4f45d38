#pragma once

#include "db/HistoryUndo.h"
#include "platform/Controls.h"
#include "platform/Form.h"

class QTableView;

namespace vemtaro {

namespace history {
class HistoryModel;
}

/// The change history window, "Historial de cambios": every recorded change of the accounts
/// database, newest first, narrowed by a word of the account code or description as the clerk
/// types it, with the selected change's fields in full below the list.
///
/// "Deshacer" undoes the selected change (see db::HistoryUndo): it says why when the change
/// cannot be undone (undone already, its account gone), asks before removing an added account
/// and before overwriting values that changed since, and then shows the undo at the top of the
/// list. On a read-only database the list is shown and nothing can be undone.
///
/// The window is modal over the whole application and is destroyed when it closes ("Cerrar",
/// Escape or its close box), telling whether it changed the database.
class FrmHistorial : public platform::Form {
    Q_OBJECT
public:
    /// A window on the history of `db`, which must outlive it, centred over `parent`.
    FrmHistorial(db::Connection& db, QWidget* parent);
    ~FrmHistorial() override;

    platform::Label* lblPalabra;
    platform::TextBox* txtPalabra;
    QTableView* dbgHistorial;
    platform::MultiLineTextBox* txtDetalle;
    platform::Label* lblSoloLectura;
    platform::CommandButton* cmdDeshacer;
    platform::CommandButton* cmdCerrar;

    /// The window's list.
    history::HistoryModel& modelo() { return *m_modelo; }

Q_SIGNALS:
    /// The window has closed; `huboCambios` when an undo changed the database.
    void cerrado(bool huboCambios);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void crearControles(bool soloLectura, const QString& porQue);
    void txtPalabra_Change();
    void dbgHistorial_CurrentChanged();
    void cmdDeshacer_Click();
    /// Makes the change `id` current when the list shows it, else the first row.
    void seleccionar(qint64 id);

    db::Connection& m_db;
    db::HistoryUndo m_deshacer;
    history::HistoryModel* m_modelo;
    bool m_huboCambios = false;
};

} // namespace vemtaro
