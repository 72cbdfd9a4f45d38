#pragma once

#include <QLineF>
#include <QList>
#include <QRectF>
#include <QStringList>
#include <QTemporaryDir>

class QAbstractButton;

/// A page printed to PDF through the printer stand-in, read back with poppler: its words and
/// its rules (runs of dark pixels at least 20 mm long on the rendered page, to the nearest
/// millimetre), in millimetres from the top-left corner of the printable area.
class PaginaLeida {
public:
    explicit PaginaLeida(const QString& pdf);

    struct Palabra {
        QString texto;
        QRectF caja;
    };

    int paginas = 0;
    QList<Palabra> palabras;
    QList<QLine> horizontales; ///< top to bottom, each drawn left to right
    QList<QLine> verticales;   ///< left to right, each drawn downwards
};

/// Checks that `pagina` is a listing of `filas` (their fields `primera` to `primera` + 2 each)
/// ruled for `n` rows: one page; row r's words at the top of y = 10 + 5 r, each cell starting at
/// x = 10, 20 or 30, blank rows after the last; no other text; N + 1 rules from x = 9 to 200 and
/// three from y = 10 to 10 + 5 n at x = 9, 19 and 29.
void verificarListado(const PaginaLeida& pagina, const QList<QStringList>& filas, int n,
                      int primera = 0);

/// For as long as it lives, the system's printers are replaced by one stand-in that writes a
/// PDF file of its own, and save dialogs are answered by the test.
class ImpresoraDePrueba {
public:
    /// What stands for the system's printers: the stand-in, one that refuses every page, or
    /// no printer at all.
    enum Estado { Imprime, RechazaTrabajos, SinImpresora };

    ImpresoraDePrueba();
    ~ImpresoraDePrueba();
    /// Clicks `boton` and reads back what the stand-in printed (no page: `paginas` is 0).
    PaginaLeida imprimir(QAbstractButton* boton) const;
    void poner(Estado estado) const;

private:
    QTemporaryDir m_carpeta;
};
