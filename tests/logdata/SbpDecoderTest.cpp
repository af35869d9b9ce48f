#include <gtest/gtest.h>

#include <climits>

#include "SbpTestRecords.h"
#include "logdata/PointGridText.h"
#include "program/PointGrid.h"
#include "sbp/SbpRecord.h"

namespace {

PointGrid GridOf(const std::vector<SbpFields>& records)
{
    std::vector<uint8_t> bytes;
    for (const SbpFields& f : records)
        AppendSbpRecord(bytes, f);
    PointGrid grid;
    DecodeSbpRecords(grid, nullptr, records.size());
    DecodeSbpRecords(grid, bytes.data(), records.size());
    return grid;
}

std::string Cell(const SbpFields& f, int column)
{
    return GridCell(GridOf({f}), 1, column);
}

} // namespace

TEST(SbpTime, monthFieldZeroIsDecemberOfYearBefore)
{
    SbpTime t;
    EXPECT_EQ(UnpackSbpTime(180u << 22 | 7u << 17 | 12u << 12 | 34u << 6 | 56u, t), kSbpTimeValid);
    EXPECT_EQ(2000 + t.yearOffset, 2014);
    EXPECT_EQ(t.month, 12);
    EXPECT_EQ(t.day, 7);
    EXPECT_EQ(t.hour, 12);
    EXPECT_EQ(t.minute, 34);
    EXPECT_EQ(t.second, 56);
}

TEST(SbpTime, validityCodes)
{
    SbpTime t;
    EXPECT_EQ(UnpackSbpTime(PackSbpTime(2014, 4, 30, 23, 59, 59), t), kSbpTimeValid);
    EXPECT_EQ(UnpackSbpTime(PackSbpTime(2014, 4, 30, 23, 59, 60), t), kSbpTimeBadClock);
    EXPECT_EQ(UnpackSbpTime(PackSbpTime(2014, 4, 30, 23, 60, 0), t), kSbpTimeBadClock);
    EXPECT_EQ(UnpackSbpTime(PackSbpTime(2014, 4, 30, 24, 0, 0), t), kSbpTimeBadClock);
    EXPECT_EQ(UnpackSbpTime(PackSbpTime(2014, 4, 0, 12, 0, 0), t), kSbpTimeBadDate);
    // A bad date outranks a bad clock.
    EXPECT_EQ(UnpackSbpTime(PackSbpTime(2014, 4, 0, 12, 0, 63), t), kSbpTimeBadDate);
    // Every bit set: month field 1023 % 12 = 3, day 31, hour 31, minute 63, second 63.
    EXPECT_EQ(UnpackSbpTime(0xFFFFFFFFu, t), kSbpTimeBadClock);
    EXPECT_EQ(t.yearOffset, 85);
    EXPECT_EQ(t.month, 3);
    // All zero: month 0 of year 0 is December of the (8-bit) year before; day 0 is bad.
    EXPECT_EQ(UnpackSbpTime(0, t), kSbpTimeBadDate);
    EXPECT_EQ(t.month, 12);
    EXPECT_EQ(t.yearOffset, 255);
}

TEST(SbpGrid, prepareWritesHeaderRowAndWidths)
{
    PointGrid grid;
    EXPECT_EQ(DecodeSbpRecords(grid, nullptr, 3), 0u);
    EXPECT_EQ(grid.rowCount(), 4u);
    const char* header[] = {"SBP-W2", "HDOP", "SVID#", "Msec", "UTC", "SVID List", "Lat", "Lon",
                            "Alt", "SOG", "COG", "Climb Rate", "EE_VEL", "EE_CR", "===RMC==="};
    for (int c = 0; c < kGridColumns; ++c)
        EXPECT_EQ(GridCell(grid, 0, c), header[c]);
    EXPECT_EQ(GridColumnWidth(10), -1);
    EXPECT_EQ(GridColumnWidth(11), 20);
    EXPECT_EQ(GridColumnWidth(13), 20);
    EXPECT_EQ(GridColumnWidth(14), 430);
    EXPECT_EQ(GridCell(grid, 2, 0), "");   // prepared, not decoded yet
}

TEST(SbpGrid, blocksDecodeIntoConsecutiveRowsAndCountSincePrepare)
{
    const std::vector<uint8_t> bytes = SampleTrack(5);
    PointGrid grid;
    DecodeSbpRecords(grid, nullptr, 5);
    EXPECT_EQ(DecodeSbpRecords(grid, bytes.data(), 2), 2u);
    EXPECT_EQ(DecodeSbpRecords(grid, bytes.data() + 64, 3), 5u);
    EXPECT_EQ(GridCell(grid, 5, 0), "5");
    EXPECT_EQ(GridCell(grid, 5, 6), std::to_string(225000000 + 4 * 1234));
    DecodeSbpRecords(grid, nullptr, 1);
    EXPECT_EQ(DecodeSbpRecords(grid, bytes.data(), 1), 1u);
    EXPECT_EQ(grid.rowCount(), 2u);
}

TEST(SbpGrid, rowOfAWorkedRecord)
{
    SbpFields f;
    f.hdop = 13;
    f.satellites = 8;
    f.milliseconds = 1250;
    f.utc = 180u << 22 | 7u << 17 | 12u << 12 | 34u << 6 | 56u;
    f.svidList = 0xABC;
    f.latitude = -123456789;
    f.longitude = 5000000;
    f.altitude = -1550;
    f.speed = 1000;
    f.course = 12345;
    f.climbRate = -3;
    f.eeVel = 8;
    f.eeCr = 255;
    const PointGrid grid = GridOf({f});
    const std::vector<std::string> expected = {
        "1", " 2.6", "8", "1250", "2014-12-07 12:34:56", "00000abch", "-123456789", "5000000", "-1550", "19.44",
        "123.45", "-3", "8", "255", "$GPRMC,123456.250,A,1220.7407,S,00030.0000,E,19.44,123.45,071214,,*20"};
    for (int c = 0; c < kGridColumns; ++c)
        EXPECT_EQ(GridCell(grid, 1, c), expected[c]) << "column " << c;
}

TEST(SbpGrid, rmcChecksumIsXorBetweenDollarAndStar)
{
    const std::string rmc = GridCell(GridOf({SbpFields{}}), 1, 14);
    ASSERT_GT(rmc.size(), 4u);
    const size_t star = rmc.rfind('*');
    ASSERT_EQ(star, rmc.size() - 3);
    unsigned x = 0;
    for (size_t i = 1; i < star; ++i)
        x ^= uint8_t(rmc[i]);
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02X", x);
    EXPECT_EQ(rmc.substr(star + 1), hex);
}

TEST(SbpGrid, secondsFieldSixtyOrMoreShowsPlaceholderTime)
{
    SbpFields f;
    f.utc = PackSbpTime(2014, 12, 7, 12, 34, 63);
    f.milliseconds = 1999;
    EXPECT_EQ(Cell(f, 4), "2008-01-01 00:00:00");
    const std::string rmc = Cell(f, 14);
    EXPECT_EQ(rmc.rfind("$GPRMC,000000.999,A,", 0), 0u) << rmc;
    EXPECT_NE(rmc.find(",010108,,*"), std::string::npos) << rmc;
    // Other out-of-range fields are shown as they are.
    f.utc = PackSbpTime(2014, 12, 0, 25, 61, 5);
    EXPECT_EQ(Cell(f, 4), "2014-12-00 25:61:05");
}

TEST(SbpGrid, coordinatesHdopAndSpeed)
{
    SbpFields f;
    f.latitude = 0;
    f.longitude = -1;
    f.hdop = 0;
    EXPECT_EQ(Cell(f, 1), " 0.0");
    EXPECT_NE(Cell(f, 14).find(",0000.0000,N,00000.0000,W,"), std::string::npos) << Cell(f, 14);
    f.hdop = 255;
    EXPECT_EQ(Cell(f, 1), "51.0");
    f.speed = 65535;
    EXPECT_EQ(Cell(f, 9), "1273.92");
}

TEST(SbpGrid, extremeFieldsStayWithinTheCell)
{
    SbpFields f;
    f.hdop = 255;
    f.satellites = 255;
    f.milliseconds = 65535;
    f.utc = 0xFFFFFFFF;
    f.svidList = 0xFFFFFFFF;
    f.latitude = INT32_MIN;
    f.longitude = INT32_MAX;
    f.altitude = INT32_MIN;
    f.speed = 65535;
    f.course = 65535;
    f.climbRate = INT16_MIN;
    f.eeVel = 255;
    f.eeCr = 255;
    const PointGrid grid = GridOf({f});
    EXPECT_EQ(GridCell(grid, 1, 3), "65535");
    EXPECT_EQ(GridCell(grid, 1, 4), "2008-01-01 00:00:00");
    EXPECT_EQ(GridCell(grid, 1, 5), "ffffffffh");
    EXPECT_EQ(GridCell(grid, 1, 6), "-2147483648");
    EXPECT_EQ(GridCell(grid, 1, 10), "655.35");
    EXPECT_EQ(GridCell(grid, 1, 11), "-32768");
    EXPECT_EQ(GridCell(grid, 1, 14).rfind("$GPRMC,000000.535,A,21444.9019,S,21444.9019,E,1273.92,655.35,010108,,*", 0),
              0u)
        << GridCell(grid, 1, 14);
}

TEST(SbpGrid, cellsOutsideTheGridAreEmpty)
{
    const PointGrid grid = GridOf({SbpFields{}});
    EXPECT_EQ(GridCell(grid, 2, 0), "");
    EXPECT_EQ(GridCell(grid, 1, 15), "");
    EXPECT_EQ(GridCell(grid, 1, -1), "");
}
