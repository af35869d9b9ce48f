// compare of four 5 Hz two-hour logs of one session (target: under a second,
// analysing the four logs included), and the comparison alone on logs already
// analysed. The logs share the session's speeds; each has its own clock offset,
// speed bias and noise, and the last one late positions.

#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "analysis/Geodesy.h"
#include "analysis/LogCompare.h"
#include "analysis/SessionAnalysis.h"

namespace {

constexpr size_t kPoints = 2 * 3600 * 5;

void Put(std::vector<uint8_t>& out, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}

std::vector<uint8_t> Log(int unit)
{
    const int64_t clockShiftMs = unit * 3700 - 2000;
    const size_t latePoints = unit == 3 ? 5 : 0;
    const double bias = 0.05 * unit;
    uint32_t seed = 11 + unit;
    const auto noise = [&]() { return ((seed = seed * 1664525u + 1013904223u) >> 8 & 0xFFFF) / 65535.0 - 0.5; };
    const double perDegree = kEarthRadiusMetres * std::numbers::pi / 180, lat0 = 53.5, lon0 = 8.1;
    std::vector<double> north(kPoints), east(kPoints), speed(kPoints), heading(kPoints);
    double n = 0, e = 0, h = 60;
    for (size_t i = 0; i < kPoints; ++i) {
        const double t = double(i) / 5;
        const double v = 12 + 5 * std::sin(t / 40) + 2 * std::sin(t / 6.3);
        if (int64_t(t) % 120 < 5)
            h += 180.0 / 25;   // a jibe every two minutes
        speed[i] = v, heading[i] = h, north[i] = n, east[i] = e;
        n += v * 0.2 * std::cos(h * std::numbers::pi / 180);
        e += v * 0.2 * std::sin(h * std::numbers::pi / 180);
    }
    std::vector<uint8_t> out;
    out.reserve(kPoints * 32);
    for (size_t i = 0; i < kPoints; ++i) {
        const int64_t ms = 8LL * 3600000 + int64_t(i) * 200 + clockShiftMs;
        const int64_t s = ms / 1000;
        const size_t at = i >= latePoints ? i - latePoints : 0;
        out.push_back(6);
        out.push_back(9);
        Put(out, uint32_t(ms % 1000), 2);
        Put(out, uint32_t((14 * 12 + 12) << 22 | 7 << 17 | (s / 3600 % 24) << 12 | (s / 60 % 60) << 6 | s % 60), 4);
        Put(out, 0x3FF, 4);
        Put(out, uint32_t(std::lround((lat0 + (north[at] + 0.3 * noise()) / perDegree) * 1e7)), 4);
        Put(out, uint32_t(std::lround((lon0 + (east[at] + 0.3 * noise()) / (perDegree * std::cos(lat0 * std::numbers::pi / 180))) * 1e7)), 4);
        Put(out, 200, 4);
        Put(out, uint32_t(std::lround((speed[i] + bias + 0.1 * noise()) * 100)), 2);
        Put(out, uint32_t(std::fmod(heading[i] + 3600, 360) * 100), 2);
        Put(out, 0, 2);
        out.push_back(12);
        out.push_back(0);
    }
    return out;
}

const std::vector<std::vector<uint8_t>>& Logs()
{
    static const std::vector<std::vector<uint8_t>> logs = {Log(0), Log(1), Log(2), Log(3)};
    return logs;
}

void CheckAligned(benchmark::State& state, const LogComparison& c)
{
    for (size_t k = 1; k < c.alignment.size(); ++k)
        if (!c.alignment[k].found || std::abs(c.alignment[k].offsetSeconds + (int(k) * 3.7)) > 0.1)
            state.SkipWithError("a log was not lined up");
    if (!c.positionLag[3].flagged || c.positionLag[0].flagged)
        state.SkipWithError("the late log was not told apart");
}

void BM_CompareFourTwoHourLogs(benchmark::State& state)
{
    const std::vector<std::vector<uint8_t>>& images = Logs();
    for (auto _ : state) {
        std::vector<SessionAnalysis> analyses;
        for (const std::vector<uint8_t>& image : images)
            analyses.push_back(AnalyzeSbpImage(image, RulesOf(RuleSet::Gp3s)));
        const LogComparison c = CompareLogs({&analyses[0], &analyses[1], &analyses[2], &analyses[3]});
        benchmark::DoNotOptimize(c);
        state.PauseTiming();
        CheckAligned(state, c);
        state.ResumeTiming();
    }
    state.counters["points"] = double(4 * kPoints);
}
BENCHMARK(BM_CompareFourTwoHourLogs)->Unit(benchmark::kMillisecond);

void BM_CompareOnly(benchmark::State& state)
{
    std::vector<SessionAnalysis> analyses;
    for (const std::vector<uint8_t>& image : Logs())
        analyses.push_back(AnalyzeSbpImage(image, RulesOf(RuleSet::Gp3s)));
    for (auto _ : state) {
        const LogComparison c = CompareLogs({&analyses[0], &analyses[1], &analyses[2], &analyses[3]});
        benchmark::DoNotOptimize(c);
    }
}
BENCHMARK(BM_CompareOnly)->Unit(benchmark::kMillisecond);

} // namespace
