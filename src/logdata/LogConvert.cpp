#include "logdata/LogConvert.h"

#include <algorithm>
#include <cstdio>

#include "basics/WholeFile.h"
#include "link/SerialLink.h"
#include "logdata/GridCsv.h"
#include "logdata/LogBrowser.h"
#include "logdata/PointGridText.h"
#include "logdata/SbpExportText.h"
#include "logdata/SpeedGpxExport.h"
#include "platform/FileAccess.h"
#include "platform/GpsBabelJob.h"
#include "platform/ResultCode.h"
#include "pointlog/PointLog.h"
#include "program/PointGrid.h"
#include "program/Program.h"
#include "sbp/SbpRecord.h"

namespace {

#ifdef _WIN32
constexpr const char* kFolderSeparators = "/\\";
#else
constexpr const char* kFolderSeparators = "/";
#endif

bool SameFile(const std::string& a, const std::string& b)
{
    if (a.empty() || b.empty())
        return false;
    const std::string ca = CanonicalFileName(a);
    return !ca.empty() && ca == CanonicalFileName(b);
}

bool WriteChunks(Program& p, const std::string& name, const uint8_t* records, size_t total, std::vector<char>& work,
                 bool plt)
{
    OutputFile out(name, {.removeExisting = true, .removeOnFailure = true});
    out.open();
    for (size_t done = 0; done < total && out.ok(); done += kSbpChunkRecords) {
        const size_t n = std::min(kSbpChunkRecords, total - done);
        const uint8_t* chunk = records + done * kSbpRecordBytes;
        const size_t chars = plt ? WriteSbpPlt(chunk, n, work.data(), done == 0) : WriteSbpNmea(chunk, n, work.data());
        out.write(work.data(), chars);
    }
    if (out.close())
        return true;
    p.host.logLine("Cannot write " + name + ": " + out.errorText());
    return false;
}

} // namespace

std::string ConvertStatisticText(uint32_t total, uint32_t noFix, uint32_t bad)
{
    return "[Total:" + std::to_string(total) + ",No Fix:" + std::to_string(noFix) + ",Bad:" + std::to_string(bad) +
           "]";
}

std::string SbpBaseName(const std::string& input)
{
    const std::string file = input.substr(input.find_last_of(kFolderSeparators) + 1);
    return file.substr(0, file.rfind('.'));
}

std::string SbpExtension(const std::string& input)
{
    const std::string file = input.substr(input.find_last_of(kFolderSeparators) + 1);
    const size_t dot = file.rfind('.');
    return dot == std::string::npos || dot + 1 == file.size() ? std::string() : file.substr(dot);
}

ResultCode WriteSbpExports(Program& p, const std::vector<uint8_t>& image, const std::string& base)
{
    size_t offset = 0;
    if (HasSbpHeader(image.data(), image.size()))
        offset = std::min(image.size(), kSbpHeaderBytes);
    const size_t total = (image.size() - offset) / kSbpRecordBytes;
    p.browser.convertTotal = uint32_t(total);
    p.browser.convertNoFix = 0;
    p.browser.convertBad = 0;

    // Both files are written before either is judged, as a conversion always makes both.
    // Sized to the file: zero-filling a whole chunk's buffer would cost a short log more than its text.
    std::vector<char> work(SbpWorkBufferBytes(total));
    const bool nmeaOk = WriteChunks(p, base + ".NMEA", image.data() + offset, total, work, false);
    const bool pltOk = WriteChunks(p, base + ".plt", image.data() + offset, total, work, true);
    return nmeaOk && pltOk ? kOk : kWriteFailed;
}

ResultCode ExportSbpTracks(Program& p, const std::string& input, const std::string& base)
{
    std::vector<uint8_t> image;
    const ResultCode read = ReadWholeFile(input, kWholeFileLimit, image);
    if (read != kOk)
        return read;
    if (!SameFile(p.grid.sourceFile, input))   // else loading it has warned already
        WarnWhenNotALog(p, input, image, "converted as it is");
    ResultCode written = WriteSbpExports(p, image, base);
    if (written == kOk && p.form.logData.speedGpx) {
        const size_t offset = HasSbpHeader(image.data(), image.size()) ? std::min(image.size(), kSbpHeaderBytes) : 0;
        SpeedGpxHeader header;
        header.name = base;
        const std::string name = SpeedGpxName(base);
        size_t points = 0;
        std::string error;
        written = WriteSpeedGpxFile(image.data() + offset, (image.size() - offset) / kSbpRecordBytes, header, name,
                                    &points, &error);
        p.host.logLine(written == kOk ? name + ": " + std::to_string(points) + " points with their speed"
                                      : "Cannot write " + name + ": " + error);
    }
    image = {};
    if (written != kOk)
        return written;

    GpsBabelJob job;
    job.input = base + ".NMEA";
    job.filterWords = CommandLineWords(SplitLogOptionText(p.form.unseen.splitTrack));
    for (const bool kml : {false, true}) {
        job.outputFormat = kml ? kKmlLineFormat : kGpxFormat;
        job.output = base + (kml ? ".kml" : ".gpx");
        const ExternalTool::Result r = RunGpsBabel(*p.externalTool, job, [&p] { PumpMessages(p.link); });
        if (r.status != ExternalTool::Status::Ok) {
            p.host.logLine(DescribeToolFailure(r, job.output));
            return kConverterFailed;
        }
    }
    return kOk;
}

ResultCode ConvertSbpFile(Program& p)
{
    const std::string input = p.form.browse.gridFileName;
    ResultCode result = kOk;
    if (!FileExists(input)) {
        p.host.setBusyCursor(false);
        p.host.messageBox(input + " not found!");
        result = kCannotOpen;
    } else {
        const std::string base = SbpBaseName(input);
        const std::string ext = SbpExtension(input);
        if (!ext.empty() && ext.find("sbp") == std::string::npos) {
            // Another logger's log has one export, the GPX that keeps its speed.
            const LogFormat format = p.form.logData.speedGpx ? RecogniseLogFile(input) : LogFormat::Unknown;
            if (format != LogFormat::Sbp && format != LogFormat::Unknown)
                return ExportOtherLogSpeedGpx(p, input);
            p.host.messageBox("Wrong .SBP file Error");
            return kCannotOpen;
        }
        p.host.setBusyCursor(true);
        p.host.logLine("converting...");
        result = ExportSbpTracks(p, input, base);
        if (result != kOk && result != kConverterFailed) {
            p.host.setBusyCursor(false);
            p.host.messageBox(" Failed to generate KML file!");
        } else {
            // The CSV holds this input's points, also when the grid shows another file or a download.
            bool csvOk;
            if (SameFile(p.grid.sourceFile, input)) {
                csvOk = SaveGridAsCsv(p, base + ".csv");
            } else {
                PointGrid own;
                std::vector<uint8_t> image;
                ReadWholeFile(input, kWholeFileLimit, image);
                DecodeSbpRecords(own, nullptr, image.size() / kSbpRecordBytes);
                DecodeSbpRecords(own, image.data(), image.size() / kSbpRecordBytes);
                csvOk = SaveGridAsCsv(p, own, base + ".csv");
            }
            if (result == kConverterFailed) {
                p.host.setBusyCursor(false);
                p.host.messageBox(" Failed to generate KML file!");
            } else {
                char line[1024];
                std::snprintf(line, sizeof line, "%s.kml(plt,nmea,gpx) files generated", base.c_str());
                p.host.logLine(line);
                if (p.form.logData.googleEarthView) {
                    const std::string kml = AbsoluteFileName(base + ".kml");
                    if (!p.opener->open(kml))
                        p.host.logLine("Cannot open " + kml);
                }
                if (!csvOk)
                    result = kWriteFailed;
            }
            p.host.setBusyCursor(false);
        }
    }
    p.host.setBusyCursor(false);
    p.form.logData.convertStatistic = ConvertStatisticText(p.browser.convertTotal, p.browser.convertNoFix, p.browser.convertBad);
    return result;
}

ResultCode BitBtn_offline_convertClick(Program& p)
{
    if (!FileExists(p.form.logData.logFileName)) {
        p.host.messageBox("File not exist!");
        return kCannotOpen;
    }
    p.form.browse.gridFileName = p.form.logData.logFileName;
    return ConvertSbpFile(p);
}
