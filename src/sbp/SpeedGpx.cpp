#include "sbp/SpeedGpx.h"

#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>

#include "sbp/SbpRecord.h"

namespace {

constexpr size_t kRecordBytes = 32;

bool DayExists(int year, unsigned month, unsigned day)
{
    using namespace std::chrono;
    return year_month_day{std::chrono::year{year}, std::chrono::month{month}, std::chrono::day{day}}.ok();
}

} // namespace

std::string XmlEscaped(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default:
            out += (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r') ? '?' : c;
        }
    }
    return out;
}

std::string SpeedGpxStart(const SpeedGpxHeader& h)
{
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<gpx version=\"1.0\" creator=\"VR60 Utility\" xmlns=\"http://www.topografix.com/GPX/1/0\"\n"
                      "     xmlns:vr60=\"";
    out += kSpeedGpxNamespace;
    out += "\"\n     xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"\n"
           "     xsi:schemaLocation=\"http://www.topografix.com/GPX/1/0 http://www.topografix.com/GPX/1/0/gpx.xsd ";
    out += kSpeedGpxNamespace;
    out += ' ';
    out += kSpeedGpxSchemaFile;
    out += "\">\n";
    if (!h.name.empty())
        out += "<name>" + XmlEscaped(h.name) + "</name>\n";
    if (!h.serial.empty())
        out += "<desc>VR60 serial " + XmlEscaped(h.serial) + "</desc>\n";
    if (!h.userName.empty())
        out += "<author>" + XmlEscaped(h.userName) + "</author>\n";
    out += "<trk>\n";
    if (!h.name.empty())
        out += "<name>" + XmlEscaped(h.name) + "</name>\n";
    out += "<trkseg>\n";
    return out;
}

size_t AppendSpeedGpxPoints(const uint8_t* records, size_t count, std::string& out)
{
    size_t written = 0;
    char line[512];
    for (size_t i = 0; i < count; ++i) {
        const SbpRecord r = ReadSbpRecord(records + i * kRecordBytes);
        SbpTime t;
        if (UnpackSbpTime(r.utc, t) != kSbpTimeValid || !DayExists(2000 + t.yearOffset, t.month, t.day) ||
            r.milliseconds > 999)
            continue;
        if ((r.latitude == 0 && r.longitude == 0) || r.latitude > 900000000 || r.latitude < -900000000 ||
            r.longitude > 1800000000 || r.longitude < -1800000000)
            continue;
        const int lat = r.latitude, lon = r.longitude;
        int n = std::snprintf(line, sizeof line,
                              "<trkpt lat=\"%s%d.%07d\" lon=\"%s%d.%07d\"><ele>%.2f</ele>"
                              "<time>%04d-%02u-%02uT%02u:%02u:%02u.%03uZ</time>"
                              "<course>%.2f</course><speed>%.2f</speed><sat>%u</sat><hdop>%.1f</hdop>",
                              lat < 0 ? "-" : "", std::abs(lat / 10000000), std::abs(lat % 10000000),
                              lon < 0 ? "-" : "", std::abs(lon / 10000000), std::abs(lon % 10000000),
                              r.altitude / 100.0, 2000 + t.yearOffset, unsigned(t.month), unsigned(t.day),
                              unsigned(t.hour), unsigned(t.minute), unsigned(t.second), unsigned(r.milliseconds),
                              (r.course % 36000) / 100.0, r.speed / 100.0, unsigned(r.satellites), r.hdop * 0.2);
        if (r.eeVel != 0)
            n += std::snprintf(line + n, sizeof line - size_t(n), "<vr60:speedError>%.2f</vr60:speedError>",
                               r.eeVel / 100.0);
        out.append(line, size_t(n));
        out += "</trkpt>\n";
        ++written;
    }
    return written;
}

std::string SpeedGpxEnd(const SpeedGpxHeader& h)
{
    std::string out = "</trkseg>\n</trk>\n";
    if (!h.serial.empty() || !h.userName.empty()) {
        out += "<vr60:unit";
        if (!h.serial.empty())
            out += " serial=\"" + XmlEscaped(h.serial) + "\"";
        if (!h.userName.empty())
            out += " user=\"" + XmlEscaped(h.userName) + "\"";
        out += "/>\n";
    }
    return out + "</gpx>\n";
}
