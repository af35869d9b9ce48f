#pragma once
// "Log Convert": an .sbp log to NMEA (GGA + RMC per point) and OziExplorer
// PLT written here from the raw records, the point grid as CSV, and GPX and
// KML made from the NMEA file by GPSBabel. Line ends are CR LF throughout.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QFile>

class PointGrid;
struct Program;

inline constexpr size_t kSbpChunkRecords = 4096;
inline constexpr size_t kSbpTextBytesPerRecord = 180;
inline constexpr size_t kSbpWorkBufferBytes = 0xB4100;   // one chunk's text
inline constexpr size_t kLargeLogBytes = 0x400000;

// Results beyond ReadWholeFile's 0 / 2 / 140.
inline constexpr int kExportWriteFailed = 6;   // an output file could not be written completely
inline constexpr int kExportToolFailed = 7;    // GPSBabel missing or failing; NMEA and PLT are complete

// An output file. Writes and close do nothing once it has failed; a file that
// failed is removed at close, so no partial file is left behind.
class OutputFile {
public:
    explicit OutputFile(const std::string& name) : name_(name), file_(QString::fromStdString(name)) {}
    bool ok() const { return ok_; }
    const std::string& name() const { return name_; }
    std::string error() const { return error_; }
    void write(const char* data, size_t size);
    // True when the file was created and every byte reached it.
    bool close();

private:
    friend std::unique_ptr<OutputFile> CreateOutputFile(const std::string& name, bool replace);
    void fail();
    std::string name_;
    QFile file_;
    bool ok_ = false;
    bool closed_ = false;
    std::string error_;
};

// Deletes an existing file when replace is set (fails on one when clear), then creates it.
std::unique_ptr<OutputFile> CreateOutputFile(const std::string& name, bool replace);

// count records as GGA and RMC lines into buffer (count * kSbpTextBytesPerRecord bytes); returns the characters.
size_t WriteSbpNmea(const uint8_t* records, size_t count, char* buffer);
// count records as PLT lines, the header first when firstChunk; returns the characters.
size_t WriteSbpPlt(const uint8_t* records, size_t count, char* buffer, bool firstChunk);

// " -x track,split=1h,title=\"VR40LOG#%c\"" when "Split Log" is ticked, else empty.
std::string SplitLogOptionText(bool splitTrack);
// The option text as the argument words a command line would give the converter.
std::vector<std::string> CommandLineWords(const std::string& text);
// The converter's arguments for one output (gpx or kml) of base.
std::vector<std::string> GpsBabelArguments(const std::string& nmeaFile, const std::string& splitOption,
                                           bool kml, const std::string& output);

// "[Total:%u,No Fix:%u,Bad:%u]".
std::string ConvertStatisticText(uint32_t total, uint32_t noFix, uint32_t bad);

// The input name without folder and extension, and its extension with the dot (empty when none).
std::string SbpBaseName(const std::string& input);
std::string SbpExtension(const std::string& input);

// Header skip, Total / No Fix / Bad, then base.NMEA and base.plt from a file image: 0 or kExportWriteFailed.
int WriteSbpExports(Program& p, const std::vector<uint8_t>& image, const std::string& base);
// Reads the file, writes NMEA and PLT, runs the converter: 0, 140, 2, kExportWriteFailed or kExportToolFailed.
int ExportSbpTracks(Program& p, const std::string& input, const std::string& base);
// The whole conversion with its messages and statistics line; returns 0 or the failing step's code.
int ConvertSbpFile(Program& p);
// "Log Convert": checks Edit_Filename, copies it to Edit_StringGrid, converts.
int BitBtn_offline_convertClick(Program& p);

// Writes the grid as CSV and logs "<name> CSV file created."; false (reported) when it could not.
bool SaveGridAsCsv(Program& p, const PointGrid& grid, const std::string& fileName);
bool SaveGridAsCsv(Program& p, const std::string& fileName);
// "Save grid": askFileName shows SaveDialog1 and returns the name, empty when cancelled.
void GridSaveToFileClick(Program& p, const std::function<std::string()>& askFileName);
