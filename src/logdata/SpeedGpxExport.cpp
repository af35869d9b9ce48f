#include "logdata/SpeedGpxExport.h"

#include <algorithm>

#include "platform/FileAccess.h"

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
