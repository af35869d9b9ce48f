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

struct SbpFileAnalysis {
    int status = 0;          // 0, or ReadWholeFile's kEmptyFile / kCannotOpen
    bool cut = false;        // the file is longer than a log can be; only its start was read
    SessionAnalysis analysis;
};
SbpFileAnalysis AnalyzeSbpFile(const std::string& name, const PointFilter& filter);
