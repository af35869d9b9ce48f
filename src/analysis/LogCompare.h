#pragma once
// Several logs of one session side by side: each later log's clock offset to
// the first, found by cross-correlating the logged speeds; each log's results
// per category with the difference to the first; and whether a log's positions
// run late against its speeds (the position-derived speed lags the logged one).

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/SessionAnalysis.h"

struct CompareOptions {
    double maxOffsetSeconds = 6 * 3600;   // the largest clock offset looked for
    double maxPositionLag = 0.5;          // seconds: a larger lag of positions behind speeds flags the log
};

// How a log lines up with the first one.
struct LogAlignment {
    bool found = false;          // false: too little overlap or too little movement to tell
    double offsetSeconds = 0;    // added to this log's times, it lines up with the first
    double correlation = 0;      // of the speeds at that offset, -1..1
    double overlapSeconds = 0;   // time the two logs share at that offset
};

// How far a log's position-derived speed runs behind its logged (Doppler) speed.
struct PositionLag {
    bool measured = false;   // false: too few moving points to tell
    double seconds = 0;      // positive: the positions are late
    bool flagged = false;    // measured and later than CompareOptions::maxPositionLag
};

struct LogComparison {
    std::vector<LogAlignment> alignment;   // per log; the first one's is found at 0
    std::vector<PositionLag> positionLag;  // per log
    // Per log, m/s: its result less the first log's, where both have one.
    std::vector<std::array<std::optional<double>, kCategoryCount>> difference;
};

// The offset of `other` against `reference` within `maxOffsetSeconds`: a
// coarse search over 2 s means, then 0.1 s steps about the best, refined
// between the steps.
LogAlignment AlignSpeeds(const SessionTrack& reference, const SessionTrack& other, double maxOffsetSeconds);

// Within +-3 s; flagged against `maxLag`.
PositionLag MeasurePositionLag(const SessionTrack& track, double maxLag);

LogComparison CompareLogs(const std::vector<const SessionAnalysis*>& logs, const CompareOptions& options = {});

// The comparison as text lines: each log's offset and position lag, then a row
// per category the rules report: each log's result and ± in knots, and for the
// later logs the difference to the first.
std::vector<std::string> CompareTableLines(const std::vector<std::string>& names,
                                           const std::vector<const SessionAnalysis*>& logs,
                                           const LogComparison& comparison, const CompareOptions& options);

// A log of any format the readers know (pointlog/PointLog.h), analysed for a comparison.
struct ComparedLog {
    int status = 0;         // kOk, kCannotOpen, kEmptyFile or kNotALog (nothing to compare then)
    std::string problem;    // what stopped the reader or why there is nothing; empty when read whole
    std::string format;     // "SBP", "UBX", ...
    std::string serial, userName;
    SessionAnalysis analysis;
};
ComparedLog ReadComparedLog(const std::string& name, const AnalysisRules& rules);

// "+2.3 s" to the tenth.
std::string OffsetText(double seconds);
