#pragma once

#include <QList>
#include <QRectF>
#include <QStringList>
#include <QTemporaryDir>

class QAbstractButton;

/// A page printed to PDF through the printer stand-in, read back with poppler: its words and
/// its rules (runs of dark pixels at least 20 mm long on the rendered page), in millimetres
/// from the top-left corner of the printable area.
class PaginaLeida {
public:
    explicit PaginaLeida(const QString& pdf);

    struct Palabra {
        QString texto;
        QRectF caja;
    };
    struct Regla {
        QPointF desde;
        QPointF hasta;
    };

    int paginas = 0;
    QList<Palabra> palabras;
    QList<Regla> horizontales; ///< top to bottom
    QList<Regla> verticales;   ///< left to right
};

/// Checks that `pagina` is a listing of `filas` (code, class and description each) ruled for
/// `n` rows: one page; row r's words at the top of y = 10 + 5 r, each cell starting at x = 10,
/// 20 or 30, blank rows after the last; no other text; N + 1 rules from x = 9 to 200 and three
/// from y = 10 to 10 + 5 n at x = 9, 19 and 29.
void verificarListado(const PaginaLeida& pagina, const QList<QStringList>& filas, int n);

/// For as long as it lives, the system's printers are replaced by one stand-in that writes a
/// PDF file of its own, and save dialogs are answered by the test.
class ImpresoraDePrueba {
public:
    ImpresoraDePrueba();
    ~ImpresoraDePrueba();
    /// Clicks `boton` and reads back what the stand-in printed (no page: `paginas` is 0).
    PaginaLeida imprimir(QAbstractButton* boton) const;
    /// The stand-in printer (as at the start), one that refuses every page, or none at all.
    void conectar() const;
    void rechazarTrabajos() const;
    void quitar() const;

private:
    QTemporaryDir m_carpeta;
};
