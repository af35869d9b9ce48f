// The track store: a whole 64 KB download from vr60sim pacing its output like
// a 460800-baud line, as a share of the wire rate (target at least 0.95), and
// TrackToNmea over a full store image. Reported, not asserted.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "BenchSimulator.h"
#include "connection/ConnectionSequence.h"
#include "device/TrackConversion.h"
#include "device/TrackStore.h"
#include "platform/PosixSerialTransport.h"
#include "platform/QuietHost.h"
#include "program/Program.h"
#include "sim/SimTrackStore.h"

namespace {

constexpr int kBaud = 460800;

// Notes when the download's success line arrives: the conversion after it is not timed here.
class TrackBenchHost : public QuietHost {
public:
    TrackBenchHost() : QuietHost(true) {}
    void messageBox(const std::string& text) override { std::fprintf(stderr, "box: %s\n", text.c_str()); }
    void logLine(const std::string& text) override
    {
        if (text == "Tracks downloaded successfully (VR40_TRK_64KB.bin).")
            downloadedAt = clockMicros();
    }
    int64_t downloadedAt = 0;
};

} // namespace

static void BM_TrackDownloadAt460800(benchmark::State& state)
{
    BenchSimulator sim;
    if (!sim.start({"--pace", std::to_string(kBaud), "--tracks", "1024,1024,1024,1024"})) {
        state.SkipWithError("cannot start vr60sim");
        return;
    }
    char work[] = "/tmp/vr60-bench-tracks.XXXXXX";
    if (!mkdtemp(work)) {
        state.SkipWithError("no temp dir");
        return;
    }
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(work);
    TrackBenchHost host;
    auto program = std::make_unique<Program>(host, [](const std::string&) -> std::unique_ptr<Transport> {
        return std::make_unique<PosixSerialTransport>();
    });
    Program& p = *program;
    p.externalTool->searchPath = {std::string(work) + "/no converter"};   // NMEA only: the transfer is timed
    p.form.connection.comPortText = "COM  5";
    p.form.connection.comBaudIndex = 7;
    if (BitBtn_connectClick(p) != 0) {
        state.SkipWithError("connect failed");
    } else {
        const double wireSeconds = double(kTrackStoreBytes) * 10 / kBaud;
        double seconds = 0;
        for (auto _ : state) {
            host.downloadedAt = 0;
            const int64_t start = host.clockMicros();
            TRK_DownloadClick(p);
            if (host.downloadedAt == 0) {
                state.SkipWithError("download failed");
                break;
            }
            seconds = double(host.downloadedAt - start) / 1e6;
            state.SetIterationTime(seconds);
        }
        BitBtn_connectClick(p);
        state.counters["measured_s"] = seconds;
        state.counters["wire_s"] = wireSeconds;
        state.counters["wire_share"] = seconds > 0 ? wireSeconds / seconds : 0;
        state.counters["target_share"] = 0.95;
    }
    std::filesystem::current_path(previous);
    std::filesystem::remove_all(work);
}
BENCHMARK(BM_TrackDownloadAt460800)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

static void BM_TrackToNmeaFullImage(benchmark::State& state)
{
    const std::vector<uint8_t> image = GenerateTrackImage({1024, 1024, 1024, 1024});
    std::string text;
    int64_t bytes = 0, points = 0;
    for (auto _ : state) {
        for (uint32_t n = 0; n < 4; ++n) {
            int count = 0;
            bytes += int64_t(TrackToNmea(image.data() + n * kTrackSlotBytes, kTrackConvertedPoints, text, count));
            points += count;
            benchmark::DoNotOptimize(text.data());
        }
    }
    state.SetBytesProcessed(bytes);
    state.SetItemsProcessed(points);
}
BENCHMARK(BM_TrackToNmeaFullImage)->Unit(benchmark::kMicrosecond);
