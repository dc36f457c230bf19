#pragma once
// The JSON forms collage-cli prints canvas rectangles and colours in.

#include "picinfoattr.h"

#include <QJsonObject>
#include <QString>
#include <QColor>

inline QJsonObject rectJson(const CCanvasRect& rect)
{
    return {{"x", double(rect.x)}, {"y", double(rect.y)}, {"width", double(rect.width)}, {"height", double(rect.height)}};
}

// "#AARRGGBB".
inline QString colourText(QRgb colour)
{
    return QStringLiteral("#%1").arg(colour, 8, 16, QLatin1Char('0')).toUpper();
}
