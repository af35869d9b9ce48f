#include "logdata/PointGrid.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "link/NmeaChecksum.h"
#include "logdata/SbpRecord.h"

namespace {

const char* const kHeader[kGridColumns] = {
    "SBP-W2", "HDOP", "SVID#", "Msec", "UTC", "SVID List", "Lat", "Lon",
    "Alt", "SOG", "COG", "Climb Rate", "EE_VEL", "EE_CR", "===RMC===",
};

} // namespace

void PointGrid::prepare(size_t count)
{
    records_.clear();
    records_.reserve(count * kSbpRecordBytes);
    preparedRows_ = count + 1;
}

size_t PointGrid::decode(const uint8_t* records, size_t count)
{
    records_.insert(records_.end(), records, records + count * kSbpRecordBytes);
    if (rowCounter() + 1 > preparedRows_)
        preparedRows_ = rowCounter() + 1;
    return rowCounter();
}

size_t PointGrid::decodeImage(std::vector<uint8_t>&& image, size_t count)
{
    if (!records_.empty())
        return decode(image.data(), count);
    image.resize(count * kSbpRecordBytes);
    records_ = std::move(image);
    if (rowCounter() + 1 > preparedRows_)
        preparedRows_ = rowCounter() + 1;
    return rowCounter();
}

std::string PointGrid::cell(size_t row, int column) const
{
    char text[kGridCellChars];
    return std::string(text, formatCell(row, column, text));
}

size_t PointGrid::formatCell(size_t row, int column, char* out) const
{
    out[0] = '\0';
    if (column < 0 || column >= kGridColumns)
        return 0;
    if (row == 0) {
        const int n = std::snprintf(out, kGridCellChars, "%s", kHeader[column]);
        return size_t(n);
    }
    const uint8_t* bytes = record(row);
    if (!bytes)
        return 0;
    return FormatSbpGridCell(bytes, row, column, out);
}

int PointGrid::columnWidth(int column) const
{
    return column >= 11 && column <= 13 ? 20 : column == 14 ? 430 : -1;
}

const uint8_t* PointGrid::record(size_t row) const
{
    if (row == 0 || row > rowCounter())
        return nullptr;
    return records_.data() + (row - 1) * kSbpRecordBytes;
}

size_t FormatSbpGridCell(const uint8_t* bytes, size_t row, int column, char* out)
{
    const SbpRecord r = ReadSbpRecord(bytes);
    int n = 0;
    switch (column) {
    case 0: n = std::snprintf(out, kGridCellChars, "%zu", row); break;
    case 1: n = std::snprintf(out, kGridCellChars, "%2d.%0d", r.hdop / 5, (r.hdop % 5) * 2); break;
    case 2: n = std::snprintf(out, kGridCellChars, "%d", r.satellites); break;
    case 3: n = std::snprintf(out, kGridCellChars, "%d", r.milliseconds); break;
    case 5: n = std::snprintf(out, kGridCellChars, "%08" PRIx32 "h", r.svidList); break;
    case 6: n = std::snprintf(out, kGridCellChars, "%" PRId32, r.latitude); break;
    case 7: n = std::snprintf(out, kGridCellChars, "%" PRId32, r.longitude); break;
    case 8: n = std::snprintf(out, kGridCellChars, "%" PRId32, r.altitude); break;
    case 9: n = std::snprintf(out, kGridCellChars, "%.2f", GridKnots(r.speed)); break;
    case 10: n = std::snprintf(out, kGridCellChars, "%d.%02d", r.course / 100, r.course % 100); break;
    case 11: n = std::snprintf(out, kGridCellChars, "%d", r.climbRate); break;
    case 12: n = std::snprintf(out, kGridCellChars, "%d", r.eeVel); break;
    case 13: n = std::snprintf(out, kGridCellChars, "%d", r.eeCr); break;
    case 4:
    case 14: {
        SbpTime t;
        UnpackSbpTime(r.utc, t);
        // A seconds field of 60 or more stands for "no time": shown as 2008-01-01 00:00:00.
        if (t.second >= 60)
            t = SbpTime{8, 1, 1, 0, 0, 0};
        if (column == 4) {
            n = std::snprintf(out, kGridCellChars, "%04d-%02d-%02d %02d:%02d:%02d", 2000 + t.yearOffset, t.month,
                              t.day, t.hour, t.minute, t.second);
            break;
        }
        const SbpDegrees lat = SplitLatitude(r.latitude);
        const SbpDegrees lon = SplitLongitude(r.longitude);
        char latMinutes[32], lonMinutes[32], date[16], speed[32], course[16];
        std::snprintf(latMinutes, sizeof latMinutes, "%07.4f", lat.minutes);
        std::snprintf(lonMinutes, sizeof lonMinutes, "%07.4f", lon.minutes);
        std::snprintf(date, sizeof date, "%02d%02d%02d", t.day, t.month, t.yearOffset);
        std::snprintf(speed, sizeof speed, "%.2f", GridKnots(r.speed));
        std::snprintf(course, sizeof course, "%d.%02d", r.course / 100, r.course % 100);
        std::snprintf(out, kGridCellChars - 4, "$GPRMC,%02d%02d%02d.%03d,%c,%02d%s,%c,%03d%s,%c,%s,%s,%s,,", t.hour,
                      t.minute, t.second, r.milliseconds % 1000, 'A', std::abs(lat.degrees), latMinutes,
                      lat.hemisphere, std::abs(lon.degrees), lonMinutes, lon.hemisphere, speed, course, date);
        AppendNmeaChecksum(out);
        return std::strlen(out);
    }
    default: break;
    }
    return n < 0 ? 0 : size_t(n);
}

size_t DecodeSbpRecords(PointGrid& grid, const uint8_t* records, size_t count)
{
    if (!records) {
        grid.prepare(count);
        return 0;
    }
    return grid.decode(records, count);
}
