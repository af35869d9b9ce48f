// Reading other loggers' logs into SBP records, per point, beside reading an
// .sbp log as the analysis does today (streamed, 32 bytes a point): 90 000
// points (five hours at 5 Hz) of each format from a file on disk. Target: no
// format slower per point than the .sbp stream.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include <QTemporaryDir>

#include "pointlog/PointLog.h"
#include "pointlog/PointLogFiles.h"
#include "sbp/SbpRecordStream.h"

namespace {

constexpr int kPoints = 90000;

enum Format { Sbp, Sbn, Ubx, Oao, Gpy, Gpx10, Gpx11 };

std::vector<uint8_t> FileOf(Format f, const std::vector<KnownPoint>& points)
{
    switch (f) {
    case Sbn: return SbnFile(points);
    case Ubx: return UbxFile(points);
    case Oao: return OaoFile(points);
    case Gpy: return GpyFile(points, 25);
    case Gpx10: return GpxFile(points, GpxSpeed::Gpx10);
    case Gpx11: return GpxFile(points, GpxSpeed::TrackPointExtension);
    case Sbp: break;
    }
    // The .sbp records of the same points, through the reader of another format.
    return ReadPointLogImage(OaoFile(points), "points.oao").sbp;
}

const char* const kNames[] = {"sbp", "sbn", "ubx", "oao", "gpy", "gpx10", "gpx11"};

std::string WrittenFile(Format f)
{
    static QTemporaryDir dir;
    const std::string name = dir.path().toStdString() + "/points." + kNames[f];
    const std::vector<uint8_t> bytes = FileOf(f, KnownPoints(kPoints));
    std::ofstream(name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return name;
}

void Report(benchmark::State& state, size_t points)
{
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(points));
    state.counters["ns_per_point"] = benchmark::Counter(
        double(state.iterations()) * double(points), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

} // namespace

// Today's .sbp path: the file streamed into records, copied out as the track builder takes them.
static void BM_ReadSbpStream(benchmark::State& state)
{
    const std::string file = WrittenFile(Sbp);
    size_t points = 0;
    for (auto _ : state) {
        SbpRecordStream stream(file);
        std::vector<uint8_t> records;
        const uint8_t* block = nullptr;
        while (const size_t n = stream.next(&block))
            records.insert(records.end(), block, block + n * 32);
        points = records.size() / 32;
        benchmark::DoNotOptimize(records.data());
    }
    Report(state, points);
}
BENCHMARK(BM_ReadSbpStream)->Unit(benchmark::kMillisecond);

static void BM_ReadPointLog(benchmark::State& state)
{
    const Format f = Format(state.range(0));
    const std::string file = WrittenFile(f);
    size_t points = 0;
    for (auto _ : state) {
        const PointLog log = ReadPointLog(file);
        if (log.status != 0 || !log.problem.empty()) {
            state.SkipWithError(log.problem.c_str());
            return;
        }
        points = log.points();
        benchmark::DoNotOptimize(log.sbp.data());
    }
    state.SetLabel(kNames[f]);
    Report(state, points);
}
BENCHMARK(BM_ReadPointLog)->DenseRange(Sbp, Gpx11)->Unit(benchmark::kMillisecond);
