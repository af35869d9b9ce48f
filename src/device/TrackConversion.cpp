#include "device/TrackConversion.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "basics/Text.h"
#include "basics/WholeFile.h"
#include "device/KmlTrackName.h"
#include "device/TrackStore.h"
#include "link/SerialLink.h"
#include "platform/ByteOrder.h"
#include "platform/FileAccess.h"
#include "platform/GpsBabelJob.h"
#include "platform/ResultCode.h"
#include "program/Program.h"
#include "sbp/SbpRecord.h"
#include "sbp/SbpText.h"

namespace {

// One green line per track, no point markers, clamped to the ground.
constexpr const char* kKmlTrackFormat = "kml,lines=1,points=0,line_width=4,line_color=A000A000,floating=0";

// "%02d%s,%c,%03d%s,%c" with "%07.4f" minutes.
void WritePosition(SbpText& out, const SbpDegrees& lat, const SbpDegrees& lon)
{
    out.integer(std::abs(lat.degrees), 2).fixed(lat.minutes, 4, 7, true).ch(',').ch(lat.hemisphere).ch(',');
    out.integer(std::abs(lon.degrees), 3).fixed(lon.minutes, 4, 7, true).ch(',').ch(lon.hemisphere);
}

bool IsTrackEnd(uint32_t dateTime)
{
    return dateTime == 0 || dateTime == 0xFFFFFFFFu;
}

std::string LocalTimeText(const Program& p)
{
    const LocalDateTime now = p.clock->localNow();
    char text[16];
    std::snprintf(text, sizeof text, "%02d%02d%02d", now.hour, now.minute, now.second);
    return text;
}

// The owner's name made safe, then "_SERIAL" and the tail.
std::string OwnerTrackName(const Program& p, const char* tail)
{
    char serial[16];
    std::snprintf(serial, sizeof serial, "_%09ld", long(p.identity.serialNumber));
    return FileNameSafe(p.identity.userName) + serial + tail;
}

class ConverterRuns {
public:
    explicit ConverterRuns(Program& p) : p_(p) {}

    // Runs GPSBabel into output; logs what went wrong when it did. False when the file was not made.
    bool babel(const std::string& input, const char* format, const std::string& output)
    {
        if (converterMissing_)
            return false;
        GpsBabelJob job;
        job.input = input;
        job.outputFormat = format;
        job.output = output;
        const ExternalTool::Result r = RunGpsBabel(*p_.externalTool, job, [this] { PumpMessages(p_.link); });
        if (r.status == ExternalTool::Status::Ok)
            return true;
        p_.host.logLine(DescribeToolFailure(r, output));
        // Said once: no later run can find it either.
        converterMissing_ = r.status == ExternalTool::Status::NotFound;
        return false;
    }

private:
    Program& p_;
    bool converterMissing_ = false;
};

} // namespace

size_t TrackToNmea(const uint8_t* slot, int maxPoints, std::string& out, int& pointCount)
{
    pointCount = 0;
    const int limit = std::clamp(maxPoints, 0, kTrackSlotPoints);
    out.resize(size_t(limit) * kTrackNmeaBytesPerPoint);
    SbpText text(out.data());
    for (int i = 0; i < limit; ++i) {
        const uint8_t* point = slot + i * kTrackPointBytes;
        const uint32_t dateTime = Le32(point);
        if (IsTrackEnd(dateTime))
            break;
        ++pointCount;
        SbpTime t;
        UnpackSbpTime(dateTime, t);
        const SbpDegrees lat = SplitLatitude(int32_t(Le32(point + 4)));
        const SbpDegrees lon = SplitLongitude(int32_t(Le32(point + 8)));
        const int altitude = int(Le16(point + 12)) - 1000;
        const uint8_t course = point[14];
        const double knots = point[15] * 1000 * (1 / 1851.9648);

        text.ch('$');
        const char* sentence = text.end();
        text.str("GPGGA,").integer(t.hour, 2).integer(t.minute, 2).integer(t.second, 2).ch(',');
        WritePosition(text, lat, lon);
        text.str(",1,04,,").integer(altitude).str(".0,M,,,,");
        AppendChecksum(text, sentence, true);

        text.ch('$');
        sentence = text.end();
        text.str("GPRMC,").integer(t.hour, 2).integer(t.minute, 2).integer(t.second, 2).str(".000,A,");
        WritePosition(text, lat, lon);
        text.ch(',').fixed(knots, 2).ch(',').integer(course).str(".00,");
        text.integer(t.day, 2).integer(t.month, 2).integer(t.yearOffset % 100, 2).str(",,");
        AppendChecksum(text, sentence, true);
    }
    out.resize(text.size());
    return out.size();
}

ResultCode Button_TRK_TO_RMCClick(Program& p)
{
    std::vector<uint8_t> image;
    const ResultCode read = ReadWholeFile(kTrackImageFile, kWholeFileLimit, image);
    if (read != kOk) {
        p.host.messageBox("Import trk file(64K bin) failed!");
        return read;
    }
    if (image.size() != kTrackStoreBytes) {
        p.host.messageBox("Import trk file(64K bin) file size error!");
        return kRefused;
    }
    const std::string timeText = LocalTimeText(p);
    ConverterRuns converter(p);
    ResultCode result = kOk;
    auto fail = [&result](ResultCode code) {
        if (result == kOk)
            result = code;
    };
    std::string text;
    for (int n = 0; n < 4; ++n) {
        char name[64];
        std::snprintf(name, sizeof name, "TRK%d_%s.NMEA", n, timeText.c_str());
        OutputFile file(name, {.removeExisting = true, .removeOnFailure = true});
        if (!file.open()) {
            p.host.logLine(std::string("Cannot create ") + name + ": " + file.errorText());
            fail(kWriteFailed);
            continue;
        }
        int points = 0;
        TrackToNmea(image.data() + n * kTrackSlotBytes, kTrackConvertedPoints, text, points);
        const bool wrote = file.write(text.data(), text.size());
        const bool written = file.close() && wrote;
        if (!written) {
            p.host.logLine(std::string("Cannot write ") + name + ": " + file.errorText());
            fail(kWriteFailed);
        } else if (!text.empty()) {
            p.host.logLine(std::string("--> ") + name + " created.");
            const std::string gpx = std::string(name) + ".gpx";
            const std::string kml = std::string(name) + ".kml";
            if (converter.babel(name, kGpxFormat, gpx))
                p.host.logLine("--> " + gpx + " created ");
            else
                fail(kConverterFailed);
            if (converter.babel(name, kKmlTrackFormat, kml)) {
                p.host.logLine("--> " + kml + " created ");
                char tail[16];
                std::snprintf(tail, sizeof tail, "_TRK_%d", n);
                std::string error;
                if (!NameKmlTrack(kml, OwnerTrackName(p, tail), &error)) {
                    p.host.logLine("The track in " + kml + " keeps GPSBabel's name: " + error + ".");
                    fail(kConverterFailed);
                }
            } else {
                fail(kConverterFailed);
            }
        }
        p.form.unseen.trackPoints[size_t(n)] = std::to_string(points);
    }
    p.host.logLine("TRK To RMC/GPX/KML conversion completed.");
    return result;
}

ResultCode BitBtn1Click(Program& p)
{
    const std::string trackName = OwnerTrackName(p, "");
    p.host.messageBox("sed_kml_gpsname.bat " + trackName + " TRK.kml ");
    std::string error;
    if (!NameKmlTrack("TRK.kml", trackName, &error)) {
        p.host.logLine("The track in TRK.kml keeps its name: " + error + ".");
        return kConverterFailed;
    }
    return kOk;
}
