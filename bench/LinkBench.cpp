// The termios transport's idle poll on a pty (target: median 1.2 ms or less) and
// one full `vr60ctl info` against vr60sim.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <pty.h>
#include <string>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

#include "platform/PosixSerialTransport.h"

namespace {

double NowMs()
{
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

static void BM_PtyIdlePoll(benchmark::State& state)
{
    int master = -1;
    int slave = -1;
    char path[256] = {};
    if (openpty(&master, &slave, path, nullptr, nullptr) != 0) {
        state.SkipWithError("no pty");
        return;
    }
    termios tio{};
    tcgetattr(slave, &tio);
    cfmakeraw(&tio);
    tcsetattr(slave, TCSANOW, &tio);
    PosixSerialTransport port;
    if (!port.open(path, "460800,N,8,1")) {
        state.SkipWithError("cannot open pty");
        return;
    }
    std::vector<double> samples;
    uint8_t buffer[128];
    for (auto _ : state) {
        const double start = NowMs();
        benchmark::DoNotOptimize(port.read(buffer, sizeof buffer));
        samples.push_back(NowMs() - start);
    }
    std::sort(samples.begin(), samples.end());
    state.counters["median_ms"] = samples[samples.size() / 2];
    state.counters["p99_ms"] = samples[samples.size() * 99 / 100];
    state.counters["target_median_ms"] = 1.2;
    port.close();
    close(slave);
    close(master);
}
BENCHMARK(BM_PtyIdlePoll)->Iterations(2000)->Unit(benchmark::kMillisecond);

static void BM_InfoAgainstSimulator(benchmark::State& state)
{
    char dir[] = "/tmp/vr60-bench-ports.XXXXXX";
    if (!mkdtemp(dir)) {
        state.SkipWithError("no temp dir");
        return;
    }
    setenv("VR60_PORT_DIR", dir, 1);
    const std::string sim = std::string(VR60SIM_PATH) + " --com 5 >/dev/null 2>&1 & echo $!";
    FILE* p = popen(sim.c_str(), "r");
    int pid = 0;
    if (!p || fscanf(p, "%d", &pid) != 1) {
        state.SkipWithError("cannot start vr60sim");
        return;
    }
    pclose(p);
    usleep(300000);
    const std::string ctl = std::string(VR60CTL_PATH) + " --port COM5 info >/dev/null 2>&1";
    for (auto _ : state) {
        if (std::system(ctl.c_str()) != 0)
            state.SkipWithError("info failed");
    }
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    rmdir(dir);
}
BENCHMARK(BM_InfoAgainstSimulator)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
