// Log download efficiency: a 1 MiB log from vr60sim pacing its output like a
// 460800-baud line. Target: the download takes at most 1.05 x the wire time of
// the log bytes (bytes x 10 / 460800 s). Reported, not asserted.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "BenchSimulator.h"
#include "connection/ConnectionSequence.h"
#include "program/Program.h"
#include "logdata/LogDownload.h"
#include "platform/QuietHost.h"
#include "platform/PosixSerialTransport.h"

namespace {

constexpr int kBaud = 460800;
constexpr int kPoints = 32768;   // 1 MiB of 32-byte records

// Boxes are worth seeing in a benchmark run; the rest stays quiet.
class BenchHost : public QuietHost {
public:
    BenchHost() : QuietHost(true) {}
    void messageBox(const std::string& text) override { std::fprintf(stderr, "box: %s\n", text.c_str()); }
};

} // namespace

static void BM_Download1MiBAt460800(benchmark::State& state)
{
    BenchSimulator sim;
    if (!sim.start({"--pace", std::to_string(kBaud), "--points", std::to_string(kPoints)})) {
        state.SkipWithError("cannot start vr60sim");
        return;
    }
    char outDir[] = "/tmp/vr60-bench-log.XXXXXX";
    if (!mkdtemp(outDir)) {
        state.SkipWithError("no temp dir");
        return;
    }
    const std::string file = std::string(outDir) + "/bench.sbp";
    BenchHost host;
    auto program = std::make_unique<Program>(host, [](const std::string&) -> std::unique_ptr<Transport> {
        return std::make_unique<PosixSerialTransport>();
    });
    Program& p = *program;
    p.form.connection.comPortText = "COM  5";
    p.form.connection.comBaudIndex = 7;
    if (BitBtn_connectClick(p) != 0) {
        state.SkipWithError("connect failed");
        return;
    }
    const double wireSeconds = double(kPoints) * 32 * 10 / kBaud;
    double seconds = 0;
    for (auto _ : state) {
        p.form.logData.logFileName = file;
        const auto start = std::chrono::steady_clock::now();
        const int result = Button_downloadlogClick(p);
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        if (result != 0)
            state.SkipWithError("download failed");
    }
    BitBtn_connectClick(p);
    std::remove(file.c_str());
    rmdir(outDir);
    state.counters["measured_s"] = seconds;
    state.counters["wire_s"] = wireSeconds;
    state.counters["ratio"] = seconds / wireSeconds;
    state.counters["target_ratio"] = 1.05;
}
BENCHMARK(BM_Download1MiBAt460800)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
