#include "logdata/PointGridText.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "program/PointGrid.h"
#include "sbp/SbpRecord.h"
#include "sbp/SbpText.h"

namespace {

const char* const kHeader[kGridColumns] = {
    "SBP-W2", "HDOP", "SVID#", "Msec", "UTC", "SVID List", "Lat", "Lon",
    "Alt", "SOG", "COG", "Climb Rate", "EE_VEL", "EE_CR", "===RMC===",
};

} // namespace

std::string GridCell(const PointGrid& grid, size_t row, int column)
{
    char text[kGridCellChars];
    return std::string(text, FormatGridCell(grid, row, column, text));
}

size_t FormatGridCell(const PointGrid& grid, size_t row, int column, char* out)
{
    out[0] = '\0';
    if (column < 0 || column >= kGridColumns)
        return 0;
    if (row == 0) {
        const int n = std::snprintf(out, kGridCellChars, "%s", kHeader[column]);
        return size_t(n);
    }
    const uint8_t* bytes = grid.record(row);
    if (!bytes)
        return 0;
    return FormatSbpGridCell(bytes, row, column, out);
}

int GridColumnWidth(int column)
{
    return column >= 11 && column <= 13 ? 20 : column == 14 ? 430 : -1;
}

size_t FormatSbpGridCell(const uint8_t* bytes, size_t row, int column, char* out)
{
    const SbpRecord r = ReadSbpRecord(bytes);
    SbpText t(out);
    switch (column) {
    case 0: t.integer(int64_t(row)); break;
    case 1: t.integer(r.hdop / 5, 2, false).ch('.').integer((r.hdop % 5) * 2); break;
    case 2: t.integer(r.satellites); break;
    case 3: t.integer(r.milliseconds); break;
    case 5: t.hex8(r.svidList).ch('h'); break;
    case 6: t.integer(r.latitude); break;
    case 7: t.integer(r.longitude); break;
    case 8: t.integer(r.altitude); break;
    case 9: t.fixed(GridKnots(r.speed), 2); break;
    case 10: t.integer(r.course / 100).ch('.').integer(r.course % 100, 2); break;
    case 11: t.integer(r.climbRate); break;
    case 12: t.integer(r.eeVel); break;
    case 13: t.integer(r.eeCr); break;
    case 4:
    case 14: {
        SbpTime time;
        UnpackSbpTime(r.utc, time);
        // A seconds field of 60 or more stands for "no time": shown as 2008-01-01 00:00:00.
        if (time.second >= 60)
            time = SbpTime{8, 1, 1, 0, 0, 0};
        if (column == 4) {
            t.integer(2000 + time.yearOffset, 4).ch('-').integer(time.month, 2).ch('-').integer(time.day, 2);
            t.ch(' ').integer(time.hour, 2).ch(':').integer(time.minute, 2).ch(':').integer(time.second, 2);
            break;
        }
        t.ch('$');
        const char* sentence = t.end();
        t.str("GPRMC,");
        WriteSbpRmcBody(t, time, r.milliseconds % 1000, SplitLatitude(r.latitude), SplitLongitude(r.longitude),
                        GridKnots(r.speed), r.course, time.yearOffset);
        AppendChecksum(t, sentence, false);
        break;
    }
    default: break;
    }
    *t.end() = '\0';
    return t.size();
}

size_t DecodeSbpRecords(PointGrid& grid, const uint8_t* records, size_t count)
{
    if (!records) {
        grid.prepare(count);
        return 0;
    }
    return grid.decode(records, count);
}
