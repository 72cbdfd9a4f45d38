#include "Ventanas.h"

#include "FrmConsulVemtaro.h"
#include "ImportacionInicial.h"
#include "db/DataFolder.h"
#include "db/DbError.h"
#include "db/DefaultData.h"
#include "platform/Controls.h"
#include "platform/Form.h"
#include "platform/Look.h"
#include "platform/MessageBox.h"
#include "platform/RegionalNumbers.h"
#include "references/FrmReferencias.h"

#include <QApplication>
#include <QDir>
#include <QVBoxLayout>

namespace vemtaro {
namespace {

/// Stands in for the extended search window until it is built: it only leads back.
class FrmConsulExtPendiente : public platform::Form {
public:
    FrmConsulExtPendiente()
    {
        setObjectName(QStringLiteral("FrmConsulExt"));
        setWindowTitle(QStringLiteral("Consulta Extendida"));
        setBackColor(QColor(255, 192, 128));
        setClientSizeTwips(11880, 8595);
        setFont(platform::sansFont(12));
        // Returning keeps this window loaded and hidden, as the real one will be.
        setAttribute(Qt::WA_DeleteOnClose, false);
        auto* aviso = new platform::Label(
            QStringLiteral("La búsqueda avanzada todavía no está disponible."), this);
        aviso->setObjectName(QStringLiteral("lblAviso"));
        auto* cmdSalir =
            new platform::CommandButton(QStringLiteral("Volver a Busqueda Básica"), this);
        cmdSalir->setObjectName(QStringLiteral("cmdSalir"));
        cmdSalir->Click = [this] {
            hide();
            mostrarFrmConsulVemtaro();
        };
        auto* layout = new QVBoxLayout(this);
        layout->addStretch();
        layout->addWidget(aviso, 0, Qt::AlignCenter);
        layout->addWidget(cmdSalir, 0, Qt::AlignCenter);
        layout->addStretch();
    }
};

QString referenciasPath()
{
    return QDir(db::dataFolder()).filePath(QStringLiteral("referencias.rtf"));
}

QPointer<QWidget>& frmConsulExt()
{
    static QPointer<QWidget> window;
    return window;
}

} // namespace

void prepararAplicacion()
{
    QApplication::setApplicationName(platform::MessageBox::applicationTitle());
    QApplication::setStyle(QStringLiteral("Fusion"));
    platform::useRegionalSettings();
}

void prepararCarpetaDeDatos()
{
    // The office's own accounts, when it brought them, and never the sample chart instead.
    importarBaseAnterior();
    db::ensureDefaultDatabase();
    ensureDefaultDocument(referenciasPath());
}

FrmConsulVemtaro* mostrarFrmConsulVemtaro()
{
    try {
        auto* window = new FrmConsulVemtaro;
        window->show();
        window->CmdEjecutar->setFocus();
        return window;
    } catch (const db::DbError& error) {
        platform::MessageBox::show(QStringLiteral("Error: ") + error.description());
        return nullptr;
    }
}

QWidget* mostrarFrmConsulExt()
{
    if (!frmConsulExt())
        frmConsulExt() = new FrmConsulExtPendiente;
    frmConsulExt()->show();
    frmConsulExt()->activateWindow();
    return frmConsulExt();
}

QWidget* frmConsulExtCargada()
{
    return frmConsulExt();
}

QWidget* mostrarFrmReferencias()
{
    auto* viewer = new FrmReferencias(referenciasPath());
    QObject::connect(viewer, &FrmReferencias::cerrado, [] { mostrarFrmConsulVemtaro(); });
    viewer->show();
    return viewer;
}

} // namespace vemtaro
