#pragma once
// One colour scale for speeds, slow blue through green and yellow to fast red,
// and the colour of what the analysis left out.

#include <QColor>

// fraction: speed over the session's top speed, clamped to 0..1.
QColor SpeedColour(double fraction);

// Points left out by the filters, on the chart and on the track.
QColor LeftOutColour();
