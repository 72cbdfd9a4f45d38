#include "ImportSummary.h"

namespace vemtaro::importing {
namespace {

void appendSection(QString& text, const QString& title, const QStringList& lines)
{
    text += QStringLiteral("\n%1:\n").arg(title);
    if (lines.isEmpty())
        text += QStringLiteral("  nada\n");
    for (const QString& line : lines)
        text += QStringLiteral("  ") + line + QLatin1Char('\n');
}

} // namespace

QString rowCount(qint64 rows)
{
    return rows == 1 ? QStringLiteral("1 fila") : QStringLiteral("%1 filas").arg(rows);
}

QString ImportSummary::text(int maxReviewLines) const
{
    QString text = QStringLiteral("Se importó «%1», %2.\n").arg(source, format);
    text += QStringLiteral("\nFilas importadas por tabla:\n");
    for (const TableRows& table : tables)
        text += QStringLiteral("  %1: %2\n").arg(table.table, QString::number(table.rows));
    appendSection(text, QStringLiteral("Guardado además del diseño"), kept);
    QStringList review = toReview;
    if (maxReviewLines >= 0 && review.size() > maxReviewLines) {
        const qsizetype rest = review.size() - maxReviewLines;
        review.resize(maxReviewLines);
        review.append(QStringLiteral("… y %1 más").arg(rest));
    }
    appendSection(text, QStringLiteral("Para revisar"), review);
    return text;
}

} // namespace vemtaro::importing
