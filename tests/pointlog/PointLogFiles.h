#pragma once
// Files of the other loggers' formats built from their layouts (see each
// reader's comment), with known points, for the reader tests, the fuzz corpora
// and the benchmarks.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct KnownPoint {
    int64_t timeMs = 0;        // UTC since 1970
    int32_t latitude = 0;      // 1e-7 degrees
    int32_t longitude = 0;
    int32_t speedMmS = 0;
    int32_t courseCentiDeg = 0;
    int hdopCenti = 0;
    int satellites = 0;
    int speedErrorMmS = 0;
};

// count points at 5 Hz from 2024-06-01 10:00:00 UTC, off 36.1N 5.4W, speeds rising then falling.
inline std::vector<KnownPoint> KnownPoints(int count)
{
    std::vector<KnownPoint> out;
    for (int i = 0; i < count; ++i) {
        KnownPoint p;
        p.timeMs = 1717236000000LL + int64_t(i) * 200;
        p.latitude = 361000000 + i * 130;
        p.longitude = -54000000 - i * 70;
        p.speedMmS = 12000 + (i % 50) * 110;
        p.courseCentiDeg = (9000 + i * 37) % 36000;
        p.hdopCenti = 80 + (i % 3) * 20;
        p.satellites = 9 + i % 4;
        p.speedErrorMmS = 150 + (i % 7) * 10;
        out.push_back(p);
    }
    return out;
}

namespace point_log_files {

// Wider than 8 bytes: zeros after the value (reserved fields).
inline void Le(std::vector<uint8_t>& out, uint64_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(i < 8 ? uint8_t(v >> (8 * i)) : 0);
}

inline void Be(std::vector<uint8_t>& out, uint64_t v, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(uint8_t(v >> (8 * i)));
}

struct Civil {
    int year, month, day, hour, minute, second, ms;
};

inline Civil CivilOf(int64_t timeMs)
{
    int64_t z = timeMs / 86400000 + 719468;
    const int64_t inDay = timeMs % 86400000;
    const int64_t era = z / 146097, doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100), mp = (5 * doy + 2) / 153;
    Civil c{};
    c.day = int(doy - (153 * mp + 2) / 5 + 1);
    c.month = int(mp < 10 ? mp + 3 : mp - 9);
    c.year = int(yoe + era * 400 + (c.month <= 2));
    c.hour = int(inDay / 3600000);
    c.minute = int(inDay / 60000 % 60);
    c.second = int(inDay / 1000 % 60);
    c.ms = int(inDay % 1000);
    return c;
}

} // namespace point_log_files

// SiRF-style frames: a message 41 per point, with a message 2 between them.
inline std::vector<uint8_t> SbnFile(const std::vector<KnownPoint>& points)
{
    using namespace point_log_files;
    std::vector<uint8_t> out;
    const auto frame = [&out](const std::vector<uint8_t>& payload) {
        out.push_back(0xA0);
        out.push_back(0xA2);
        Be(out, payload.size(), 2);
        out.insert(out.end(), payload.begin(), payload.end());
        unsigned sum = 0;
        for (uint8_t b : payload)
            sum += b;
        Be(out, sum & 0x7FFF, 2);
        out.push_back(0xB0);
        out.push_back(0xB3);
    };
    for (const KnownPoint& p : points) {
        const Civil c = CivilOf(p.timeMs);
        std::vector<uint8_t> m = {41};
        Be(m, 0, 2);
        Be(m, 4, 2);
        Be(m, 2300, 2);
        Be(m, 123456, 4);
        Be(m, uint64_t(c.year), 2);
        m.push_back(uint8_t(c.month));
        m.push_back(uint8_t(c.day));
        m.push_back(uint8_t(c.hour));
        m.push_back(uint8_t(c.minute));
        Be(m, uint64_t(c.second * 1000 + c.ms), 2);
        Be(m, 0x00012345, 4);
        Be(m, uint32_t(p.latitude), 4);
        Be(m, uint32_t(p.longitude), 4);
        Be(m, 1500, 4);
        Be(m, 1200, 4);
        m.push_back(21);
        Be(m, uint64_t(p.speedMmS / 10), 2);
        Be(m, uint64_t(p.courseCentiDeg), 2);
        m.resize(62, 0);
        Be(m, uint64_t(p.speedErrorMmS / 10), 2);
        m.resize(88, 0);
        m.push_back(uint8_t(p.satellites));
        m.push_back(uint8_t(p.hdopCenti / 20));
        m.push_back(0);
        frame(m);
        frame({2, 1, 2, 3, 4, 5, 6, 7, 8});
    }
    return out;
}

// u-blox frames: NAV-PVT, then NAV-DOP of the same epoch (whose hDOP wins over pDOP).
inline std::vector<uint8_t> UbxFile(const std::vector<KnownPoint>& points)
{
    using namespace point_log_files;
    std::vector<uint8_t> out;
    const auto frame = [&out](uint8_t cls, uint8_t id, const std::vector<uint8_t>& payload) {
        const size_t start = out.size();
        out.push_back(0xB5);
        out.push_back(0x62);
        out.push_back(cls);
        out.push_back(id);
        Le(out, payload.size(), 2);
        out.insert(out.end(), payload.begin(), payload.end());
        uint8_t a = 0, b = 0;
        for (size_t i = start + 2; i < out.size(); ++i) {
            a = uint8_t(a + out[i]);
            b = uint8_t(b + a);
        }
        out.push_back(a);
        out.push_back(b);
    };
    uint32_t tow = 100000;
    for (size_t n = 0; n < points.size(); ++n) {
        const KnownPoint& p = points[n];
        // Every other point gives its time as the next second less some nanoseconds.
        const bool negative = n % 2 == 1 && p.timeMs % 1000 != 0;
        const Civil c = CivilOf(negative ? p.timeMs - p.timeMs % 1000 + 1000 : p.timeMs);
        const int64_t nano = negative ? -int64_t(1000 - p.timeMs % 1000) * 1000000 : int64_t(c.ms) * 1000000;
        std::vector<uint8_t> m;
        Le(m, tow, 4);
        Le(m, uint64_t(c.year), 2);
        for (int v : {c.month, c.day, c.hour, c.minute, c.second})
            m.push_back(uint8_t(v));
        m.push_back(0x07);    // valid date, time, fully resolved
        Le(m, 30, 4);
        Le(m, uint32_t(int32_t(nano)), 4);
        m.push_back(3);       // 3D fix
        m.push_back(0x01);    // fix OK
        m.push_back(0);
        m.push_back(uint8_t(p.satellites));
        Le(m, uint32_t(p.longitude), 4);
        Le(m, uint32_t(p.latitude), 4);
        Le(m, 15000, 4);
        Le(m, 12000, 4);
        Le(m, 900, 4);
        Le(m, 1500, 4);
        Le(m, 0, 12);
        Le(m, uint32_t(p.speedMmS), 4);
        Le(m, uint32_t(p.courseCentiDeg * 1000), 4);
        Le(m, uint32_t(p.speedErrorMmS), 4);
        Le(m, 50000, 4);
        Le(m, 999, 2);        // pDOP: overridden by NAV-DOP's hDOP
        m.resize(92, 0);
        frame(0x01, 0x07, m);
        std::vector<uint8_t> dop;
        Le(dop, tow, 4);
        for (int v : {150, 140, 100, 120, p.hdopCenti, 70, 70})
            Le(dop, uint64_t(v), 2);
        frame(0x01, 0x04, dop);
        tow += 200;
    }
    return out;
}

// OAO: a header frame with a user name, then a GNSS frame per point.
inline std::vector<uint8_t> OaoFile(const std::vector<KnownPoint>& points, const std::string& user = "Julien")
{
    using namespace point_log_files;
    std::vector<uint8_t> out;
    const auto frame = [&out](std::vector<uint8_t> f) {
        uint8_t a = 0, b = 0;
        for (size_t i = 0; i < f.size(); ++i) {
            if (i == 2)
                i = 4;
            a = uint8_t(a + f[i]);
            b = uint8_t(b + a);
        }
        f[2] = a;
        f[3] = b;
        out.insert(out.end(), f.begin(), f.end());
    };
    std::vector<uint8_t> header = {0xD0, 0x0A, 0, 0, 0x94, 0x05};
    header.insert(header.end(), user.begin(), user.end());
    header.resize(512, 0);
    frame(header);
    for (const KnownPoint& p : points) {
        std::vector<uint8_t> f = {0xD4, 0x0A, 0, 0};
        Le(f, uint32_t(p.latitude), 4);
        Le(f, uint32_t(p.longitude), 4);
        Le(f, 12000, 4);
        Le(f, uint32_t(p.speedMmS), 4);
        Le(f, uint32_t(p.courseCentiDeg * 10), 4);
        Le(f, uint64_t(p.timeMs), 8);
        f.push_back(3);
        f.push_back(uint8_t(p.satellites));
        Le(f, uint32_t(p.speedErrorMmS), 4);
        Le(f, 900, 4);
        Le(f, 1500, 4);
        Le(f, 50000, 4);
        Le(f, uint64_t(p.hdopCenti), 2);
        frame(f);
    }
    return out;
}

inline uint16_t GpyCheck(const std::vector<uint8_t>& f, size_t from)
{
    unsigned a = 0, b = 0;
    for (size_t i = from; i < f.size(); ++i) {
        a = (a + f[i]) % 255;
        b = (b + a) % 255;
    }
    return uint16_t(a | b << 8);
}

// GPY: a header, then a full frame every `fullEvery` points and delta frames between.
inline std::vector<uint8_t> GpyFile(const std::vector<KnownPoint>& points, int fullEvery = 4,
                                    const std::string& serial = "GPY-00042", const std::string& user = "Ana")
{
    using namespace point_log_files;
    std::vector<uint8_t> out = {0xF0, 1};
    Le(out, 48, 2);
    std::string s = serial, u = user;
    s.resize(16, '\0');
    u.resize(16, '\0');
    out.insert(out.end(), s.begin(), s.end());
    out.insert(out.end(), u.begin(), u.end());
    out.resize(46, 0);
    Le(out, GpyCheck(out, 0), 2);
    for (size_t n = 0; n < points.size(); ++n) {
        const KnownPoint& p = points[n];
        const size_t start = out.size();
        if (n % size_t(fullEvery) == 0) {
            out.push_back(0xE0);
            out.push_back(uint8_t(p.satellites));
            Le(out, uint64_t(p.hdopCenti), 2);
            Le(out, uint64_t(p.timeMs), 8);
            Le(out, uint32_t(p.latitude), 4);
            Le(out, uint32_t(p.longitude), 4);
            Le(out, uint32_t(p.speedMmS), 4);
            Le(out, uint64_t(p.courseCentiDeg), 2);
            Le(out, uint64_t(p.speedErrorMmS), 2);
        } else {
            const KnownPoint& q = points[n - 1];
            out.push_back(0xD0);
            out.push_back(uint8_t(p.satellites));
            Le(out, uint64_t(p.timeMs - q.timeMs), 2);
            Le(out, uint16_t(int16_t(p.latitude - q.latitude)), 2);
            Le(out, uint16_t(int16_t(p.longitude - q.longitude)), 2);
            Le(out, uint16_t(int16_t(p.speedMmS - q.speedMmS)), 2);
            Le(out, uint16_t(int16_t(p.courseCentiDeg - q.courseCentiDeg)), 2);
            Le(out, uint64_t(p.speedErrorMmS), 2);
            Le(out, uint64_t(p.hdopCenti), 2);
        }
        const uint16_t check = GpyCheck(out, start);
        Le(out, check, 2);
    }
    return out;
}

enum class GpxSpeed { Gpx10, TrackPointExtension, PlainExtension };

inline std::string GpxTime(int64_t timeMs)
{
    const point_log_files::Civil c = point_log_files::CivilOf(timeMs);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", c.year, c.month, c.day, c.hour, c.minute,
                  c.second, c.ms);
    return text;
}

inline std::vector<uint8_t> GpxFile(const std::vector<KnownPoint>& points, GpxSpeed variant)
{
    std::string x = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    if (variant == GpxSpeed::Gpx10)
        x += "<gpx version=\"1.0\" creator=\"test\" xmlns=\"http://www.topografix.com/GPX/1/0\" "
             "xmlns:q=\"urn:test:speed-error\">\n<author>Ana</author>\n<trk><trkseg>\n";
    else
        x += "<gpx version=\"1.1\" creator=\"test\" xmlns=\"http://www.topografix.com/GPX/1/1\" "
             "xmlns:gpxtpx=\"http://www.garmin.com/xmlschemas/TrackPointExtension/v2\">\n"
             "<metadata><author><name>Ana</name></author></metadata>\n<!-- <trkpt lat=\"1\" lon=\"1\"> -->\n"
             "<trk><name>run</name><trkseg>\n";
    char num[200];
    for (const KnownPoint& p : points) {
        std::snprintf(num, sizeof num, "<trkpt lat=\"%.7f\" lon='%.7f'>\n<ele>12.00</ele>\n", p.latitude * 1e-7,
                      p.longitude * 1e-7);
        x += num;
        x += "<time>" + GpxTime(p.timeMs) + "</time>\n";
        const double speed = p.speedMmS / 1000.0, course = p.courseCentiDeg / 100.0;
        if (variant == GpxSpeed::Gpx10) {
            std::snprintf(num, sizeof num, "<course>%.2f</course><speed>%.3f</speed>\n", course, speed);
            x += num;
        }
        std::snprintf(num, sizeof num, "<sat>%d</sat><hdop>%.2f</hdop>\n", p.satellites, p.hdopCenti / 100.0);
        x += num;
        if (variant == GpxSpeed::Gpx10)
            std::snprintf(num, sizeof num, "<extensions><q:speedError>%.3f</q:speedError></extensions>\n",
                          p.speedErrorMmS / 1000.0);
        else if (variant == GpxSpeed::TrackPointExtension)
            std::snprintf(num, sizeof num,
                          "<extensions><gpxtpx:TrackPointExtension><gpxtpx:speed>%.3f</gpxtpx:speed>"
                          "<gpxtpx:course>%.2f</gpxtpx:course></gpxtpx:TrackPointExtension>"
                          "<speedError>%.3f</speedError></extensions>\n",
                          speed, course, p.speedErrorMmS / 1000.0);
        else
            std::snprintf(num, sizeof num,
                          "<extensions><speed>%.3f</speed><course>%.2f</course><speedError>%.3f</speedError>"
                          "</extensions>\n",
                          speed, course, p.speedErrorMmS / 1000.0);
        x += num;
        x += "</trkpt>\n";
    }
    x += "</trkseg></trk>\n</gpx>\n";
    return std::vector<uint8_t>(x.begin(), x.end());
}
