#include "ImportacionInicial.h"

#include "import/FirstStart.h"
#include "platform/MessageBox.h"

namespace vemtaro {
namespace {

// The summary box shows this many lines to review; the file has them all.
constexpr int lineasARevisarEnMensaje = 15;

} // namespace

DialogoImportacion::DialogoImportacion()
{
    setObjectName(QStringLiteral("dlgImportacion"));
    setAccessibleName(QStringLiteral("Importación de la base de datos anterior"));
    setWindowTitle(platform::MessageBox::applicationTitle());
    setWindowModality(Qt::ApplicationModal);
    setCancelButtonText(QStringLiteral("Cancelar"));
    setAutoClose(false);
    setAutoReset(false);
    setMinimumDuration(esperaMs);
    setLabelText(QStringLiteral("Importando la base de datos anterior…"));
}

bool DialogoImportacion::avanzar(const importing::ImportProgress& progress)
{
    setMaximum(int(qMax<qint64>(progress.total, 1)));
    setLabelText(QStringLiteral("Importando la tabla «%1»: fila %2 de %3")
                     .arg(progress.table, QString::number(progress.tableRows),
                          QString::number(progress.tableTotal)));
    setValue(int(progress.rows));
    return !wasCanceled();
}

void importarBaseAnterior()
{
    const QString origen = importing::pendingAccessDatabase();
    if (origen.isEmpty())
        return;
    const importing::FirstStartImport hecho = [&origen] {
        DialogoImportacion dialogo;
        return importing::importAtFirstStart(origen,
                                             [&dialogo](const importing::ImportProgress& progress) {
                                                 return dialogo.avanzar(progress);
                                             });
    }();
    QString mensaje = hecho.summary.text(lineasARevisarEnMensaje);
    mensaje +=
        hecho.summarySaved
            ? QStringLiteral("\nEste resumen está también en «%1».").arg(importing::summaryPath())
            : QStringLiteral("\nNo se pudo guardar este resumen en «%1».")
                  .arg(importing::summaryPath());
    platform::MessageBox::show(mensaje);
}

} // namespace vemtaro
