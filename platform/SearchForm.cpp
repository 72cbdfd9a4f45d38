#include "SearchForm.h"

#include "Look.h"
#include "MessageBox.h"
#include "db/Connection.h"
#include "db/DataFolder.h"
#include "db/DbError.h"

#include <QApplication>
#include <QStyle>
#include <optional>

namespace vemtaro::platform {

namespace {

/// The hourglass for as long as it lives, however the scope is left.
class BusyPointer {
public:
    BusyPointer() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyPointer() { QApplication::restoreOverrideCursor(); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
};

} // namespace

SearchForm::SearchForm(const QString& recordSource) : m_db(db::Connection::open(db::databasePath()))
{
    dcdatos = new DataControl(*m_db, recordSource, this);
    dcdatos->setObjectName(QStringLiteral("dcdatos"));
    dbgResultados = new DataGrid(*dcdatos, this);
    dbgResultados->setObjectName(QStringLiteral("dbgResultados"));
    dbgResultados->setFont(sansFont(8.25));

    TxtSQL = new MultiLineTextBox(this);
    TxtSQL->setObjectName(QStringLiteral("TxtSQL"));
    TxtSQL->setAccessibleName(QStringLiteral("Consulta"));
    TxtSQL->hide();

    const auto zoom = [&](const char* name, QStyle::StandardPixmap picture) {
        auto* button = new CommandButton(QStringLiteral("ZOOM"), this);
        button->setObjectName(QString::fromLatin1(name));
        button->setFont(sansFont(8.25));
        button->setIcon(style()->standardIcon(picture));
        setColor(button, QPalette::Button, QColor(bgr(0x0080C0FF)));
        return button;
    };
    cmdzoom1 = zoom("cmdzoom1", QStyle::SP_ArrowUp);
    cmdzoom2 = zoom("cmdzoom2", QStyle::SP_ArrowDown);
    cmdzoom2->raise();
    cmdzoom1->Click = [this] { cmdzoom1_Click(); };
    cmdzoom2->Click = [this] { cmdzoom2_Click(); };

    connect(dcdatos, &DataControl::Reposition, this, &SearchForm::dcdatos_Reposition);
    connect(dcdatos, &DataControl::moveFailed, this, &MessageBox::showError);
    // The record source opened on its first record before anyone listened.
    dcdatos_Reposition();
}

SearchForm::~SearchForm()
{
    // The grid reads the record set, and the record set the database: they go first.
    delete dbgResultados;
    delete dcdatos;
}

QString SearchForm::textoDePosicion(int position, int count)
{
    if (count == 0)
        return QStringLiteral("No hay entradas de registros");
    return QStringLiteral("Registro:%1 de %2").arg(position + 1).arg(count);
}

void SearchForm::ponerTitulo(const QString& titulo)
{
    setWindowTitle(titulo + QString(60, QLatin1Char(' ')) +
                   QStringLiteral("Oficina de Patrimonio - Departamento de Bienes de Uso"));
}

void SearchForm::consultar(const QString& consulta)
{
    TxtSQL->setText(consulta);
    aplicarConsulta(TxtSQL->text());
}

void SearchForm::seleccionarTodo(TextBox* box)
{
    box->setSelStart(0);
    box->setSelLength(box->text().size());
}

void SearchForm::aplicarConsulta(const QString& text)
{
    std::optional<QString> failure;
    {
        BusyPointer busy;
        try {
            dcdatos->setRecordSource(text);
            dcdatos->refresh();
        } catch (const db::DbError& error) {
            failure = error.description();
        }
    }
    if (failure)
        MessageBox::showError(*failure);
}

void SearchForm::dcdatos_Reposition()
{
    const db::RecordSet& records = dcdatos->recordset();
    dcdatos->setCaption(textoDePosicion(records.absolutePosition(), records.recordCount()));
}

void SearchForm::cmdzoom1_Click()
{
    dbgResultados->setFontSize(13);
    cmdzoom1->hide();
    cmdzoom2->show();
}

void SearchForm::cmdzoom2_Click()
{
    dbgResultados->setFontSize(9);
    cmdzoom2->hide();
    cmdzoom1->show();
}

} // namespace vemtaro::platform
