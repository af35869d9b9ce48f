// The test station's throughput: eight simulated units on eight ptys, each with the
// self test's real waits, against one unit alone (target: at most 1.25 times its
// time), and the time from a unit's port appearing to its first request (target 2 s).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

double NowMs()
{
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

std::string ScratchFolder()
{
    char dir[] = "/tmp/vr60-station-bench.XXXXXX";
    return mkdtemp(dir) ? dir : "";
}

pid_t Spawn(std::vector<std::string> words, int outFd, const std::string& workDir = {})
{
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        if (outFd >= 0)
            dup2(outFd, STDOUT_FILENO);
        if (!workDir.empty() && chdir(workDir.c_str()) != 0)
            _exit(127);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

// vr60sim with its first line, the pty path, read.
struct Sim {
    pid_t pid = -1;
    std::string pty;

    explicit Sim(std::vector<std::string> options)
    {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        options.insert(options.begin(), VR60SIM_PATH);
        pid = Spawn(options, fds[1]);
        close(fds[1]);
        pollfd p{fds[0], POLLIN, 0};
        char line[256] = {};
        size_t n = 0;
        while (n + 1 < sizeof line && poll(&p, 1, 5000) == 1 && read(fds[0], line + n, 1) == 1 && line[n] != '\n')
            ++n;
        line[n] = '\0';
        pty = line;
        close(fds[0]);
    }
    ~Sim()
    {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
    }
};

const std::vector<std::string> kTest = {"--items", "rtc,battery,gps-rmc,buzzer,lcd+bk-lite,touch-keys", "--no-snr"};

// Seconds for `station --count` over that many units, each with the default result delay.
double StationSeconds(int units, const std::string& work)
{
    std::vector<std::unique_ptr<Sim>> sims;
    std::string ports;
    for (int i = 0; i < units; ++i) {
        sims.push_back(std::make_unique<Sim>(std::vector<std::string>{"--no-alias", "--serial", std::to_string(100 + i)}));
        ports += (ports.empty() ? "" : ",") + sims.back()->pty;
    }
    std::vector<std::string> words = {VR60CTL_PATH, "--db", "sqlite:" + work + "/bench.sqlite", "station", "--ports",
                                      ports, "--count", std::to_string(units)};
    words.insert(words.end(), kTest.begin(), kTest.end());
    const int devNull = open("/dev/null", O_WRONLY);
    const double start = NowMs();
    const pid_t station = Spawn(words, devNull, work);
    close(devNull);
    int status = 0;
    waitpid(station, &status, 0);
    return (NowMs() - start) / 1000;
}

} // namespace

static void BM_StationEightUnits(benchmark::State& state)
{
    const std::string work = ScratchFolder();
    std::ofstream(work + "/VR60Test.ini") << "[VR60TEST]\r\nauto_log_clear=0\r\nauto_poweroff=0\r\n";
    double one = 0, eight = 0;
    for (auto _ : state) {
        one = StationSeconds(1, work);
        eight = StationSeconds(8, work);
    }
    state.counters["one_unit_s"] = one;
    state.counters["eight_units_s"] = eight;
    state.counters["ratio"] = eight / one;
    state.counters["target_ratio"] = 1.25;
}
BENCHMARK(BM_StationEightUnits)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// A station watching every port; a unit published as COM9 in the alias folder: the time
// until the unit has the first request of its test.
static void BM_StationPlugToStart(benchmark::State& state)
{
    const std::string work = ScratchFolder();
    const std::string aliases = work + "/ports";
    mkdir(aliases.c_str(), 0700);
    setenv("VR60_PORT_DIR", aliases.c_str(), 1);
    std::ofstream(work + "/VR60Test.ini") << "[VR60TEST]\r\nauto_log_clear=0\r\nauto_poweroff=0\r\n";
    // A short test: each unit is done and unplugged before the next one comes.
    const std::vector<std::string> words = {VR60CTL_PATH, "--db", "sqlite:" + work + "/bench.sqlite", "station",
                                            "--all", "--items", "rtc", "--no-snr"};
    const int devNull = open("/dev/null", O_WRONLY);
    const pid_t station = Spawn(words, devNull, work);
    close(devNull);
    usleep(500000);
    double worst = 0;
    for (auto _ : state) {
        const std::string log = work + "/requests.log";
        std::remove(log.c_str());
        double took = -1;
        {
            const double start = NowMs();
            Sim sim({"--com", "9", "--request-log", log, "--selftest-delay", "100"});
            while (NowMs() - start < 10000) {
                std::ifstream in(log);
                std::string first;
                if (std::getline(in, first) && !first.empty()) {
                    took = NowMs() - start;
                    break;
                }
                usleep(5000);
            }
            // The unit's test ends with the request that leaves link mode.
            for (bool left = false; !left && NowMs() - start < 20000; usleep(20000)) {
                std::ifstream in(log);
                for (std::string line; !left && std::getline(in, line);)
                    left = line == "0x0E";
            }
        }
        worst = std::max(worst, took < 0 ? 10000.0 : took);
        state.SetIterationTime(std::max(took, 0.0) / 1000);
        usleep(1000000);   // unplugged long enough for the station to see it go
    }
    kill(station, SIGTERM);
    waitpid(station, nullptr, 0);
    unsetenv("VR60_PORT_DIR");
    state.counters["worst_ms"] = worst;
    state.counters["target_ms"] = 2000;
}
BENCHMARK(BM_StationPlugToStart)->Iterations(3)->Unit(benchmark::kMillisecond)->UseManualTime();
