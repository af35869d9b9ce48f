#include "analysisview/SpeedColours.h"

#include <algorithm>

QColor SpeedColour(double fraction)
{
    // Hue from 240 (blue) down to 0 (red).
    const double f = std::clamp(fraction, 0.0, 1.0);
    return QColor::fromHsvF(float((1 - f) * 240 / 360), 0.9f, 0.9f);
}

QColor LeftOutColour()
{
    return {200, 0, 160};
}
