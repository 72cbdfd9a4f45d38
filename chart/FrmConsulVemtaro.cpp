#include "FrmConsulVemtaro.h"

#include "Ventanas.h"
#include "db/DbError.h"
#include "depreciation/AbrirAmortizacion.h"
#include "extsearch/FrmConsulExt.h"
#include "history/FrmHistorial.h"
#include "platform/Look.h"
#include "platform/MessageBox.h"
#include "printing/ImprimirResultados.h"

#include <QCloseEvent>

namespace vemtaro {

using namespace platform;

namespace {

/// A label sized to its caption.
Label* autoLabel(const QString& caption, const char* name, int left, int top, const QFont& font,
                 QWidget* parent)
{
    auto* label = new Label(caption, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(font);
    label->adjustSize();
    label->move(twips(left), twips(top));
    return label;
}

} // namespace

FrmConsulVemtaro::FrmConsulVemtaro() : SearchForm(QStringLiteral("vemtaro"))
{
    setObjectName(QStringLiteral("FrmConsulVemtaro"));
    ponerTitulo(QStringLiteral("Vemtaro de Cuentas"));
    setBackColor(QColor(bgr(0x00C0C000)));
    setClientSizeTwips(11790, 8595);
    setFont(sansFont(9.75));
    setKeyPreview(true);

    crearGrilla();
    crearAreaDeBusqueda();
    crearEditor();
    ordenarTabulacion();
    conectarEventos();
    Form_Load();
}

FrmConsulVemtaro::~FrmConsulVemtaro() = default;

void FrmConsulVemtaro::crearAreaDeBusqueda()
{
    const QFont optionFont = sansFont(9.75, true);
    Frame1 =
        place(new Frame(QStringLiteral("Busqueda por:"), this), "Frame1", 840, 3840, 2055, 2055);
    setColor(Frame1, QPalette::WindowText, QColor(bgr(0x00404040)));
    const auto option = [&](const QString& caption, const char* name, int top, int width) {
        auto* button = place(new OptionButton(caption, Frame1), name, 120, top, width, 255);
        button->setFont(optionFont);
        setColor(button, QPalette::WindowText, Qt::blue);
        return button;
    };
    OptDesc = option(QStringLiteral("Descripción"), "OptDesc", 240, 1695);
    Optclase = option(QStringLiteral("Clase"), "Optclase", 600, 1815);
    optCod = option(QStringLiteral("Código"), "optCod", 960, 1695);
    optRubr = option(QStringLiteral("Rubro"), "optRubr", 1320, 1695);
    optVidaU = option(QStringLiteral("Vida Util"), "optVidaU", 1680, 1695);
    OptDesc->setChecked(true);

    Label6 = autoLabel(QStringLiteral("Ud. esta buscando las siguientes palabras"), "Label6", 3120,
                       3960, sansFont(9.75, true), this);
    setColor(Label6, QPalette::WindowText, QColor(bgr(0x00404000)));

    const auto wordBox = [&](const char* name, const QString& what, int left, int width) {
        auto* box = place(new TextBox(this), name, left, 4200, width, 495);
        box->setFont(sansFont(12));
        box->setAccessibleName(what);
        return box;
    };
    Text1 = wordBox("Text1", QStringLiteral("Palabra 1"), 3000, 1815);
    Text3 = wordBox("Text3", QStringLiteral("Palabra 2"), 5160, 1215);
    Text4 = wordBox("Text4", QStringLiteral("Palabra 3"), 6600, 1215);

    AdodcCodigo1 = new LookupSource(baseDeDatos(), QStringLiteral("CODIGO"),
                                    QStringLiteral("AdodcCodigo"), this);
    AdodcCodigo1->setObjectName(QStringLiteral("AdodcCodigo1"));
    AdodcRubro1 = new LookupSource(baseDeDatos(), QStringLiteral("RUBRO"),
                                   QStringLiteral("adodcrubro"), this);
    AdodcRubro1->setObjectName(QStringLiteral("AdodcRubro1"));
    AdodcVidaU1 = new LookupSource(baseDeDatos(), QStringLiteral("vidaUtil"),
                                   QStringLiteral("AdodcVidaU"), this);
    AdodcVidaU1->setObjectName(QStringLiteral("AdodcVidaU1"));

    DataCodigo = place(new DataCombo(*AdodcCodigo1, QStringLiteral("CODIGO"), this), "DataCodigo",
                       3000, 4800, 975, 315);
    DataRubro = place(new DataCombo(*AdodcRubro1, QStringLiteral("RUBRO"), this), "DataRubro", 3000,
                      5160, 3495, 315);
    DataVidaU = place(new DataCombo(*AdodcVidaU1, QStringLiteral("Vida_Util"), this), "DataVidaU",
                      3000, 5520, 975, 315);
    DataCodigo->setAccessibleName(QStringLiteral("Códigos"));
    DataRubro->setAccessibleName(QStringLiteral("Rubros"));
    DataVidaU->setAccessibleName(QStringLiteral("Vidas útiles"));
    for (DataCombo* combo : {DataCodigo, DataRubro, DataVidaU})
        combo->hide();

    Label8 = autoLabel(QStringLiteral("Ordenado por:"), "Label8", 7920, 3960, sansFont(9.75, true),
                       this);
    const QStringList orderFields = {QStringLiteral("descripcion"), QStringLiteral("codigo"),
                                     QStringLiteral("rubro"), QStringLiteral("vida_util"),
                                     QStringLiteral("clase")};
    cbobusc = place(new ComboBox(this), "cbobusc", 8040, 4200, 1335, 315);
    cbobusc->addItems(orderFields);
    cbobusc->setText(QStringLiteral("descripcion"));
    cbobusc->setAccessibleName(QStringLiteral("Ordenado por"));
    cbobusc2 = place(new ComboBox(this), "cbobusc2", 8040, 4680, 1335, 315);
    cbobusc2->addItems(orderFields);
    cbobusc2->setText(QString());
    cbobusc2->setAccessibleName(QStringLiteral("Segundo orden"));
    // In the window's type "descripcion" is wider than the box beside its arrow.
    for (ComboBox* combo : {cbobusc, cbobusc2})
        combo->setFont(sansFont(8.25));

    Line2 = new Line(7920, 3960, 9480, 3960, 1, this);
    Line3 = new Line(7920, 5160, 9480, 5160, 1, this);
    Line4 = new Line(7920, 3960, 7920, 5160, 1, this);
    Line5 = new Line(9480, 3960, 9480, 5160, 1, this);
    Line2->setObjectName(QStringLiteral("Line2"));
    Line3->setObjectName(QStringLiteral("Line3"));
    Line4->setObjectName(QStringLiteral("Line4"));
    Line5->setObjectName(QStringLiteral("Line5"));

    CmdEjecutar = place(new CommandButton(QStringLiteral("Ejec&utar Busqueda"), this),
                        "CmdEjecutar", 9960, 3960, 1575, 735);
    CmdEjecutar->setFont(sansFont(8.25));
    CmdEjecutar->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    setColor(CmdEjecutar, QPalette::Button, QColor(bgr(0x00C0C0FF)));
    setDefaultButton(CmdEjecutar);
    cmdRestablecer = place(new CommandButton(QStringLiteral("&Restablecer"), this),
                           "cmdRestablecer", 9960, 4800, 1575, 495);
    CmdImprimir = place(new CommandButton(QStringLiteral("Imprimir"), this), "CmdImprimir", 7920,
                        5400, 1575, 495);
    cmdBuscAv = place(new CommandButton(QStringLiteral("Busqueda Avanzada"), this), "cmdBuscAv",
                      9960, 5400, 1575, 495);

    place(TxtSQL, 240, 3240, 6615, 375);
    TxtSQL->setText(QStringLiteral("Text1\n"));

    dbgResultados->raise();
}

void FrmConsulVemtaro::crearGrilla()
{
    place(dcdatos, 6480, 3240, 3615, 495);
    place(dbgResultados, 120, 120, 11775, 3135);
    // Column widths in twips; remarks take what is left.
    const int columnWidths[] = {1050, 900, 4500, 2400, 900};
    for (int column = 0; column < 5; ++column)
        dbgResultados->setColumnWidth(column, twips(columnWidths[column]));
    place(cmdzoom1, 120, 4200, 615, 735);
    place(cmdzoom2, 120, 4200, 615, 735);
}

void FrmConsulVemtaro::crearEditor()
{
    Line1 = new Line(240, 6000, 11880, 6000, 2, this);
    Line1->setObjectName(QStringLiteral("Line1"));

    const QFont labelFont = sansFont(12, true);
    // The system highlight of the classic desktop (navy): 7:1 on the teal, where a modern
    // style's light blue reads at 1.6:1.
    const QColor labelColor(bgr(0x00800000));
    const auto caption = [&](const QString& text, const char* name, int left) {
        Label* label = autoLabel(text, name, left, 6000, labelFont, this);
        setColor(label, QPalette::WindowText, labelColor);
        return label;
    };
    Label1 = caption(QStringLiteral("Cuenta"), "Label1", 480);
    Label2 = caption(QStringLiteral("Subcuenta"), "Label2", 1920);
    Label3 = caption(QStringLiteral("Descripcion"), "Label3", 3360);
    Label4 = caption(QStringLiteral("Rubro"), "Label4", 6120);
    Label7 = caption(QStringLiteral("Vida Util"), "Label7", 8880);
    Label5 = caption(QStringLiteral("Observ."), "Label5", 10200);

    txtCuenta = place(new TextBox(this), "txtCuenta", 480, 6360, 1215, 495);
    txtSubcuenta = place(new TextBox(this), "txtSubcuenta", 1920, 6360, 1215, 495);
    txtDescr = place(new TextBox(this), "txtDescr", 3360, 6360, 2535, 495);
    Datarubro2 = place(new DataCombo(*AdodcRubro1, QStringLiteral("RUBRO"), this), "Datarubro2",
                       6120, 6720, 2535, 315);
    Datarubro2->setAccessibleName(QStringLiteral("Rubros"));
    Datarubro2->hide();
    txtrubro = place(new TextBox(this), "txtrubro", 6120, 6360, 2535, 375);
    txtrubro->setEnabled(false);
    Text2 = place(new TextBox(this), "Text2", 8880, 6360, 1215, 495);
    txtObserv = place(new MultiLineTextBox(this), "txtObserv", 10200, 6360, 1575, 855);
    txtObserv->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Each box is named by the caption above it.
    const std::pair<QWidget*, Label*> captioned[] = {{txtCuenta, Label1}, {txtSubcuenta, Label2},
                                                     {txtDescr, Label3},  {txtrubro, Label4},
                                                     {Text2, Label7},     {txtObserv, Label5}};
    for (const auto& [box, label] : captioned) {
        box->setAccessibleName(label->text());
        label->setBuddy(box);
    }

    dcdatos->bind(txtCuenta, QStringLiteral("CODIGO"));
    dcdatos->bind(txtSubcuenta, QStringLiteral("CLASE"));
    dcdatos->bind(txtDescr, QStringLiteral("DESCRIPCION"));
    dcdatos->bind(txtrubro, QStringLiteral("RUBRO"));
    dcdatos->bind(Text2, QStringLiteral("VIDA_UTIL"));
    dcdatos->bind(txtObserv, QStringLiteral("OBSERVACIONES"));

    const auto editorButton = [&](const QString& text, const char* name, int left, int width) {
        auto* button = place(new CommandButton(text, this), name, left, 7320, width, 615);
        button->setFont(sansFont(8.25));
        return button;
    };
    CmdNuevo = editorButton(QStringLiteral("&Nuevo"), "CmdNuevo", 480, 855);
    cmdEdicion = editorButton(QStringLiteral("&Edicion"), "cmdEdicion", 1680, 855);
    cmdSalvar = editorButton(QStringLiteral("&Salvar"), "cmdSalvar", 2925, 855);
    cmdEliminar = editorButton(QStringLiteral("&Eliminar"), "cmdEliminar", 4155, 855);
    cmdCancelar = editorButton(QStringLiteral("&Cancelar"), "cmdCancelar", 5370, 855);
    cmdSalir = editorButton(QStringLiteral("S&alir"), "cmdSalir", 6600, 855);
    cmdAmort = editorButton(QStringLiteral("Consultar Amortizacion"), "cmdAmort", 7920, 1215);
    cmdReferencias = editorButton(QStringLiteral("Referencias"), "cmdReferencias", 9360, 1215);
    cmdReferencias->setFont(font()); // the window's larger type, like the search area's buttons
    cmdHistorial = editorButton(QStringLiteral("Historial"), "cmdHistorial", 10800, 975);
}

void FrmConsulVemtaro::ordenarTabulacion()
{
    setTabOrderByIndex(
        {{0, TxtSQL},          {1, CmdEjecutar},    {2, Text1},           {3, txtCuenta},
         {4, txtSubcuenta},    {5, txtDescr},       {6, Datarubro2},      {7, txtrubro},
         {8, Text2},           {9, txtObserv},      {15, CmdNuevo},       {16, cmdEdicion},
         {17, cmdSalvar},      {18, cmdEliminar},   {19, cmdCancelar},    {20, cmdSalir},
         {21, cmdRestablecer}, {22, dbgResultados}, {24, Frame1},         {25, optCod},
         {26, OptDesc},        {27, optRubr},       {28, optVidaU},       {29, DataRubro},
         {30, DataCodigo},     {32, DataVidaU},     {33, Optclase},       {34, cmdBuscAv},
         {35, cbobusc},        {36, cbobusc2},      {37, Text3},          {38, Text4},
         {40, cmdAmort},       {41, CmdImprimir},   {42, cmdReferencias}, {43, cmdzoom2},
         {44, cmdzoom1},       {45, cmdHistorial}});
}

void FrmConsulVemtaro::conectarEventos()
{
    CmdEjecutar->Click = [this] { CmdEjecutar_Click(); };
    cmdRestablecer->Click = [this] { cmdRestablecer_Click(); };
    CmdImprimir->Click = [this] { CmdImprimir_Click(); };
    OptDesc->Click = [this] { OptDesc_Click(); };
    Optclase->Click = [this] { Optclase_Click(); };
    optCod->Click = [this] { optCod_Click(); };
    optRubr->Click = [this] { optRubr_Click(); };
    optVidaU->Click = [this] { optVidaU_Click(); };
    Text1->GotFocus = [this] { Text1_GotFocus(); };
    cmdBuscAv->Click = [this] { cmdBuscAv_Click(); };
    cmdReferencias->Click = [this] { cmdReferencias_Click(); };
    cmdSalir->Click = [this] { cmdSalir_Click(); };
    cmdAmort->Click = [this] { cmdAmort_Click(); };
    cmdHistorial->Click = [this] { cmdHistorial_Click(); };
    CmdNuevo->Click = [this] { CmdNuevo_Click(); };
    cmdEdicion->Click = [this] { cmdEdicion_Click(); };
    cmdSalvar->Click = [this] { cmdSalvar_Click(); };
    cmdCancelar->Click = [this] { cmdCancelar_Click(); };
    cmdEliminar->Click = [this] { cmdEliminar_Click(); };
    txtCuenta->KeyPress = [this](int& keyAscii) { txtCuenta_KeyPress(keyAscii); };
    txtSubcuenta->KeyPress = [this](int& keyAscii) { txtSubcuenta_KeyPress(keyAscii); };
    txtDescr->Change = [this] { txtDescr_Change(); };
    txtDescr->LostFocus = [this] { txtDescr_LostFocus(); };
    txtrubro->KeyPress = [this](int& keyAscii) { txtrubro_KeyPress(keyAscii); };
    Text2->GotFocus = [this] { Text2_GotFocus(); };
    DataCodigo->Click = [this] { Text1->setText(DataCodigo->text()); };
    DataRubro->Click = [this] { Text1->setText(DataRubro->text()); };
    DataVidaU->Click = [this] { Text1->setText(DataVidaU->text()); };
    Datarubro2->Click = [this] { txtrubro->setText(Datarubro2->text()); };
}

void FrmConsulVemtaro::Form_Load()
{
    deshabilitarCajasTexto();
    Text1->setEnabled(true);
    Text3->setEnabled(true);
    Text4->setEnabled(true);
    cmdSalvar->setEnabled(false);
}

void FrmConsulVemtaro::habilitarBotonesComando()
{
    setEnabledOfKind<CommandButton>(true);
}

void FrmConsulVemtaro::deshabilitarBotonesComando()
{
    setEnabledOfKind<CommandButton>(false);
}

void FrmConsulVemtaro::habilitarCajasTexto()
{
    setEnabledOfKind<TextControl>(true);
}

void FrmConsulVemtaro::deshabilitarCajasTexto()
{
    setEnabledOfKind<TextControl>(false);
}

void FrmConsulVemtaro::Form_KeyPress(int& keyAscii)
{
    // Enter reaches here only while the default button is disabled (adding or editing):
    // it moves on to the next box instead.
    if (keyAscii == 13) {
        sendKeys(QStringLiteral("{tab}"));
        keyAscii = 0;
    }
}

namespace {
// The pieces of the query texts, joined with the clerk's words exactly as typed.
const QString cabezaDescripcion = QStringLiteral("SELECT * FROM vemtaro WHERE descripcion LIKE '");
const QString cabezaCodigo = QStringLiteral("SELECT * FROM vemtaro WHERE codigo LIKE '");
const QString cabezaRubro = QStringLiteral("SELECT * FROM vemtaro WHERE rubro LIKE '");
const QString cabezaVidaUtil = QStringLiteral("SELECT * FROM vemtaro WHERE Vida_Util LIKE '");
const QString cabezaClase = QStringLiteral("SELECT * FROM vemtaro WHERE Clase LIKE '");
const QString comodin = QStringLiteral("*");
} // namespace

QString FrmConsulVemtaro::consultaDeBusqueda() const
{
    if (Optclase->isChecked())
        return cabezaClase + Text1->text() + comodin + QStringLiteral("' ORDER BY codigo");
    QString cabeza = cabezaDescripcion;
    if (optCod->isChecked())
        cabeza = cabezaCodigo;
    else if (optRubr->isChecked())
        cabeza = cabezaRubro;
    else if (optVidaU->isChecked())
        cabeza = cabezaVidaUtil;
    return cabeza + comodin + Text1->text() + comodin + QStringLiteral("'and Descripcion LIKE '") +
           comodin + Text3->text() + comodin + QStringLiteral("' and Descripcion LIKE '") +
           comodin + Text4->text() + comodin + QStringLiteral("' ORDER BY ") + cbobusc->text();
}

void FrmConsulVemtaro::CmdEjecutar_Click()
{
    consultar(consultaDeBusqueda());
}

void FrmConsulVemtaro::cmdRestablecer_Click()
{
    consultar(cabezaDescripcion + comodin + QStringLiteral("' ORDER BY codigo"));
    Text1->setText(QString());
}

void FrmConsulVemtaro::CmdImprimir_Click()
{
    printing::imprimirResultados(*dbgResultados, *dcdatos, 0, 20);
}

void FrmConsulVemtaro::ofrecerPalabra(DataCombo* lista)
{
    Text1->show();
    for (DataCombo* combo : {DataCodigo, DataRubro, DataVidaU})
        combo->setVisible(combo == lista);
}

void FrmConsulVemtaro::OptDesc_Click()
{
    ofrecerPalabra(nullptr);
    Text1->setEnabled(true);
    Text1->setText(QString());
    cmdRestablecer_Click();
}

void FrmConsulVemtaro::Optclase_Click()
{
    ofrecerPalabra(nullptr);
    Text1->setText(QString());
    cmdRestablecer_Click();
}

void FrmConsulVemtaro::optCod_Click()
{
    ofrecerPalabra(DataCodigo);
    Text1->setText(QString());
    cmdRestablecer_Click();
}

void FrmConsulVemtaro::optRubr_Click()
{
    ofrecerPalabra(DataRubro);
}

void FrmConsulVemtaro::optVidaU_Click()
{
    ofrecerPalabra(DataVidaU);
}

void FrmConsulVemtaro::Text1_GotFocus()
{
    seleccionarTodo(Text1);
}

namespace {

/// Lets through the digits and Backspace only.
void filtrarDigitos(int& keyAscii)
{
    if ((keyAscii > '9' || keyAscii < '0') && keyAscii != 8)
        keyAscii = 0;
}

void mayusculasConCursorAlFinal(TextBox* box)
{
    box->setText(box->text().toUpper());
    // The caret follows the clerk's typing; a box filled while browsing shows its text from
    // the start, not scrolled to its end.
    if (box->hasFocus())
        box->setSelStart(int(box->text().size()));
}

} // namespace

void FrmConsulVemtaro::empezarEdicion()
{
    habilitarCajasTexto();
    deshabilitarBotonesComando();
    cmdSalvar->setEnabled(true);
    cmdCancelar->setEnabled(true);
}

void FrmConsulVemtaro::terminarEdicion()
{
    habilitarBotonesComando();
    cmdSalvar->setEnabled(false);
    deshabilitarCajasTexto();
    Text1->setEnabled(true);
    Text3->setEnabled(true);
    Text4->setEnabled(true);
}

void FrmConsulVemtaro::abrirRegistro(const std::function<void()>& comenzar)
{
    try {
        comenzar();
    } catch (const db::DbError& error) {
        MessageBox::showError(error.description());
        return;
    }
    empezarEdicion();
    txtCuenta->setFocus();
}

void FrmConsulVemtaro::CmdNuevo_Click()
{
    abrirRegistro([this] {
        // An empty result has no last record to stand on; the new record starts all the same.
        if (dcdatos->recordset().recordCount() > 0)
            dcdatos->moveLast();
        dcdatos->addNew();
    });
}

void FrmConsulVemtaro::cmdEdicion_Click()
{
    abrirRegistro([this] { dcdatos->edit(); });
}

void FrmConsulVemtaro::cmdSalvar_Click()
{
    // A row of nulls would never be found again by any search.
    if (dcdatos->newRecordIsBlank()) {
        MessageBox::show(QStringLiteral("El registro nuevo está vacío: escriba sus datos antes de "
                                        "salvarlo, o cancélelo."));
        txtCuenta->setFocus();
        return;
    }
    // A failed update is reported and tried once more: a change another program made to the
    // record meanwhile is then knowingly overwritten. Until an update succeeds the window stays
    // adding or editing.
    for (int intento = 0; intento < 2; ++intento) {
        try {
            dcdatos->update();
            terminarEdicion();
            CmdNuevo->setFocus();
            return;
        } catch (const db::DbError& error) {
            MessageBox::showError(error.description());
        }
    }
}

void FrmConsulVemtaro::cmdCancelar_Click()
{
    dcdatos->updateControls();
    terminarEdicion();
}

void FrmConsulVemtaro::cmdEliminar_Click()
{
    const int respuesta = MessageBox::show(
        QStringLiteral("los efectos de esta acción son irreversibles\r\nDesea Eliminar el presente "
                       "registro"),
        vbOKCancel + vbQuestion, QStringLiteral("Alerta!!!"));
    if (respuesta != vbOK)
        return;
    try {
        dcdatos->deleteCurrent();
        dcdatos->moveNext();
        if (dcdatos->recordset().eof())
            dcdatos->moveLast();
    } catch (const db::DbError& error) {
        MessageBox::show(error.description(), vbOKOnly, QStringLiteral("Se Produjo un Error"));
        dcdatos->updateControls();
    }
}

void FrmConsulVemtaro::txtCuenta_KeyPress(int& keyAscii)
{
    filtrarDigitos(keyAscii);
}

void FrmConsulVemtaro::txtSubcuenta_KeyPress(int& keyAscii)
{
    filtrarDigitos(keyAscii);
}

void FrmConsulVemtaro::txtDescr_Change()
{
    mayusculasConCursorAlFinal(txtDescr);
}

void FrmConsulVemtaro::txtDescr_LostFocus()
{
    Datarubro2->show();
    Datarubro2->setFocus();
    txtrubro->setEnabled(false);
}

void FrmConsulVemtaro::txtrubro_KeyPress(int& keyAscii)
{
    mayusculasConCursorAlFinal(txtrubro);
    // The key just typed goes in upper case too: a rubro is upper case everywhere.
    keyAscii = QChar(char16_t(keyAscii)).toUpper().unicode();
}

void FrmConsulVemtaro::Text2_GotFocus()
{
    Datarubro2->hide();
}

void FrmConsulVemtaro::cmdBuscAv_Click()
{
    // The next window is shown before this one closes, so that the program does not take the
    // moment between them for its last window closing.
    FrmConsulExt* extendida = mostrarFrmConsulExt();
    if (!extendida)
        return;
    extendida->cmdzoom1->hide();
    m_switching = true;
    close();
}

void FrmConsulVemtaro::cmdReferencias_Click()
{
    mostrarFrmReferencias();
    m_switching = true;
    close();
}

void FrmConsulVemtaro::cmdSalir_Click()
{
    close();
}

void FrmConsulVemtaro::cmdAmort_Click()
{
    depreciation::abrirAmortizacion(this, {txtCuenta->text(), txtSubcuenta->text(),
                                           txtDescr->text(), txtrubro->text(), Text2->text()});
}

void FrmConsulVemtaro::cmdHistorial_Click()
{
    // A cell edit of the grid not written yet is written first, so that the history shows it.
    if (dcdatos->recordset().editMode() != db::RecordSet::EditMode::None) {
        try {
            dcdatos->moveTo(dcdatos->recordset().absolutePosition());
        } catch (const db::DbError& error) {
            MessageBox::showError(error.description());
            return;
        }
    }
    auto* historial = new FrmHistorial(baseDeDatos(), this);
    connect(historial, &FrmHistorial::cerrado, this, [this](bool huboCambios) {
        if (huboCambios)
            mostrarLaBaseActual();
    });
    historial->show();
    historial->activateWindow();
}

void FrmConsulVemtaro::mostrarLaBaseActual()
{
    const db::RecordSet& registros = dcdatos->recordset();
    const qint64 clave = registros.key(registros.absolutePosition());
    const int fila = registros.absolutePosition();
    aplicarConsulta(dcdatos->recordSource());
    int nueva = registros.rowOfKey(clave);
    if (nueva < 0)
        nueva = std::min(fila, registros.recordCount() - 1);
    if (nueva > 0)
        dcdatos->moveTo(nueva);
    // The extended search window, loaded and hidden, shows the database as it now is too.
    if (FrmConsulExt* extendida = frmConsulExtCargada())
        extendida->restablecer();
}

void FrmConsulVemtaro::closeEvent(QCloseEvent* event)
{
    // The buttons are disabled while a record is being added or edited, but the close box is
    // not: what the clerk typed is dropped only on their word.
    if (!m_switching && cmdSalvar->isEnabled()) {
        const int respuesta = MessageBox::show(
            QStringLiteral("Hay un registro nuevo o en edición sin guardar: si sale ahora, se "
                           "perderá.\r\n¿Desea salir sin guardarlo?"),
            vbOKCancel + vbQuestion);
        if (respuesta != vbOK) {
            event->ignore();
            return;
        }
        cmdCancelar_Click();
    }
    // Leaving for good takes the hidden extended search window along, so that no hidden
    // window outlives this one.
    if (!m_switching) {
        if (QWidget* extendida = frmConsulExtCargada())
            extendida->deleteLater();
    }
    Form::closeEvent(event);
}

} // namespace vemtaro
