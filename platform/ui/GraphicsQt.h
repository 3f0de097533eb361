// Conversions between the drawing objects and Qt, for platform code only (forms and
// controls painting their widgets).
#pragma once
#include <QColor>
#include <QFont>
#include "platform/ui/Graphics.h"

QColor ToQColor(TColor Color);
TColor FromQRgb(unsigned Rgb);
QFont ToQFont(const TFont& Font);
