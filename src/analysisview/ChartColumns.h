#pragma once
// A speed trace reduced to one entry per pixel column: the lowest and highest
// speed in the column, and the first and last, so a chart of any number of
// points costs one pass and `width` lines to draw.

#include <cstdint>
#include <vector>

struct SessionTrack;

struct ChartColumn {
    bool any = false;
    float low = 0, high = 0;      // m/s
    float first = 0, last = 0;
    uint32_t firstSegment = 0;    // segments of the first and last point in the column
    uint32_t lastSegment = 0;
};

// Columns of equal time over [startMs, endMs]; a point at endMs falls in the last column.
std::vector<ChartColumn> MinMaxColumns(const SessionTrack& track, int64_t startMs, int64_t endMs, int width);
