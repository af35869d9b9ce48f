#include "analysis/SessionAnalysis.h"

#include <algorithm>
#include <cmath>

#include "analysis/AlphaRun.h"
#include "analysis/SessionRuns.h"
#include "analysis/WindowRuns.h"
#include "platform/ResultCode.h"
#include "sbp/SbpRecord.h"
#include "sbp/SbpRecordStream.h"

namespace {

constexpr double kNauticalMile = 1852;

struct ErrorSums {
    double squares = 0, sum = 0;
    size_t given = 0;
};

ErrorSums ErrorsOver(const SessionTrack& track, const BestRun& run)
{
    ErrorSums e;
    for (size_t i = run.first; i <= run.last; ++i)
        if (const double v = track.points[i].speedError; v > 0) {
            e.squares += v * v;
            e.sum += v;
            ++e.given;
        }
    return e;
}

class ResultMaker {
public:
    ResultMaker(const SessionTrack& track, const std::vector<uint32_t>& runOf) : track_(track), runOf_(runOf) {}

    std::optional<CategoryResult> single(std::optional<BestRun> run) const
    {
        if (!run)
            return std::nullopt;
        run->run = runOf_[run->first];
        CategoryResult r{run->speed, run->startMs, run->endMs, {*run}, std::nullopt, std::nullopt};
        if (const ErrorSums e = ErrorsOver(track_, *run); e.given > 0) {
            r.speedError = std::sqrt(e.squares) / double(e.given);
            r.meanSpeedError = e.sum / double(e.given);
        }
        return r;
    }

    // The mean of several runs; its error propagated from theirs.
    std::optional<CategoryResult> combined(std::vector<BestRun> runs) const
    {
        if (runs.empty())
            return std::nullopt;
        CategoryResult r;
        double squares = 0, means = 0;
        bool allGiven = true;
        for (BestRun& run : runs) {
            const CategoryResult one = *single(run);
            run.run = one.runs[0].run;
            r.speed += run.speed;
            allGiven = allGiven && one.speedError;
            if (one.speedError) {
                squares += *one.speedError * *one.speedError;
                means += *one.meanSpeedError;
            }
        }
        const double n = double(runs.size());
        r.speed /= n;
        if (allGiven) {
            r.speedError = std::sqrt(squares) / n;
            r.meanSpeedError = means / n;
        }
        r.startMs = runs.front().startMs;
        r.endMs = runs.back().endMs;
        r.runs = std::move(runs);
        return r;
    }

private:
    const SessionTrack& track_;
    const std::vector<uint32_t>& runOf_;
};

// The best 10 s of each of the `count` runs whose best is fastest, in time order; empty with fewer runs.
std::vector<BestRun> BestOfDifferentRuns(const std::vector<RunSummary>& runs, size_t count)
{
    std::vector<BestRun> bests;
    for (const RunSummary& r : runs)
        if (r.best10s)
            bests.push_back(*r.best10s);
    if (bests.size() < count)
        return {};
    std::partial_sort(bests.begin(), bests.begin() + long(count), bests.end(),
                      [](const BestRun& a, const BestRun& b) { return a.speed > b.speed; });
    bests.resize(count);
    std::sort(bests.begin(), bests.end(), [](const BestRun& a, const BestRun& b) { return a.startMs < b.startMs; });
    return bests;
}

// The start-speed integral counting only the steps from points at `floor` or faster.
std::vector<double> FlooredIntegral(const SessionTrack& t, double floor)
{
    std::vector<double> f(t.speedIntegral.size(), 0.0);
    for (size_t i = 1; i < f.size(); ++i)
        f[i] = f[i - 1] + (t.points[i - 1].speed >= floor ? t.speedIntegral[i] - t.speedIntegral[i - 1] : 0);
    return f;
}

} // namespace

const std::array<CategoryInfo, kCategoryCount>& Categories()
{
    static const std::array<CategoryInfo, kCategoryCount> kCategories = {{
        {Category::TwoSeconds, "2s", "2 s"},
        {Category::TenSeconds, "10s", "10 s"},
        {Category::FiveByTen, "5x10s", "5 x 10 s"},
        {Category::FiveByTenDisjoint, "5x10s_disjoint", "5 x 10 s any"},
        {Category::Metres100, "100m", "100 m"},
        {Category::Metres250, "250m", "250 m"},
        {Category::Metres500, "500m", "500 m"},
        {Category::NauticalMile, "nm", "nautical mile"},
        {Category::OneHour, "1h", "1 h"},
        {Category::Alpha500, "alpha500", "alpha 500"},
    }};
    return kCategories;
}

SessionResults AnalyzeTrack(const SessionTrack& track, const AnalysisRules& rules)
{
    SessionResults r;
    r.rules = rules;
    r.pointsUsed = track.points.size();
    r.pointsFiltered = track.filtered;
    r.filteredBy = track.filteredBy;
    r.records = track.records;

    const SessionRuns runs = FindRuns(track);
    const std::vector<std::optional<BestRun>> runBests = BestDurationPerRun(track, runs.runOf, runs.runs.size(), 10);
    for (size_t k = 0; k < runs.runs.size(); ++k) {
        RunSummary summary{track.points[runs.runs[k].first].timeMs, track.points[runs.runs[k].last].timeMs, runBests[k]};
        if (summary.best10s)
            summary.best10s->run = uint32_t(k + 1);
        r.runs.push_back(summary);
    }
    for (const Turn& t : runs.turns)
        r.turns.push_back({t.toRun, track.points[t.entry].timeMs, track.points[t.exit].timeMs,
                           track.points[t.entry].speed, t.minimum, track.points[t.exit].speed});

    const ResultMaker make(track, runs.runOf);
    auto set = [&](Category c, std::optional<CategoryResult> result) {
        if (r.reports(c))
            r.best[size_t(c)] = std::move(result);
    };
    // Runs of a minute or less never span a gap; the hour, the mile and the totals span drop-outs.
    const DistanceMeasure measure = rules.distanceMeasure;
    const auto durations = BestOverDurations(track, {2, 10});
    const auto distances = BestOverDistances(track, {100, 250, 500}, RunScope::Segment, measure);
    const std::vector<double> floored = rules.hourFloor ? FlooredIntegral(track, kFloorSpeed) : std::vector<double>();
    const auto hour = BestOverDurations(track, {3600}, RunScope::Stretch, rules.hourFloor ? &floored : nullptr);
    const auto mile = BestOverDistances(track, {kNauticalMile}, RunScope::Stretch, measure);
    const std::vector<BestRun> disjoint = BestDisjointDurations(track, 10, 5);
    set(Category::TwoSeconds, make.single(durations[0]));
    set(Category::TenSeconds, make.single(durations[1]));
    set(Category::FiveByTen, make.combined(rules.fiveByTenByRuns ? BestOfDifferentRuns(r.runs, 5) : disjoint));
    set(Category::FiveByTenDisjoint, make.combined(disjoint));
    set(Category::Metres100, make.single(distances[0]));
    set(Category::Metres250, make.single(distances[1]));
    set(Category::Metres500, make.single(distances[2]));
    set(Category::NauticalMile, make.single(mile[0]));
    set(Category::OneHour, make.single(hour[0]));
    set(Category::Alpha500, make.single(BestAlpha(track, rules.alphaMinMetres, 500, 50, measure)));

    const bool logged = measure == DistanceMeasure::LoggedSpeed;
    for (size_t s = 0; s < track.stretchStarts.size(); ++s) {
        const size_t begin = track.stretchStarts[s], end = track.runEnd(RunScope::Stretch, s);
        if (!logged)
            r.distanceMetres += track.pathMetres[end - 1] - track.pathMetres[begin];
        for (size_t i = begin + 1; i < end; ++i) {
            if (track.points[i - 1].speed >= kMovingSpeed)
                r.movingSeconds += track.seconds(i - 1, i);
            if (logged && track.points[i].speed >= rules.distanceFloor)
                r.distanceMetres += track.endSpeedIntegral[i] - track.endSpeedIntegral[i - 1];
        }
    }
    return r;
}

SessionAnalysis AnalyzeSbpImage(const std::vector<uint8_t>& image, const PointFilter& filter)
{
    return AnalyzeSbpImage(image, Vr60Rules(filter));
}

SessionAnalysis AnalyzeSbpImage(const std::vector<uint8_t>& image, const AnalysisRules& rules)
{
    const size_t skip = HasSbpHeader(image.data(), image.size()) ? std::min(image.size(), kSbpHeaderBytes) : 0;
    SessionAnalysis a;
    a.track = BuildSessionTrack(image.data() + skip, (image.size() - skip) / 32, rules.filter);
    a.results = AnalyzeTrack(a.track, rules);
    a.results.trailingBytes = (image.size() - skip) % 32;
    return a;
}

SbpFileAnalysis AnalyzeSbpFile(const std::string& name, const PointFilter& filter, size_t maxRecords)
{
    return AnalyzeSbpFile(name, Vr60Rules(filter), maxRecords);
}

namespace {

SbpFileAnalysis AnalyzeOtherLog(const std::string& name, const AnalysisRules& rules, size_t maxRecords)
{
    SbpFileAnalysis f;
    PointLog log = ReadPointLog(name);
    f.status = log.status;
    f.format = log.format;
    f.problem = log.problem;
    f.serial = log.serial;
    f.userName = log.userName;
    if (f.status != kOk)
        return f;
    const size_t records = std::min(log.sbp.size() / 32, maxRecords);
    SessionTrackBuilder builder(rules.filter, records);
    builder.add(log.sbp.data(), records);
    f.tally.add(log.sbp.data(), records);
    f.analysis.track = builder.finish();
    f.analysis.results = AnalyzeTrack(f.analysis.track, rules);
    f.analysis.results.truncated = records < log.sbp.size() / 32;
    return f;
}

} // namespace

SbpFileAnalysis AnalyzeSbpFile(const std::string& name, const AnalysisRules& rules, size_t maxRecords)
{
    const LogFormat format = RecogniseLogFile(name);
    if (format != LogFormat::Sbp && format != LogFormat::Unknown)
        return AnalyzeOtherLog(name, rules, maxRecords);
    // .sbp logs, and files no reader knows (told apart by the .sbp check), stream.
    SbpFileAnalysis f;
    SbpRecordStream stream(name);
    f.status = stream.status();
    if (f.status != kOk)
        return f;
    SessionTrackBuilder builder(rules.filter, size_t(std::min<uint64_t>(stream.sizeHint(), maxRecords)));
    size_t read = 0;
    bool truncated = false;
    const uint8_t* records = nullptr;
    while (const size_t n = stream.next(&records)) {
        const size_t take = std::min(n, maxRecords - read);
        builder.add(records, take);
        f.tally.add(records, take);
        read += take;
        if (take < n) {
            truncated = true;
            break;
        }
    }
    f.readError = stream.readError();
    f.analysis.track = builder.finish();
    f.analysis.results = AnalyzeTrack(f.analysis.track, rules);
    f.analysis.results.truncated = truncated || f.readError != 0;
    if (!f.analysis.results.truncated)
        f.analysis.results.trailingBytes = stream.trailingBytes();
    if (!f.tally.looksLikeLog()) {
        f.status = kNotALog;
        f.notALog = true;
    }
    return f;
}
