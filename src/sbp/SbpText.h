#pragma once
// Fast text output for the SBP writers, byte for byte what printf gives for
// the conversions they use (%d with width and zero padding, %x, %.Nf with
// width). A fixed-point value within a hair of a rounding tie goes through
// snprintf itself, so the result never depends on the shortcut.

#include <cmath>
#include <cstdlib>
#include <cstdint>
#include <cstdio>
#include <cstring>

class SbpText {
public:
    explicit SbpText(char* out) : begin_(out), p_(out) {}

    char* begin() const { return begin_; }
    char* end() const { return p_; }
    size_t size() const { return size_t(p_ - begin_); }

    SbpText& ch(char c)
    {
        *p_++ = c;
        return *this;
    }
    SbpText& str(const char* s)
    {
        const size_t n = std::strlen(s);
        std::memcpy(p_, s, n);
        p_ += n;
        return *this;
    }
    // printf "%0<width>d" (zeroPad) or "%<width>d".
    SbpText& integer(int64_t v, int width = 0, bool zeroPad = true)
    {
        const bool negative = v < 0;
        const uint64_t magnitude = negative ? uint64_t(0) - uint64_t(v) : uint64_t(v);
        return digits(magnitude, negative, width, zeroPad, nullptr);
    }
    // printf "%08x".
    SbpText& hex8(uint32_t v)
    {
        static const char kHex[] = "0123456789abcdef";
        for (int i = 7; i >= 0; --i)
            *p_++ = kHex[(v >> (4 * i)) & 0xF];
        return *this;
    }
    // printf "%0<width>.<decimals>f" (zeroPad) or "%<width>.<decimals>f".
    SbpText& fixed(double v, int decimals, int width = 0, bool zeroPad = false)
    {
        static const double kScale[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};
        const double x = std::fabs(v) * kScale[decimals];
        const double whole = std::floor(x);
        const double fraction = x - whole;
        if (!(x < 1e15) || std::fabs(fraction - 0.5) < 1e-3) {
            char format[16];
            std::snprintf(format, sizeof format, zeroPad ? "%%0%d.%df" : "%%%d.%df", width, decimals);
            p_ += std::snprintf(p_, 64, format, v);
            return *this;
        }
        const uint64_t n = uint64_t(whole) + (fraction > 0.5 ? 1 : 0);
        char frac[12];
        uint64_t scale = uint64_t(kScale[decimals]);
        uint64_t f = n % scale;
        for (int i = decimals - 1; i >= 0; --i, f /= 10)
            frac[i] = char('0' + f % 10);
        return digits(n / scale, std::signbit(v), width - decimals - 1, zeroPad, nullptr, frac, decimals);
    }

private:
    SbpText& digits(uint64_t v, bool negative, int width, bool zeroPad, const char*, const char* frac = nullptr,
                    int fracLen = 0)
    {
        char tmp[24];
        int n = 0;
        do {
            tmp[n++] = char('0' + v % 10);
            v /= 10;
        } while (v);
        const int body = n + (negative ? 1 : 0);
        const int pad = width > body ? width - body : 0;
        if (!zeroPad)
            for (int i = 0; i < pad; ++i)
                *p_++ = ' ';
        if (negative)
            *p_++ = '-';
        if (zeroPad)
            for (int i = 0; i < pad; ++i)
                *p_++ = '0';
        while (n)
            *p_++ = tmp[--n];
        if (frac) {
            *p_++ = '.';
            std::memcpy(p_, frac, size_t(fracLen));
            p_ += fracLen;
        }
        return *this;
    }

    char* begin_;
    char* p_;
};

#include "sbp/SbpRecord.h"

// "%02d%02d%02d.%03d," time, then "%02d%s,%c,%03d%s,%c" position with "%07.4f" minutes
// (with the RMC status "A," between them when rmc).
inline void WriteSbpTimeAndPosition(SbpText& out, const SbpTime& t, int ms, const SbpDegrees& lat,
                                    const SbpDegrees& lon, bool rmc)
{
    out.integer(t.hour, 2).integer(t.minute, 2).integer(t.second, 2).ch('.').integer(ms, 3).ch(',');
    if (rmc)
        out.str("A,");
    out.integer(std::abs(lat.degrees), 2).fixed(lat.minutes, 4, 7, true).ch(',').ch(lat.hemisphere).ch(',');
    out.integer(std::abs(lon.degrees), 3).fixed(lon.minutes, 4, 7, true).ch(',').ch(lon.hemisphere);
}

// The RMC fields after "GPRMC,": time, A, position, "%.2f" speed, "%d.%02d" course, "%02d%02d%02d" date, ",,".
inline void WriteSbpRmcBody(SbpText& out, const SbpTime& t, int ms, const SbpDegrees& lat, const SbpDegrees& lon,
                            double knots, uint16_t course, int yearField)
{
    WriteSbpTimeAndPosition(out, t, ms, lat, lon, true);
    out.ch(',').fixed(knots, 2).ch(',').integer(course / 100).ch('.').integer(course % 100, 2).ch(',');
    out.integer(t.day, 2).integer(t.month, 2).integer(yearField, 2).str(",,");
}

// "*%02X" of the XOR of [from, text end), then the line end when crlf.
inline void AppendChecksum(SbpText& t, const char* from, bool crlf)
{
    unsigned char x = 0;
    for (const char* c = from; c < t.end(); ++c)
        x ^= static_cast<unsigned char>(*c);
    static const char kHex[] = "0123456789ABCDEF";
    t.ch('*').ch(kHex[x >> 4]).ch(kHex[x & 0xF]);
    if (crlf)
        t.ch('\r').ch('\n');
}
