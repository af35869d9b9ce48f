#include "logdata/LogExport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <QDir>
#include <QFileInfo>

#include "program/Program.h"
#include "link/NmeaChecksum.h"
#include "link/SerialLink.h"
#include "logdata/LogBrowser.h"
#include "logdata/PointGrid.h"
#include "logdata/SbpRecord.h"
#include "logdata/SbpText.h"

namespace {

const char* const kMonthNames[13] = {"000", "Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

const char kPltHeader[] = "OziExplorer Track Point File Version 2.1\r\nWGS 84\r\nAltitude is in feet,UTC \r\nTrack \r\n"
                          "0,2,255,GPS Track 0 ,0,0,2,8421376\r\n0\r\n";

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m)
{
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

// Days from 1899-12-30 to y-m-d (proleptic Gregorian).
int64_t DaysSince1899(int y, int m, int d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468 + 25569;   // 25569: 1899-12-30 to 1970-01-01
}

size_t Emit(char* out, const char* line)
{
    const size_t n = std::strlen(line);
    std::memcpy(out, line, n);
    return n;
}

bool SameFile(const std::string& a, const std::string& b)
{
    if (a.empty() || b.empty())
        return false;
    const QFileInfo fa(QString::fromStdString(a)), fb(QString::fromStdString(b));
    const QString ca = fa.canonicalFilePath(), cb = fb.canonicalFilePath();
    return !ca.isEmpty() && ca == cb;
}

bool WriteChunks(Program& p, const std::string& name, const uint8_t* records, size_t total, std::vector<char>& work,
                 bool plt)
{
    std::unique_ptr<OutputFile> out = CreateOutputFile(name, true);
    for (size_t done = 0; done < total && out->ok(); done += kSbpChunkRecords) {
        const size_t n = std::min(kSbpChunkRecords, total - done);
        const uint8_t* chunk = records + done * kSbpRecordBytes;
        const size_t chars = plt ? WriteSbpPlt(chunk, n, work.data(), done == 0) : WriteSbpNmea(chunk, n, work.data());
        out->write(work.data(), chars);
    }
    if (out->close())
        return true;
    p.host.logLine("Cannot write " + name + ": " + out->error());
    return false;
}

} // namespace

// --- Output files -----------------------------------------------------------

void OutputFile::fail()
{
    if (ok_)
        error_ = file_.errorString().toStdString();
    ok_ = false;
}

void OutputFile::write(const char* data, size_t size)
{
    if (!ok_ || size == 0)
        return;
    if (file_.write(data, qint64(size)) != qint64(size))
        fail();
}

bool OutputFile::close()
{
    if (closed_)
        return ok_;
    closed_ = true;
    if (file_.isOpen()) {
        if (ok_ && !file_.flush())
            fail();
        file_.close();
        if (ok_ && file_.error() != QFileDevice::NoError)
            fail();
        if (!ok_)
            file_.remove();
    }
    return ok_;
}

std::unique_ptr<OutputFile> CreateOutputFile(const std::string& name, bool replace)
{
    auto out = std::make_unique<OutputFile>(name);
    if (out->file_.exists()) {
        if (!replace) {
            out->error_ = "the file exists";
            return out;
        }
        if (!out->file_.remove()) {
            out->error_ = out->file_.errorString().toStdString();
            return out;
        }
    }
    if (!out->file_.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        out->error_ = out->file_.errorString().toStdString();
        return out;
    }
    out->ok_ = true;
    return out;
}

// --- Text of the records ----------------------------------------------------

size_t WriteSbpNmea(const uint8_t* records, size_t count, char* buffer)
{
    if (count > 0 && records[2] == 0xA0 && records[3] == 0xA2 && records[6] == 0xFD) {
        records += 2 * kSbpRecordBytes;
        count = count >= 2 ? count - 2 : 0;
    }
    SbpText out(buffer);
    for (size_t i = 0; i < count; ++i) {
        const SbpRecord r = ReadSbpRecord(records + i * kSbpRecordBytes);
        SbpTime t;
        UnpackSbpTime(r.utc, t);
        const SbpDegrees lat = SplitLatitude(r.latitude);
        const SbpDegrees lon = SplitLongitude(r.longitude);
        const int ms = r.milliseconds % 1000;

        out.ch('$');
        const char* sentence = out.end();
        out.str("GPGGA,");
        WriteSbpTimeAndPosition(out, t, ms, lat, lon, false);
        out.str(",1,").integer(r.satellites, 2).ch(',').integer(r.hdop / 5).ch('.').integer((r.hdop % 5) * 2);
        out.ch(',').integer(r.altitude / 100).str(".00,M,,,,");
        AppendChecksum(out, sentence, true);

        out.ch('$');
        sentence = out.end();
        out.str("GPRMC,");
        WriteSbpRmcBody(out, t, ms, lat, lon, NmeaKnots(r.speed), r.course, t.yearOffset % 100);
        AppendChecksum(out, sentence, true);
    }
    return out.size();
}

size_t WriteSbpPlt(const uint8_t* records, size_t count, char* buffer, bool firstChunk)
{
    SbpText out(buffer);
    if (firstChunk)
        out.str(kPltHeader);
    for (size_t i = 0; i < count; ++i) {
        const SbpRecord r = ReadSbpRecord(records + i * kSbpRecordBytes);
        SbpTime t;
        if (UnpackSbpTime(r.utc, t) != kSbpTimeValid)
            continue;
        const int year = 2000 + t.yearOffset;
        // A day the month does not have (31 April) is skipped like any other bad time stamp.
        if (t.day > DaysInMonth(year, t.month))
            continue;
        const double serial =
            double(DaysSince1899(year, t.month, t.day)) + (t.hour * 3600 + t.minute * 60 + t.second) / 86400.0;
        const int feet = static_cast<int>(r.altitude * 0.03280839 + 0.5);
        const int segment = (r.eeVel & 0x08) ? 1 : 0;
        // "%10.6f,%10.6f,%2d,%8d, %15.7f, %02d-%s-%02d, %02d:%02d:%02d\r\n"
        out.fixed(r.latitude * 1e-7, 6, 10).ch(',').fixed(r.longitude * 1e-7, 6, 10).ch(',');
        out.integer(segment, 2, false).ch(',').integer(feet, 8, false).str(", ").fixed(serial, 7, 15).str(", ");
        out.integer(t.day, 2).ch('-').str(kMonthNames[t.month]).ch('-').integer(year, 2).str(", ");
        out.integer(t.hour, 2).ch(':').integer(t.minute, 2).ch(':').integer(t.second, 2).str("\r\n");
    }
    return out.size();
}

// --- Converter command line -------------------------------------------------

std::string SplitLogOptionText(bool splitTrack)
{
    if (!splitTrack)
        return {};
    char text[64];
    std::snprintf(text, sizeof text, " -x track,split=1h,title=\"VR40LOG#%%c\"");
    return text;
}

std::vector<std::string> CommandLineWords(const std::string& text)
{
    std::vector<std::string> words;
    std::string word;
    bool inWord = false, quoted = false;
    for (char c : text) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inWord)
                words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words.push_back(word);
    return words;
}

std::vector<std::string> GpsBabelArguments(const std::string& nmeaFile, const std::string& splitOption, bool kml,
                                           const std::string& output)
{
    std::vector<std::string> args = {"-t", "-i", "nmea", "-f", nmeaFile};
    for (const std::string& w : CommandLineWords(splitOption))
        args.push_back(w);
    args.push_back("-o");
    args.push_back(kml ? "kml,lines=1,points=0,line_width=5,line_color=A00000A0,floating=0" : "gpx");
    args.push_back("-F");
    args.push_back(output);
    return args;
}

std::string ConvertStatisticText(uint32_t total, uint32_t noFix, uint32_t bad)
{
    return "[Total:" + std::to_string(total) + ",No Fix:" + std::to_string(noFix) + ",Bad:" + std::to_string(bad) +
           "]";
}

std::string SbpBaseName(const std::string& input)
{
    return QFileInfo(QString::fromStdString(input)).completeBaseName().toStdString();
}

std::string SbpExtension(const std::string& input)
{
    const QString suffix = QFileInfo(QString::fromStdString(input)).suffix();
    return suffix.isEmpty() ? std::string() : "." + suffix.toStdString();
}

// --- The conversion ---------------------------------------------------------

int WriteSbpExports(Program& p, const std::vector<uint8_t>& image, const std::string& base)
{
    size_t offset = 0;
    if (HasSbpHeader(image.data(), image.size()))
        offset = std::min(image.size(), kSbpHeaderBytes);
    const size_t total = (image.size() - offset) / kSbpRecordBytes;
    p.convertTotal = uint32_t(total);
    p.convertNoFix = 0;
    p.convertBad = 0;

    // Both files are written before either is judged, as a conversion always makes both.
    std::vector<char> work(kSbpWorkBufferBytes);
    const bool nmeaOk = WriteChunks(p, base + ".NMEA", image.data() + offset, total, work, false);
    const bool pltOk = WriteChunks(p, base + ".plt", image.data() + offset, total, work, true);
    return nmeaOk && pltOk ? 0 : kExportWriteFailed;
}

int ExportSbpTracks(Program& p, const std::string& input, const std::string& base)
{
    std::vector<uint8_t> image;
    const int read = ReadWholeFile(input, image);
    if (read != kReadOk)
        return read;
    const int written = WriteSbpExports(p, image, base);
    image = {};
    if (written != 0)
        return written;

    const std::string nmeaFile = base + ".NMEA";
    const std::string split = SplitLogOptionText(p.form.unseen.splitTrack);
    const qint64 nmeaBytes = QFileInfo(QString::fromStdString(nmeaFile)).size();
    // About 1.5 s per 10 MB here; the limit leaves a slow machine plenty.
    const int timeoutMs = int(60000 + nmeaBytes / 1000);
    ExternalTool& tool = *p.externalTool;
    const bool hasTz = std::any_of(tool.environment.begin(), tool.environment.end(),
                                   [](const auto& e) { return e.first == "TZ"; });
    if (!hasTz) {
        // Without TZ the converter looks up the zone file for every time stamp and runs several times slower.
        const char* tz = std::getenv("TZ");
        tool.environment.push_back({"TZ", tz && *tz ? tz : "UTC"});
    }
    for (const bool kml : {false, true}) {
        const std::string output = base + (kml ? ".kml" : ".gpx");
        const ExternalTool::Result r = tool.run("gpsbabel", GpsBabelArguments(nmeaFile, split, kml, output), output,
                                                timeoutMs, [&p] { PumpMessages(p.link); });
        if (r.status != ExternalTool::Status::Ok) {
            p.host.logLine(DescribeToolFailure(r, output));
            return kExportToolFailed;
        }
    }
    return 0;
}

int ConvertSbpFile(Program& p)
{
    const std::string input = p.form.browse.gridFileName;
    int result = 0;
    if (!QFileInfo::exists(QString::fromStdString(input))) {
        p.host.setBusyCursor(false);
        p.host.messageBox(input + " not found!");
        result = kReadCannotOpen;
    } else {
        const std::string base = SbpBaseName(input);
        const std::string ext = SbpExtension(input);
        if (!ext.empty() && ext.find("sbp") == std::string::npos) {
            p.host.messageBox("Wrong .SBP file Error");
            return kReadCannotOpen;
        }
        p.host.setBusyCursor(true);
        p.host.logLine("converting...");
        result = ExportSbpTracks(p, input, base);
        if (result != 0 && result != kExportToolFailed) {
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
                ReadWholeFile(input, image);
                DecodeSbpRecords(own, nullptr, image.size() / kSbpRecordBytes);
                DecodeSbpRecords(own, image.data(), image.size() / kSbpRecordBytes);
                csvOk = SaveGridAsCsv(p, own, base + ".csv");
            }
            if (result == kExportToolFailed) {
                p.host.setBusyCursor(false);
                p.host.messageBox(" Failed to generate KML file!");
            } else {
                char line[1024];
                std::snprintf(line, sizeof line, "%s.kml(plt,nmea,gpx) files generated", base.c_str());
                SleepPumping(p.link, 1000);
                p.host.logLine(line);
                SleepPumping(p.link, 1000);
                if (p.form.logData.googleEarthView) {
                    const QString kml = QDir::current().absoluteFilePath(QString::fromStdString(base + ".kml"));
                    if (!p.shell->open(kml.toStdString()))
                        p.host.logLine("Cannot open " + kml.toStdString());
                }
                if (!csvOk)
                    result = kExportWriteFailed;
            }
            p.host.setBusyCursor(false);
        }
    }
    p.host.setBusyCursor(false);
    p.form.logData.convertStatistic = ConvertStatisticText(p.convertTotal, p.convertNoFix, p.convertBad);
    return result;
}

int BitBtn_offline_convertClick(Program& p)
{
    if (!QFileInfo::exists(QString::fromStdString(p.form.logData.logFileName))) {
        p.host.messageBox("File not exist!");
        return kReadCannotOpen;
    }
    p.form.browse.gridFileName = p.form.logData.logFileName;
    return ConvertSbpFile(p);
}

// --- CSV --------------------------------------------------------------------

bool SaveGridAsCsv(Program& p, const PointGrid& grid, const std::string& fileName)
{
    std::unique_ptr<OutputFile> out = CreateOutputFile(fileName, true);
    std::string text;
    text.reserve(1 << 20);
    char cell[kGridCellChars];
    for (size_t row = 0; row < grid.rowCount() && out->ok(); ++row) {
        for (int c = 0; c < kGridColumns; ++c) {
            const size_t n = grid.formatCell(row, c, cell);
            if (c > 0)
                text += ',';
            text += '"';
            for (size_t i = 0; i < n; ++i) {
                if (cell[i] == '"')
                    text += '"';
                text += cell[i];
            }
            text += '"';
        }
        text += "\r\n";
        if (text.size() > (1 << 20) - 4096) {
            out->write(text.data(), text.size());
            text.clear();
        }
    }
    out->write(text.data(), text.size());
    if (!out->close()) {
        p.host.logLine("Cannot write " + fileName + ": " + out->error());
        return false;
    }
    p.host.logLine(fileName + " CSV file created.");
    return true;
}

bool SaveGridAsCsv(Program& p, const std::string& fileName)
{
    return SaveGridAsCsv(p, p.grid, fileName);
}

void GridSaveToFileClick(Program& p, const std::function<std::string()>& askFileName)
{
    if (p.grid.rowCount() == 0 || p.loadedSize == 0) {
        p.host.messageBox("Load SBP first !");
        return;
    }
    const std::string name = askFileName ? askFileName() : std::string();
    if (name.empty())
        return;
    if (SaveGridAsCsv(p, name))
        p.host.messageBox(name + " saved.");
    else
        p.host.messageBox("Cannot write " + name);
}
