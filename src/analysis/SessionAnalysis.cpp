#include "analysis/SessionAnalysis.h"

#include <algorithm>

#include "analysis/AlphaRun.h"
#include "analysis/WindowRuns.h"
#include "platform/ResultCode.h"
#include "sbp/SbpRecord.h"
#include "sbp/SbpRecordStream.h"

namespace {

constexpr double kNauticalMile = 1852;

CategoryResult Single(const BestRun& run)
{
    return {run.speed, run.startMs, run.endMs, {run}};
}

std::optional<CategoryResult> Single(const std::optional<BestRun>& run)
{
    return run ? std::optional<CategoryResult>(Single(*run)) : std::nullopt;
}

std::optional<CategoryResult> Combined(const std::vector<BestRun>& runs)
{
    if (runs.empty())
        return std::nullopt;
    CategoryResult r;
    for (const BestRun& run : runs)
        r.speed += run.speed;
    r.speed /= double(runs.size());
    r.startMs = runs.front().startMs;
    r.endMs = runs.back().endMs;
    r.runs = runs;
    return r;
}

} // namespace

const std::array<CategoryInfo, kCategoryCount>& Categories()
{
    static const std::array<CategoryInfo, kCategoryCount> kCategories = {{
        {Category::TwoSeconds, "2s", "2 s"},
        {Category::TenSeconds, "10s", "10 s"},
        {Category::FiveByTen, "5x10s", "5 x 10 s"},
        {Category::Metres100, "100m", "100 m"},
        {Category::Metres250, "250m", "250 m"},
        {Category::Metres500, "500m", "500 m"},
        {Category::NauticalMile, "nm", "nautical mile"},
        {Category::OneHour, "1h", "1 h"},
        {Category::Alpha500, "alpha500", "alpha 500"},
    }};
    return kCategories;
}

SessionResults AnalyzeTrack(const SessionTrack& track)
{
    SessionResults r;
    r.pointsUsed = track.points.size();
    r.pointsFiltered = track.filtered;
    r.filteredBy = track.filteredBy;
    r.records = track.records;
    auto set = [&](Category c, std::optional<CategoryResult> result) { r.best[size_t(c)] = std::move(result); };
    // Runs of a minute or less never span a gap; the hour, the mile and the totals span drop-outs.
    const auto durations = BestOverDurations(track, {2, 10});
    const auto distances = BestOverDistances(track, {100, 250, 500});
    const auto hour = BestOverDurations(track, {3600}, RunScope::Stretch);
    const auto mile = BestOverDistances(track, {kNauticalMile}, RunScope::Stretch);
    set(Category::TwoSeconds, Single(durations[0]));
    set(Category::TenSeconds, Single(durations[1]));
    set(Category::FiveByTen, Combined(BestDisjointDurations(track, 10, 5)));
    set(Category::Metres100, Single(distances[0]));
    set(Category::Metres250, Single(distances[1]));
    set(Category::Metres500, Single(distances[2]));
    set(Category::NauticalMile, Single(mile[0]));
    set(Category::OneHour, Single(hour[0]));
    set(Category::Alpha500, Single(BestAlpha(track, 300, 500, 50)));

    for (size_t s = 0; s < track.stretchStarts.size(); ++s) {
        const size_t begin = track.stretchStarts[s], end = track.runEnd(RunScope::Stretch, s);
        r.distanceMetres += track.pathMetres[end - 1] - track.pathMetres[begin];
        for (size_t i = begin + 1; i < end; ++i)
            if (track.points[i - 1].speed >= kMovingSpeed)
                r.movingSeconds += track.seconds(i - 1, i);
    }
    return r;
}

SessionAnalysis AnalyzeSbpImage(const std::vector<uint8_t>& image, const PointFilter& filter)
{
    const size_t skip = HasSbpHeader(image.data(), image.size()) ? std::min(image.size(), kSbpHeaderBytes) : 0;
    SessionAnalysis a;
    a.track = BuildSessionTrack(image.data() + skip, (image.size() - skip) / 32, filter);
    a.results = AnalyzeTrack(a.track);
    a.results.trailingBytes = (image.size() - skip) % 32;
    return a;
}

SbpFileAnalysis AnalyzeSbpFile(const std::string& name, const PointFilter& filter, size_t maxRecords)
{
    SbpFileAnalysis f;
    SbpRecordStream stream(name);
    f.status = stream.status();
    if (f.status != kOk)
        return f;
    SessionTrackBuilder builder(filter, size_t(std::min<uint64_t>(stream.sizeHint(), maxRecords)));
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
    f.analysis.results = AnalyzeTrack(f.analysis.track);
    f.analysis.results.truncated = truncated || f.readError != 0;
    if (!f.analysis.results.truncated)
        f.analysis.results.trailingBytes = stream.trailingBytes();
    if (!f.tally.looksLikeLog()) {
        f.status = kNotALog;
        f.notALog = true;
    }
    return f;
}
