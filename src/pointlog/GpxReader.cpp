// GPX 1.0 and 1.1: track points are <trkpt lat=".." lon=".."> (degrees) with
// any of these children, matched by local name (the namespace prefix is not read):
//   <ele> m, <time> ISO 8601 UTC with optional fractions and zone offset,
//   <sat>, <hdop>,
//   <speed> m/s and <course> degrees: GPX 1.0's own elements, or the same names
//     inside <extensions> (the TrackPointExtension's and the plain ones),
//   <speedError> m/s, in an extension.
// The log's user name comes from <author> (1.0) or <author><name> (1.1), or an
// element <userName> outside the track; its serial from an element <serial>.
// A point without a time or a readable position is skipped and counted.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>

#include "platform/ResultCode.h"
#include "pointlog/LogPoint.h"
#include "pointlog/Readers.h"

namespace {

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r' || s.front() == '\n'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n'))
        s.remove_suffix(1);
    return s;
}

bool Number(std::string_view s, double& v)
{
    s = Trim(s);
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    if (s.empty())
        return false;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    return r.ec == std::errc() && r.ptr == s.data() + s.size() && std::isfinite(v);
}

bool Digits(std::string_view s, size_t at, size_t n, int& v)
{
    if (at + n > s.size())
        return false;
    v = 0;
    for (size_t i = at; i < at + n; ++i) {
        if (s[i] < '0' || s[i] > '9')
            return false;
        v = v * 10 + (s[i] - '0');
    }
    return true;
}

// YYYY-MM-DDThh:mm:ss[.f...][Z|+hh:mm|-hh:mm]
bool IsoTime(std::string_view s, int64_t& ms)
{
    s = Trim(s);
    int y, mo, d, h, mi, sec;
    if (!Digits(s, 0, 4, y) || s.size() < 19 || s[4] != '-' || !Digits(s, 5, 2, mo) || s[7] != '-' ||
        !Digits(s, 8, 2, d) || (s[10] != 'T' && s[10] != ' ') || !Digits(s, 11, 2, h) || s[13] != ':' ||
        !Digits(s, 14, 2, mi) || s[16] != ':' || !Digits(s, 17, 2, sec))
        return false;
    if (mo < 1 || mo > 12 || d < 1 || d > 31 || h > 24 || mi > 59 || sec > 60)
        return false;
    size_t i = 19;
    int64_t fraction = 0;   // ms, rounded
    if (i < s.size() && (s[i] == '.' || s[i] == ',')) {
        ++i;
        int64_t num = 0, den = 1;
        const size_t start = i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
            if (den < 1000000000) {
                num = num * 10 + (s[i] - '0');
                den *= 10;
            }
            ++i;
        }
        if (i == start)
            return false;
        fraction = (num * 1000 * 2 + den) / (den * 2);
    }
    int64_t offsetMin = 0;
    if (i < s.size() && (s[i] == 'Z' || s[i] == 'z')) {
        ++i;
    } else if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        int oh, om = 0;
        if (!Digits(s, i + 1, 2, oh))
            return false;
        size_t next = i + 3;
        if (next < s.size() && s[next] == ':')
            ++next;
        if (next < s.size()) {
            if (!Digits(s, next, 2, om))
                return false;
            next += 2;
        }
        offsetMin = (s[i] == '-' ? -1 : 1) * (oh * 60 + om);
        i = next;
    }
    if (i != s.size())
        return false;
    ms = UnixMs(y, mo, d, h, mi, sec, fraction) - offsetMin * 60000;
    return true;
}

std::string_view LocalName(std::string_view qname)
{
    const size_t colon = qname.find(':');
    return colon == std::string_view::npos ? qname : qname.substr(colon + 1);
}

// The value of attribute `name` (local name) in a start tag's attribute text.
bool Attribute(std::string_view attrs, std::string_view name, std::string_view& value)
{
    size_t i = 0;
    while (i < attrs.size()) {
        while (i < attrs.size() && (attrs[i] == ' ' || attrs[i] == '\t' || attrs[i] == '\r' || attrs[i] == '\n'))
            ++i;
        const size_t start = i;
        while (i < attrs.size() && attrs[i] != '=' && attrs[i] != ' ' && attrs[i] != '\t' && attrs[i] != '\n' &&
               attrs[i] != '\r' && attrs[i] != '/')
            ++i;
        const std::string_view key = attrs.substr(start, i - start);
        while (i < attrs.size() && attrs[i] != '=' && attrs[i] != '"' && attrs[i] != '\'')
            ++i;
        if (i >= attrs.size() || attrs[i] != '=')
            return false;
        ++i;
        while (i < attrs.size() && attrs[i] != '"' && attrs[i] != '\'')
            ++i;
        if (i >= attrs.size())
            return false;
        const char quote = attrs[i++];
        const size_t end = attrs.find(quote, i);
        if (end == std::string_view::npos)
            return false;
        if (LocalName(key) == name) {
            value = attrs.substr(i, end - i);
            return true;
        }
        i = end + 1;
    }
    return false;
}

struct PendingPoint {
    bool positioned = false, timed = false, bad = false;
    bool hasSpeed = false;
    LogPoint point;
};

int64_t Round(double v) { return int64_t(std::llround(v)); }

// Sets the point's field named by the element that just ended.
void TakeValue(std::string_view name, std::string_view text, PendingPoint& pp)
{
    double v = 0;
    if (name == "time") {
        int64_t ms = 0;
        if (IsoTime(text, ms)) {
            pp.point.timeMs = ms;
            pp.timed = true;
        }
        return;
    }
    if (name != "ele" && name != "speed" && name != "course" && name != "sat" && name != "hdop" && name != "speedError")
        return;
    if (!Number(text, v) || std::fabs(v) > 1e9) {
        pp.bad = true;
        return;
    }
    if (name == "ele")
        pp.point.altitudeCm = int32_t(Round(v * 100));
    else if (name == "speed") {
        pp.point.speedMmS = Round(v * 1000);
        pp.hasSpeed = true;
    } else if (name == "course")
        pp.point.courseCentiDeg = Round(v * 100);
    else if (name == "sat")
        pp.point.satellites = int(std::min(v, 255.0));
    else if (name == "hdop")
        pp.point.hdopCenti = Round(v * 100);
    else
        pp.point.speedErrorMmS = Round(v * 1000);
}

} // namespace

bool LooksLikeGpx(const uint8_t* bytes, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(bytes), size);
    size_t i = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n'))
        ++i;
    return i < text.size() && text[i] == '<' && text.find("<gpx", i) != std::string_view::npos;
}

void ReadGpx(const uint8_t* bytes, size_t size, PointLog& log)
{
    const std::string_view doc(reinterpret_cast<const char*>(bytes), size);
    ReadTally tally;
    PendingPoint pp;
    bool inPoint = false, closed = false;
    int inAuthor = 0;        // depth inside <author>
    size_t textStart = 0;    // just after the last start tag
    size_t i = 0;
    while (true) {
        const size_t open = doc.find('<', i);
        if (open == std::string_view::npos)
            break;
        if (doc.compare(open, 4, "<!--") == 0) {
            const size_t end = doc.find("-->", open + 4);
            if (end == std::string_view::npos)
                break;
            i = end + 3;
            continue;
        }
        if (doc.compare(open, 9, "<![CDATA[") == 0) {
            const size_t end = doc.find("]]>", open + 9);
            if (end == std::string_view::npos)
                break;
            i = end + 3;
            continue;
        }
        const size_t close = doc.find('>', open + 1);
        if (close == std::string_view::npos)
            break;
        i = close + 1;
        std::string_view tag = doc.substr(open + 1, close - open - 1);
        if (tag.empty() || tag.front() == '?' || tag.front() == '!')
            continue;
        if (tag.front() == '/') {
            const std::string_view name = LocalName(Trim(tag.substr(1)));
            const std::string_view text = doc.substr(textStart, open - textStart);
            if (name == "trkpt" && inPoint) {
                inPoint = false;
                if (!pp.positioned || pp.bad)
                    ++tally.badPoints;
                else if (!pp.timed || !AppendSbpPoint(log.sbp, pp.point))
                    ++tally.undated;
            } else if (inPoint) {
                TakeValue(name, text, pp);
            } else if (name == "author") {
                inAuthor = std::max(0, inAuthor - 1);
                if (log.userName.empty() && Trim(text).find('<') == std::string_view::npos)
                    log.userName = std::string(Trim(text));
            } else if ((name == "name" && inAuthor > 0) || name == "userName") {
                if (name == "userName" || log.userName.empty())
                    log.userName = std::string(Trim(text));
            } else if (name == "serial") {
                log.serial = std::string(Trim(text));
            } else if (name == "gpx") {
                closed = true;
            }
            textStart = i;
            continue;
        }
        const bool selfClosing = tag.back() == '/';
        if (selfClosing)
            tag.remove_suffix(1);
        const size_t nameEnd = tag.find_first_of(" \t\r\n");
        const std::string_view name = LocalName(tag.substr(0, nameEnd));
        const std::string_view attrs = nameEnd == std::string_view::npos ? std::string_view() : tag.substr(nameEnd);
        textStart = i;
        if (name == "trkpt") {
            if (inPoint)   // the one before never closed
                ++tally.badPoints;
            pp = PendingPoint();
            inPoint = !selfClosing;
            std::string_view lat, lon;
            double la = 0, lo = 0;
            pp.positioned = Attribute(attrs, "lat", lat) && Attribute(attrs, "lon", lon) && Number(lat, la) &&
                            Number(lon, lo) && std::fabs(la) <= 90 && std::fabs(lo) <= 180;
            pp.point.latitude = int32_t(Round(la * 1e7));
            pp.point.longitude = int32_t(Round(lo * 1e7));
            if (selfClosing)
                ++tally.undated;
        } else if (name == "author" && !selfClosing) {
            ++inAuthor;
        }
    }
    if (inPoint)
        tally.stop = "the file ends inside a track point (after " + std::to_string(log.sbp.size() / 32) + " points)";
    else if (!closed)
        tally.stop = "the file ends before its closing </gpx>";
    log.problem = tally.text();
}
