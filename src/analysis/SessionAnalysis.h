#pragma once
// Speed results of a logged session in the categories speed sailors rank by,
// with total distance and time moving.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/AnalysisRules.h"
#include "analysis/BestRun.h"
#include "analysis/SessionTrack.h"
#include "pointlog/PointLog.h"
#include "sbp/SbpLogCheck.h"

// FiveByTen follows the rule set (five runs, or five disjoint windows under
// vr60); FiveByTenDisjoint is the disjoint-window figure beside it.
enum class Category {
    TwoSeconds, TenSeconds, FiveByTen, FiveByTenDisjoint, Metres100, Metres250, Metres500, NauticalMile, OneHour,
    Alpha500
};
inline constexpr size_t kCategoryCount = 10;

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
    // m/s, from the logged speed errors (points that give none do not count;
    // none at all: empty): sqrt(sum of e^2) / n over the result's points, and their mean.
    std::optional<double> speedError;
    std::optional<double> meanSpeedError;
};

// A run (leg) of the session and its best 10 s.
struct RunSummary {
    int64_t startMs = 0, endMs = 0;
    std::optional<BestRun> best10s;
};

// The turn between run toRun - 1 and run toRun.
struct TurnSummary {
    uint32_t toRun = 0;
    int64_t startMs = 0, endMs = 0;       // its entry and exit points
    double entry = 0, minimum = 0, exit = 0;   // m/s
};

struct SessionResults {
    AnalysisRules rules;   // what the results were computed under
    std::array<std::optional<CategoryResult>, kCategoryCount> best;   // empty also where the rules have no such category
    double distanceMetres = 0;
    double movingSeconds = 0;
    size_t pointsUsed = 0;
    size_t pointsFiltered = 0;
    std::array<size_t, kFilterReasonCount> filteredBy{};   // pointsFiltered by reason
    size_t records = 0;       // records analysed: pointsUsed + pointsFiltered
    bool truncated = false;   // the file holds more records than were analysed
    std::vector<RunSummary> runs;     // run n is runs[n - 1]
    std::vector<TurnSummary> turns;
    size_t trailingBytes = 0; // bytes after the last whole record (a file cut mid-record), not analysed

    bool reports(Category c) const { return rules.categories >> unsigned(c) & 1; }

    const std::optional<CategoryResult>& operator[](Category c) const { return best[size_t(c)]; }
};

struct SessionAnalysis {
    SessionTrack track;
    SessionResults results;
};

inline constexpr double kMovingSpeed = 1852.0 / 3600;   // m/s: one knot; slower steps do not count as moving

inline double Knots(double metresPerSecond) { return metresPerSecond * 3600 / 1852; }
inline double Kmh(double metresPerSecond) { return metresPerSecond * 3.6; }

SessionResults AnalyzeTrack(const SessionTrack& track, const AnalysisRules& rules);
// A file image: the 64-byte header block is skipped when present, a partial record at the end ignored.
SessionAnalysis AnalyzeSbpImage(const std::vector<uint8_t>& image, const AnalysisRules& rules);
// Under the vr60 rules with this filter.
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
    LogFormat format = LogFormat::Sbp;
    // Another logger's file: what stopped its reader, or why it holds no point
    // (then status is kNotALog and notALog is not set). Empty for an .sbp file.
    std::string problem;
    std::string serial, userName;   // when the file tells them
};
// An .sbp file is read as a stream, whole unless it holds more than `maxRecords`
// records or a read fails part-way: then results.truncated is set. The
// analysis is there also for a file that is not a log, for whoever wants it.
// Another logger's file (recognised by its content, pointlog/PointLog.h) is
// read whole into records first.
SbpFileAnalysis AnalyzeSbpFile(const std::string& name, const AnalysisRules& rules,
                               size_t maxRecords = kMaxAnalysedRecords);
SbpFileAnalysis AnalyzeSbpFile(const std::string& name, const PointFilter& filter,
                               size_t maxRecords = kMaxAnalysedRecords);
