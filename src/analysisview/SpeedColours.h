#pragma once
// One colour scale for speeds, slow blue through green and yellow to fast red.

#include <QColor>

// fraction: speed over the session's top speed, clamped to 0..1.
QColor SpeedColour(double fraction);
