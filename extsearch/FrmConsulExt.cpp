#include "FrmConsulExt.h"

#include "printing/ImprimirResultados.h"

#include "platform/Look.h"

namespace vemtaro {

using namespace platform;

namespace {

/// What an exclude box holds when the window is created, and after every reset.
const QString marcadorInicial = QString(34, QLatin1Char('.'));
const QString marcadorRestablecido = QString(36, QLatin1Char('.'));

const QColor naranjaClaro(255, 192, 128);
const QColor celesteClaro(192, 255, 255);
const QColor verdeAzuladoOscuro(0, 64, 64);
const QColor violetaClaro(255, 192, 255);

} // namespace

FrmConsulExt::FrmConsulExt() : SearchForm(QStringLiteral("Extendido"))
{
    setObjectName(QStringLiteral("FrmConsulExt"));
    ponerTitulo(QStringLiteral("Consulta Extendida"));
    setBackColor(naranjaClaro);
    setClientSizeTwips(11880, 8595);
    setFont(sansFont(12));

    place(dbgResultados, 0, 120, 11775, 3255);
    setColor(dbgResultados, QPalette::Base, celesteClaro);
    // Column widths in twips; the description takes what is left.
    const int columnWidths[] = {900, 1200, 900};
    for (int column = 0; column < 3; ++column)
        dbgResultados->setColumnWidth(column, twips(columnWidths[column]));
    place(dcdatos, 4200, 3480, 3735, 495);
    dcdatos->setFont(sansFont(8.25)); // the window's type would not fit its caption

    crearAreaDeBusqueda();
    crearBotones();
    ordenarTabulacion();
    conectarEventos();
    dbgResultados->setFocus();
}

FrmConsulExt::~FrmConsulExt() = default;

void FrmConsulExt::crearAreaDeBusqueda()
{
    Frame1 =
        place(new Frame(QStringLiteral("Busqueda por:"), this), "Frame1", 120, 4200, 2055, 1335);
    Frame1->setFont(sansFont(8.25));
    const auto option = [&](const QString& caption, const char* name, int top, int width,
                            int height) {
        auto* button = place(new OptionButton(caption, Frame1), name, 120, top, width, height);
        button->setFont(sansFont(9.75, true));
        setColor(button, QPalette::WindowText, Qt::blue);
        return button;
    };
    OptDesc = option(QStringLiteral("Descripción"), "OptDesc", 240, 1695, 240);
    Optclase = option(QStringLiteral("Clase"), "Optclase", 600, 975, 255);
    optCod = option(QStringLiteral("Código"), "optCod", 960, 1095, 255);
    OptDesc->setChecked(true);

    const auto label = [&](const QString& caption, const char* name, int left, int top, int width) {
        auto* label = place(new Label(caption, this), name, left, top, width, 240);
        label->setFont(sansFont(9.75, true));
        setColor(label, QPalette::WindowText, verdeAzuladoOscuro);
        return label;
    };
    Label6 =
        label(QStringLiteral("Busqueda incluyendo estas palabras:"), "Label6", 2880, 4200, 3930);
    Label1 = label(QStringLiteral("y excluyendo estas otras:"), "Label1", 2880, 4920, 2655);
    Label8 = label(QStringLiteral("Ordenado por:"), "Label8", 9000, 4200, 1515);

    const auto wordBox = [&](const char* name, const QString& what, int left, int top, int width,
                             int height) {
        auto* box = place(new TextBox(this), name, left, top, width, height);
        box->setAccessibleName(what);
        return box;
    };
    Text1 = wordBox("Text1", QStringLiteral("Palabra 1"), 2760, 4440, 1695, 495);
    Text2 = wordBox("Text2", QStringLiteral("Palabra 2"), 4680, 4440, 1215, 495);
    Text3 = wordBox("Text3", QStringLiteral("Palabra 3"), 6000, 4440, 1215, 495);
    Text4 = wordBox("Text4", QStringLiteral("Palabra 4"), 7320, 4440, 1215, 495);
    Text5 = wordBox("Text5", QStringLiteral("Excluir 1"), 4680, 5160, 1215, 375);
    Text6 = wordBox("Text6", QStringLiteral("Excluir 2"), 6000, 5160, 1215, 375);
    Text7 = wordBox("Text7", QStringLiteral("Excluir 3"), 7320, 5160, 1215, 375);
    Text5->setFont(sansFont(9.75));
    Text6->setFont(sansFont(8.25));
    Text7->setFont(sansFont(8.25));
    Text5->setText(marcadorInicial + QString(50, QLatin1Char(' ')));
    Text6->setText(marcadorInicial);
    Text7->setText(marcadorInicial);

    cbobusc = place(new ComboBox(this), "cbobusc", 9120, 4440, 1335, 315);
    cbobusc->setFont(sansFont(8.25));
    cbobusc->addItems(
        {QStringLiteral("descripcion"), QStringLiteral("codigo"), QStringLiteral("clase")});
    cbobusc->setText(QStringLiteral("descripcion"));
    cbobusc->setAccessibleName(QStringLiteral("Ordenado por"));

    place(TxtSQL, 240, 7680, 6855, 375);
    TxtSQL->setFont(sansFont(8.25));
}

void FrmConsulExt::crearBotones()
{
    place(cmdzoom1, 360, 5880, 615, 735);
    place(cmdzoom2, 360, 5880, 615, 735);
    const auto button = [&](const QString& caption, const char* name, int left, int width) {
        return place(new CommandButton(caption, this), name, left, 5880, width, 900);
    };
    CmdEjecutar = button(QStringLiteral("Ejec&utar Busqueda"), "CmdEjecutar", 1800, 1215);
    setColor(CmdEjecutar, QPalette::Button, violetaClaro);
    setDefaultButton(CmdEjecutar);
    cmdSalir = button(QStringLiteral("Volver a Busqueda Básica"), "cmdSalir", 3675, 1215);
    cmdRestablecer = button(QStringLiteral("&Restablecer"), "cmdRestablecer", 5565, 1335);
    CmdImprimir = button(QStringLiteral("Imprimir"), "CmdImprimir", 7440, 1215);
    cmdSalir->setFont(sansFont(9.75));
    cmdRestablecer->setFont(sansFont(9.75));
}

void FrmConsulExt::ordenarTabulacion()
{
    setTabOrderByIndex({{0, dbgResultados},  {1, Frame1},    {2, OptDesc},      {3, optCod},
                        {4, cmdRestablecer}, {5, Text1},     {6, Text2},        {7, Text3},
                        {8, Text4},          {9, Text5},     {10, Text6},       {11, Text7},
                        {12, CmdEjecutar},   {14, cmdSalir}, {15, TxtSQL},      {17, cmdzoom1},
                        {18, cmdzoom2},      {19, Optclase}, {20, CmdImprimir}, {21, cbobusc}});
}

void FrmConsulExt::conectarEventos()
{
    CmdEjecutar->Click = [this] { CmdEjecutar_Click(); };
    cmdRestablecer->Click = [this] { cmdRestablecer_Click(); };
    cmdSalir->Click = [this] { cmdSalir_Click(); };
    CmdImprimir->Click = [this] { CmdImprimir_Click(); };
    // Choosing a mode resets; the mode itself counts only at the next search.
    for (OptionButton* modo : {OptDesc, Optclase, optCod})
        modo->Click = [this] { restablecer(); };
    // Entering an exclude box selects it whole, so that typing replaces the placeholder.
    for (TextBox* excluida : {Text5, Text6, Text7})
        excluida->GotFocus = [excluida] { seleccionarTodo(excluida); };
}

namespace {
// The pieces of the query texts, joined with the clerk's words exactly as typed. The
// separators come with and without a blank after the quote; both read alike.
QString cabeza(const char* campo)
{
    return QStringLiteral("SELECT * FROM extendido WHERE %1 LIKE '").arg(QLatin1String(campo));
}
const QString incluye = QStringLiteral("'and Descripcion LIKE '");
const QString incluyeTambien = QStringLiteral("' and Descripcion LIKE '");
const QString excluye = QStringLiteral("'and Descripcion not like '");
const QString excluyeTambien = QStringLiteral("' and Descripcion not like '");
const QString comodin = QStringLiteral("*");

QString enCualquierParte(const QString& palabra)
{
    return comodin + palabra + comodin;
}
} // namespace

QString FrmConsulExt::consultaDeBusqueda() const
{
    QString consulta;
    if (Optclase->isChecked())
        consulta = cabeza("Clase") + comodin + Text1->text(); // the classes that end in it
    else
        consulta = cabeza(optCod->isChecked() ? "codigo" : "Descripcion") +
                   enCualquierParte(Text1->text());
    consulta += incluye + enCualquierParte(Text2->text()) + incluyeTambien +
                enCualquierParte(Text3->text()) + incluye + enCualquierParte(Text4->text()) +
                excluyeTambien + enCualquierParte(Text5->text()) + excluye +
                enCualquierParte(Text6->text()) + excluyeTambien + enCualquierParte(Text7->text());
    consulta += OptDesc->isChecked() ? QStringLiteral("' ORDER BY ") : QStringLiteral("'ORDER BY ");
    return consulta + cbobusc->text();
}

void FrmConsulExt::CmdEjecutar_Click()
{
    consultar(consultaDeBusqueda());
}

void FrmConsulExt::restablecer()
{
    consultar(cabeza("Descripcion") + comodin + QStringLiteral("' ORDER BY Codigo"));
    for (TextBox* incluida : {Text1, Text2, Text3, Text4})
        incluida->setText(QString());
    for (TextBox* excluida : {Text5, Text6, Text7})
        excluida->setText(marcadorRestablecido);
}

void FrmConsulExt::cmdRestablecer_Click()
{
    restablecer();
}

void FrmConsulExt::cmdSalir_Click()
{
    Q_EMIT volver();
}

void FrmConsulExt::CmdImprimir_Click()
{
    // The listing leaves out the grid's first column, Ord.
    printing::imprimirResultados(*dbgResultados, *dcdatos, 1, 10);
}

} // namespace vemtaro
