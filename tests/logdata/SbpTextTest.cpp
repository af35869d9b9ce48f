#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "sbp/SbpRecord.h"
#include "sbp/SbpText.h"

namespace {

std::string Fast(double v, int decimals, int width, bool zeroPad)
{
    char buf[64];
    SbpText t(buf);
    t.fixed(v, decimals, width, zeroPad);
    return std::string(t.begin(), t.end());
}

std::string Printf(double v, int decimals, int width, bool zeroPad)
{
    char format[16], buf[64];
    std::snprintf(format, sizeof format, zeroPad ? "%%0%d.%df" : "%%%d.%df", width, decimals);
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

} // namespace

// The writers' fixed-point shortcut must agree with printf on every value the records can give.
TEST(SbpText, fixedPointMatchesPrintf)
{
    std::mt19937 rng(1234);
    std::uniform_int_distribution<int32_t> raw(INT32_MIN, INT32_MAX);
    for (int i = 0; i < 200000; ++i) {
        const int32_t r = raw(rng);
        ASSERT_EQ(Fast(r * 1e-7, 6, 10, false), Printf(r * 1e-7, 6, 10, false)) << r;
        const SbpDegrees d = SplitLatitude(r);
        ASSERT_EQ(Fast(d.minutes, 4, 7, true), Printf(d.minutes, 4, 7, true)) << r;
        const double serial = 36526 + (uint32_t(r) % 31000) + (uint32_t(r) % 86400) / 86400.0;
        ASSERT_EQ(Fast(serial, 7, 15, false), Printf(serial, 7, 15, false)) << r;
    }
    for (int s = 0; s <= 65535; ++s) {
        ASSERT_EQ(Fast(GridKnots(uint16_t(s)), 2, 0, false), Printf(GridKnots(uint16_t(s)), 2, 0, false)) << s;
        ASSERT_EQ(Fast(NmeaKnots(uint16_t(s)), 2, 0, false), Printf(NmeaKnots(uint16_t(s)), 2, 0, false)) << s;
    }
    for (double v : {-0.0, -1e-9, 0.5, 0.125, 2.5, -0.0000005, 59.99999999})
        for (int dec : {2, 4, 6, 7})
            EXPECT_EQ(Fast(v, dec, 10, false), Printf(v, dec, 10, false)) << v;
}

TEST(SbpText, integersMatchPrintf)
{
    for (int64_t v : {int64_t(0), int64_t(-5), int64_t(7), int64_t(-123), int64_t(INT32_MIN), int64_t(INT32_MAX)}) {
        for (int width : {0, 2, 3, 8}) {
            char fast[32], ref[32];
            SbpText t(fast);
            t.integer(v, width, true);
            std::snprintf(ref, sizeof ref, "%0*lld", width, static_cast<long long>(v));
            EXPECT_EQ(std::string(t.begin(), t.end()), ref);
            SbpText u(fast);
            u.integer(v, width, false);
            std::snprintf(ref, sizeof ref, "%*lld", width, static_cast<long long>(v));
            EXPECT_EQ(std::string(u.begin(), u.end()), ref);
        }
    }
}
