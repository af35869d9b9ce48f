#include "logdata/SpeedGpxExport.h"

#include <algorithm>

#include "logdata/LogConvert.h"
#include "platform/FileAccess.h"
#include "pointlog/PointLog.h"
#include "program/Program.h"

namespace {

constexpr size_t kChunkRecords = 4096;

} // namespace

std::string SpeedGpxName(const std::string& base)
{
    return base + ".speed.gpx";
}

ResultCode WriteSpeedGpxFile(const uint8_t* records, size_t count, const SpeedGpxHeader& header,
                             const std::string& output, size_t* points, std::string* error)
{
    OutputFile out(output, {.removeExisting = true, .removeOnFailure = true});
    out.open();
    std::string text = SpeedGpxStart(header);
    size_t written = 0;
    for (size_t done = 0; done < count && out.ok(); done += kChunkRecords) {
        written += AppendSpeedGpxPoints(records + done * 32, std::min(kChunkRecords, count - done), text);
        out.write(text.data(), text.size());
        text.clear();
    }
    text += SpeedGpxEnd(header);
    out.write(text.data(), text.size());
    if (points)
        *points = written;
    if (out.close())
        return kOk;
    if (error)
        *error = out.errorText();
    return kWriteFailed;
}

ResultCode ExportOtherLogSpeedGpx(Program& p, const std::string& input)
{
    const PointLog log = ReadPointLog(input);
    const std::string what = input + " (" + LogFormatName(log.format) + ")";
    if (log.status != kOk) {
        p.host.logLine("Cannot convert " + what + ": " + log.problem);
        return ResultCode(log.status);
    }
    if (!log.problem.empty())
        p.host.logLine(what + ": " + log.problem + "; the points before it are written");
    const SpeedGpxHeader header{SbpBaseName(input), log.serial, log.userName};
    const std::string name = SpeedGpxName(header.name);
    size_t points = 0;
    std::string error;
    const ResultCode written = WriteSpeedGpxFile(log.sbp.data(), log.points(), header, name, &points, &error);
    if (written != kOk) {
        p.host.logLine("Cannot write " + name + ": " + error);
        return written;
    }
    p.host.logLine(name + ": " + std::to_string(points) + " points with their speed");
    return log.problem.empty() ? kOk : kIncomplete;
}
