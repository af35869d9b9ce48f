#pragma once
// Speed results of a logged session in the categories speed sailors rank by,
// with total distance and time moving.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/BestRun.h"
#include "analysis/SessionTrack.h"
#include "sbp/SbpLogCheck.h"

enum class Category { TwoSeconds, TenSeconds, FiveByTen, Metres100, Metres250, Metres500, NauticalMile, OneHour, Alpha500 };
inline constexpr size_t kCategoryCount = 9;

struct CategoryInfo {
    Category category;
    const char* key;     // JSON key
    const char* label;   // table caption
};
const std::array<CategoryInfo, kCategoryCount>& Categories();

struct CategoryResult {
    double speed = 0;             // m/s; for 5 x 10 s the mean of its runs
    int64_t startMs = 0;          // first run's start, last run's end
    int64_t endMs = 0;
    std::vector<BestRun> runs;    // one run, or the five of 5 x 10 s in time order
};

struct SessionResults {
    std::array<std::optional<CategoryResult>, kCategoryCount> best;
    double distanceMetres = 0;
    double movingSeconds = 0;
    size_t pointsUsed = 0;
    size_t pointsFiltered = 0;
    std::array<size_t, kFilterReasonCount> filteredBy{};   // pointsFiltered by reason
    size_t records = 0;       // records analysed: pointsUsed + pointsFiltered
    bool truncated = false;   // the file holds more records than were analysed
    size_t trailingBytes = 0; // bytes after the last whole record (a file cut mid-record), not analysed

    const std::optional<CategoryResult>& operator[](Category c) const { return best[size_t(c)]; }
};

struct SessionAnalysis {
    SessionTrack track;
    SessionResults results;
};

inline constexpr double kMovingSpeed = 1852.0 / 3600;   // m/s: one knot; slower steps do not count as moving

inline double Knots(double metresPerSecond) { return metresPerSecond * 3600 / 1852; }
inline double Kmh(double metresPerSecond) { return metresPerSecond * 3.6; }

SessionResults AnalyzeTrack(const SessionTrack& track);
// A file image: the 64-byte header block is skipped when present, a partial record at the end ignored.
SessionAnalysis AnalyzeSbpImage(const std::vector<uint8_t>& image, const PointFilter& filter);

// The most records a file analysis reads (512 MiB of log, 23 hours at 5 Hz):
// enough for any log and a few days of them, and a bound on the memory taken.
inline constexpr size_t kMaxAnalysedRecords = size_t(1) << 24;

struct SbpFileAnalysis {
    int status = 0;          // kOk, kEmptyFile, kCannotOpen, or kNotALog (then notALog is set)
    bool notALog = false;    // the file has bytes, but its records are not a log's (SbpLogCheck.h)
    int readError = 0;       // errno of a read that failed part-way (the results are then truncated)
    SbpLogTally tally;       // of the records analysed
    SessionAnalysis analysis;
};
// The file is read as a stream, whole unless it holds more than `maxRecords`
// records or a read fails part-way: then results.truncated is set. The
// analysis is there also for a file that is not a log, for whoever wants it.
SbpFileAnalysis AnalyzeSbpFile(const std::string& name, const PointFilter& filter,
                               size_t maxRecords = kMaxAnalysedRecords);
