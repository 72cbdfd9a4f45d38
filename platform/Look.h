#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QRect>
#include <QWidget>
#include <QtMath>

namespace vemtaro::platform {

/// Window geometry is designed in twips; 15 twips make one device-independent pixel, and
/// Qt's high-DPI scaling does the rest.
constexpr int twipsPerPixel = 15;

constexpr int twips(int value)
{
    return (value + (value >= 0 ? twipsPerPixel / 2 : -twipsPerPixel / 2)) / twipsPerPixel;
}

inline QRect twipsRect(int left, int top, int width, int height)
{
    return {twips(left), twips(top), twips(width), twips(height)};
}

/// A colour written in the &H00BBGGRR& notation of the original forms (blue in the high byte).
constexpr QRgb bgr(unsigned value)
{
    return qRgb(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

/// Sets one colour of a control's palette (text, background, button face...).
inline void setColor(QWidget* control, QPalette::ColorRole role, QColor color)
{
    QPalette pal = control->palette();
    pal.setColor(role, color);
    control->setPalette(pal);
}

/// The windows' sans-serif face (a metric-compatible stand-in for MS Sans Serif).
inline QFont sansFont(qreal points, bool bold = false)
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

} // namespace vemtaro::platform
