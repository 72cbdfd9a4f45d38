#include "Ventanas.h"

#include "FrmConsulVemtaro.h"
#include "ImportacionInicial.h"
#include "db/DataFolder.h"
#include "db/DbError.h"
#include "db/DefaultData.h"
#include "extsearch/FrmConsulExt.h"
#include "platform/MessageBox.h"
#include "platform/RegionalNumbers.h"
#include "references/FrmReferencias.h"

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

namespace vemtaro {
namespace {

QString referenciasPath()
{
    return QDir(db::dataFolder()).filePath(QStringLiteral("referencias.rtf"));
}

QPointer<FrmConsulExt>& frmConsulExt()
{
    static QPointer<FrmConsulExt> window;
    return window;
}

void volverDeFrmConsulExt(FrmConsulExt* extendida);

/// Loads the extended search window, hidden; null (the failure shown) when it cannot.
FrmConsulExt* cargarFrmConsulExt()
{
    try {
        auto* window = new FrmConsulExt;
        QObject::connect(window, &FrmConsulExt::volver, [window] { volverDeFrmConsulExt(window); });
        // Closing unloads it, though its deletion waits for the event loop: forget it at once.
        QObject::connect(window, &platform::Form::unloaded, [window] {
            if (frmConsulExt() == window)
                frmConsulExt() = nullptr;
        });
        frmConsulExt() = window;
        return window;
    } catch (const db::DbError& error) {
        platform::MessageBox::showError(error.description());
        return nullptr;
    }
}

void volverDeFrmConsulExt(FrmConsulExt* extendida)
{
    // The chart window comes first, so that the program does not take the moment between
    // the two for its last window closing; without it the clerk stays here.
    if (!mostrarFrmConsulVemtaro())
        return;
    extendida->close();
    if (FrmConsulExt* siguiente = cargarFrmConsulExt())
        siguiente->restablecer();
}

} // namespace

void prepararAplicacion()
{
    QApplication::setApplicationName(platform::MessageBox::applicationTitle());
    QApplication::setStyle(QStringLiteral("Fusion"));
    platform::useRegionalSettings();
    // The platform's own dialogs (the file dialog of a listing saved as PDF) speak Spanish too.
    static bool traducida = false;
    if (!std::exchange(traducida, true)) {
        auto* traductor = new QTranslator(qApp);
        if (traductor->load(QLocale(QLocale::Spanish), QStringLiteral("qtbase"),
                            QStringLiteral("_"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(traductor);
    }
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
        platform::MessageBox::showError(error.description());
        return nullptr;
    }
}

FrmConsulExt* mostrarFrmConsulExt()
{
    FrmConsulExt* window = frmConsulExt() ? frmConsulExt().data() : cargarFrmConsulExt();
    if (window) {
        window->show();
        window->activateWindow();
    }
    return window;
}

FrmConsulExt* frmConsulExtCargada()
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
