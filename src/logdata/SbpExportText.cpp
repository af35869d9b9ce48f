#include "logdata/SbpExportText.h"

#include "platform/CivilDays.h"
#include "program/PointGrid.h"
#include "sbp/SbpRecord.h"
#include "sbp/SbpText.h"

namespace {

const char* const kMonthNames[13] = {"000", "Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

const char kPltHeader[] = "OziExplorer Track Point File Version 2.1\r\nWGS 84\r\nAltitude is in feet,UTC \r\nTrack \r\n"
                          "0,2,255,GPS Track 0 ,0,0,2,8421376\r\n0\r\n";

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m)
{
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

// Days from 1899-12-30 to y-m-d (proleptic Gregorian).
int64_t DaysSince1899(int y, int m, int d)
{
    return DaysFromCivil(y, m, d) + 25569;   // 25569: 1899-12-30 to 1970-01-01
}

} // namespace

size_t WriteSbpNmea(const uint8_t* records, size_t count, char* buffer)
{
    if (count > 0 && records[2] == 0xA0 && records[3] == 0xA2 && records[6] == 0xFD) {
        records += 2 * kSbpRecordBytes;
        count = count >= 2 ? count - 2 : 0;
    }
    SbpText out(buffer);
    for (size_t i = 0; i < count; ++i) {
        const SbpRecord r = ReadSbpRecord(records + i * kSbpRecordBytes);
        SbpTime t;
        UnpackSbpTime(r.utc, t);
        const SbpDegrees lat = SplitLatitude(r.latitude);
        const SbpDegrees lon = SplitLongitude(r.longitude);
        const int ms = r.milliseconds % 1000;

        out.ch('$');
        const char* sentence = out.end();
        out.str("GPGGA,");
        WriteSbpTimeAndPosition(out, t, ms, lat, lon, false);
        out.str(",1,").integer(r.satellites, 2).ch(',').integer(r.hdop / 5).ch('.').integer((r.hdop % 5) * 2);
        out.ch(',').integer(r.altitude / 100).str(".00,M,,,,");
        AppendChecksum(out, sentence, true);

        out.ch('$');
        sentence = out.end();
        out.str("GPRMC,");
        WriteSbpRmcBody(out, t, ms, lat, lon, NmeaKnots(r.speed), r.course, t.yearOffset % 100);
        AppendChecksum(out, sentence, true);
    }
    return out.size();
}

size_t WriteSbpPlt(const uint8_t* records, size_t count, char* buffer, bool firstChunk)
{
    SbpText out(buffer);
    if (firstChunk)
        out.str(kPltHeader);
    for (size_t i = 0; i < count; ++i) {
        const SbpRecord r = ReadSbpRecord(records + i * kSbpRecordBytes);
        SbpTime t;
        if (UnpackSbpTime(r.utc, t) != kSbpTimeValid)
            continue;
        const int year = 2000 + t.yearOffset;
        // A day the month does not have (31 April) is skipped like any other bad time stamp.
        if (t.day > DaysInMonth(year, t.month))
            continue;
        const double serial =
            double(DaysSince1899(year, t.month, t.day)) + (t.hour * 3600 + t.minute * 60 + t.second) / 86400.0;
        const int feet = static_cast<int>(r.altitude * 0.03280839 + 0.5);
        const int segment = (r.eeVel & 0x08) ? 1 : 0;
        // "%10.6f,%10.6f,%2d,%8d, %15.7f, %02d-%s-%02d, %02d:%02d:%02d\r\n"
        out.fixed(r.latitude * 1e-7, 6, 10).ch(',').fixed(r.longitude * 1e-7, 6, 10).ch(',');
        out.integer(segment, 2, false).ch(',').integer(feet, 8, false).str(", ").fixed(serial, 7, 15).str(", ");
        out.integer(t.day, 2).ch('-').str(kMonthNames[t.month]).ch('-').integer(year, 2).str(", ");
        out.integer(t.hour, 2).ch(':').integer(t.minute, 2).ch(':').integer(t.second, 2).str("\r\n");
    }
    return out.size();
}
