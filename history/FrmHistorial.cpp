#include "FrmHistorial.h"

#include "HistoryModel.h"
#include "HistoryTexts.h"

#include "db/Connection.h"
#include "db/DbError.h"
#include "platform/Look.h"
#include "platform/MessageBox.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QTableView>

namespace vemtaro {

using namespace platform;

namespace {

const QString titulo = QStringLiteral("Historial de cambios");

} // namespace

FrmHistorial::FrmHistorial(db::Connection& db, QWidget* parent)
    : Form(parent, Qt::Dialog), m_db(db), m_deshacer(db),
      m_modelo(new history::HistoryModel(db, this))
{
    setObjectName(QStringLiteral("FrmHistorial"));
    setWindowTitle(titulo);
    setWindowModality(Qt::ApplicationModal);
    setBackColor(QColor(bgr(0x00C0C000)));
    setClientSizeTwips(11790, 6495);
    setFont(sansFont(9.75));
    crearControles(db.isReadOnly(), db.readOnlyReason());
    setTabOrderByIndex(
        {{0, txtPalabra}, {1, dbgHistorial}, {2, txtDetalle}, {3, cmdDeshacer}, {4, cmdCerrar}});

    connect(m_modelo, &history::HistoryModel::readFailed, this, &MessageBox::showError,
            Qt::QueuedConnection);
    txtPalabra->Change = [this] { txtPalabra_Change(); };
    cmdDeshacer->Click = [this] { cmdDeshacer_Click(); };
    cmdCerrar->Click = [this] { close(); };
    connect(dbgHistorial->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &FrmHistorial::dbgHistorial_CurrentChanged);

    seleccionar(0);
    if (parent)
        move(parent->frameGeometry().center() - rect().center());
    txtPalabra->setFocus();
}

FrmHistorial::~FrmHistorial() = default;

void FrmHistorial::crearControles(bool soloLectura, const QString& porQue)
{
    lblPalabra = new Label(QStringLiteral("Cuenta o descripción:"), this);
    lblPalabra->setObjectName(QStringLiteral("lblPalabra"));
    lblPalabra->setFont(sansFont(9.75, true));
    lblPalabra->adjustSize();
    lblPalabra->move(twips(120), twips(150));
    txtPalabra = place(new TextBox(this), "txtPalabra", 2520, 90, 3015, 405);
    txtPalabra->setAccessibleName(QStringLiteral("Palabra del código o la descripción"));
    lblPalabra->setBuddy(txtPalabra);

    lblSoloLectura = new Label(QStringLiteral("Solo lectura: se pueden ver los cambios, pero no "
                                              "deshacerlos."),
                               this);
    lblSoloLectura->setObjectName(QStringLiteral("lblSoloLectura"));
    lblSoloLectura->setFont(sansFont(8.25, true));
    setColor(lblSoloLectura, QPalette::WindowText, QColor(bgr(0x00000080)));
    lblSoloLectura->setToolTip(porQue);
    lblSoloLectura->adjustSize();
    lblSoloLectura->move(twips(5760), twips(180));
    lblSoloLectura->setVisible(soloLectura);

    dbgHistorial = place(new QTableView(this), "dbgHistorial", 120, 600, 11550, 3900);
    dbgHistorial->setAccessibleName(QStringLiteral("Cambios registrados"));
    dbgHistorial->setFont(sansFont(8.25));
    dbgHistorial->setModel(m_modelo);
    dbgHistorial->setSelectionBehavior(QAbstractItemView::SelectRows);
    dbgHistorial->setSelectionMode(QAbstractItemView::SingleSelection);
    dbgHistorial->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dbgHistorial->setWordWrap(false);
    dbgHistorial->verticalHeader()->hide();
    dbgHistorial->verticalHeader()->setDefaultSectionSize(dbgHistorial->fontMetrics().height() + 6);
    dbgHistorial->horizontalHeader()->setStretchLastSection(true);
    // Column widths in twips; the changes take what is left.
    const int anchos[] = {600, 1800, 1200, 1050, 900, 1050, 1800};
    for (int columna = 0; columna < int(std::size(anchos)); ++columna)
        dbgHistorial->setColumnWidth(columna, twips(anchos[columna]));

    txtDetalle = place(new MultiLineTextBox(this), "txtDetalle", 120, 4620, 11550, 1095);
    txtDetalle->setAccessibleName(QStringLiteral("Detalle del cambio"));
    txtDetalle->setReadOnly(true);
    txtDetalle->setFont(sansFont(8.25));

    cmdDeshacer = place(new CommandButton(QStringLiteral("&Deshacer"), this), "cmdDeshacer", 8280,
                        5880, 1575, 495);
    cmdCerrar = place(new CommandButton(QStringLiteral("&Cerrar"), this), "cmdCerrar", 9960, 5880,
                      1575, 495);
}

void FrmHistorial::closeEvent(QCloseEvent* event)
{
    Q_EMIT cerrado(m_huboCambios);
    Form::closeEvent(event);
}

void FrmHistorial::keyPressEvent(QKeyEvent* event)
{
    // Escape closes, as in a dialog.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
        close();
    else
        Form::keyPressEvent(event);
}

void FrmHistorial::txtPalabra_Change()
{
    m_modelo->setWord(txtPalabra->text());
    seleccionar(0);
}

void FrmHistorial::seleccionar(qint64 id)
{
    const int fila = std::max(m_modelo->rowOf(id), 0);
    if (fila < m_modelo->rowCount())
        dbgHistorial->setCurrentIndex(m_modelo->index(fila, 0));
    dbgHistorial_CurrentChanged();
}

void FrmHistorial::dbgHistorial_CurrentChanged()
{
    const QModelIndex actual = dbgHistorial->currentIndex();
    cmdDeshacer->setEnabled(actual.isValid() && !m_db.isReadOnly());
    if (!actual.isValid()) {
        txtDetalle->setText(QString());
        return;
    }
    const db::HistoryEntry& cambio = m_modelo->change(actual.row());
    txtDetalle->setText(
        QStringLiteral("Cambio n.º %1, %2, por %3: %4 en %5 de la cuenta %6.\n%7")
            .arg(cambio.id)
            .arg(history::whenText(cambio), cambio.user, history::actionText(cambio), cambio.table,
                 history::accountText(cambio),
                 history::changesText(cambio, m_db.table(cambio.table), QStringLiteral("\n"))));
}

void FrmHistorial::cmdDeshacer_Click()
{
    const QModelIndex actual = dbgHistorial->currentIndex();
    if (!actual.isValid())
        return;
    const db::HistoryEntry cambio = m_modelo->change(actual.row());
    try {
        const db::HistoryUndo::State estado = m_deshacer.state(cambio);
        if (const QString porQue = history::cannotUndoText(cambio, estado); !porQue.isEmpty()) {
            MessageBox::show(porQue, vbOKOnly, titulo);
            return;
        }
        const QString pregunta = history::undoQuestion(cambio, estado, m_db.table(cambio.table));
        if (!pregunta.isEmpty() &&
            MessageBox::show(pregunta, vbOKCancel + vbQuestion, titulo) != vbOK)
            return;
        m_deshacer.undo(cambio, estado);
    } catch (const db::DbError& error) {
        MessageBox::showError(error.description());
        return;
    }
    m_huboCambios = true;
    m_modelo->reload();
    seleccionar(cambio.id);
}

} // namespace vemtaro
