// Session analysis on the largest log the device holds (262 144 points, 5 Hz):
// the whole analysis (target 50 ms or less), the same on a log that stands
// still with position jitter (the alpha search's worst case), and vr60view
// from the file to a drawn window (target 1 s or less). Then files of 262 144
// and 2 097 152 points (64 MiB, several sessions' worth) streamed from disk:
// the time (target for 2 million: well under a second) and the memory the
// analysis takes at its peak, in all and per point (target: a few hundred bytes).

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QImage>
#include <QTemporaryDir>

#include "analysis/Geodesy.h"
#include "analysis/SessionAnalysis.h"
#include "analysisview/SessionWindow.h"

namespace {

constexpr size_t kPoints = 262144;

void Put(std::vector<uint8_t>& out, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}

// Reaches of one to two minutes with a jibe between, speeds between 6 and 20
// m/s with noise, a spike now and then; or, with `standing`, no movement but
// half a metre of position jitter per point.
std::vector<uint8_t> SessionLog(bool standing, size_t points = kPoints)
{
    std::vector<uint8_t> out;
    out.reserve(points * 32);
    uint32_t seed = 7;
    const auto noise = [&]() { return ((seed = seed * 1664525u + 1013904223u) >> 8 & 0xFFFF) / 65535.0 - 0.5; };
    const double perDegree = kEarthRadiusMetres * std::numbers::pi / 180, lat0 = 53.5, lon0 = 8.1;
    double north = 0, east = 0, heading = 60, speed = 10;
    int reach = 0, reachLength = 400;
    for (size_t i = 0; i < points; ++i) {
        const int64_t ms = 8LL * 3600000 + int64_t(i) * 200;
        const int64_t s = ms / 1000;
        const int day = 7 + int(s / 86400);
        if (standing) {
            speed = 0.2 + 0.2 * noise();
            north = 0.5 * noise();
            east = 0.5 * noise();
        } else {
            if (++reach > reachLength) {   // jibe: half a turn over 5 s
                heading += 180.0 / 25;
                speed = std::max(6.0, speed - 0.3);
                if (reach > reachLength + 25)
                    reach = 0, reachLength = 300 + int(300 * (noise() + 0.5));
            } else {
                speed = std::clamp(speed + 0.3 * noise() + (15 - speed) * 0.01, 6.0, 20.0);
            }
            const double h = heading * std::numbers::pi / 180;
            north += speed * 0.2 * std::cos(h);
            east += speed * 0.2 * std::sin(h);
        }
        const bool spike = i % 5000 == 2500;
        out.push_back(spike ? 20 : 6);   // HDOP 4.0 or 1.2
        out.push_back(9);
        Put(out, uint32_t(ms % 1000), 2);
        Put(out, uint32_t((14 * 12 + 12) << 22 | day << 17 | (s / 3600 % 24) << 12 | (s / 60 % 60) << 6 | s % 60), 4);
        Put(out, 0x3FF, 4);
        Put(out, uint32_t(std::lround((lat0 + north / perDegree) * 1e7)), 4);
        Put(out, uint32_t(std::lround((lon0 + east / (perDegree * std::cos(lat0 * std::numbers::pi / 180))) * 1e7)), 4);
        Put(out, 200, 4);
        Put(out, uint32_t(std::lround((spike ? 40 : speed) * 100)), 2);
        Put(out, uint32_t(std::fmod(heading + 3600, 360) * 100), 2);
        Put(out, 0, 2);
        Put(out, 0, 2);
    }
    return out;
}

void WriteFile(const std::string& name, const std::vector<uint8_t>& bytes)
{
    std::ofstream(name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

long StatusKb(const char* key)
{
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word)
        if (word == key && status >> word)
            return std::stol(word);
    return -1;
}

// The memory an analysis of `file` adds at its peak, in bytes; 0 when it cannot
// be measured. It runs in a child process that first gives the memory the
// benchmark has freed back to the system and resets its peak resident size, so
// nothing the benchmark holds or has freed counts.
double PeakBytesOfAnalysis(const std::string& file)
{
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return 0;
    const pid_t pid = fork();
    if (pid == 0) {
        malloc_trim(0);   // freed blocks of the parent, reused here, count again
        double added = 0;
        if (std::FILE* reset = std::fopen("/proc/self/clear_refs", "w")) {
            const bool cleared = std::fputs("5", reset) >= 0 && std::fclose(reset) == 0;
            const long before = StatusKb("VmRSS:");
            const SbpFileAnalysis f = AnalyzeSbpFile(file, RulesOf(RuleSet::Gp3s));
            const long peak = StatusKb("VmHWM:");
            if (cleared && f.status == 0 && before > 0 && peak > before)
                added = double(peak - before) * 1024;
        }
        const ssize_t written = write(pipeFds[1], &added, sizeof added);
        _exit(written == sizeof added ? 0 : 1);
    }
    close(pipeFds[1]);
    double added = 0;
    if (pid < 0 || read(pipeFds[0], &added, sizeof added) != sizeof added)
        added = 0;
    close(pipeFds[0]);
    if (pid > 0)
        waitpid(pid, nullptr, 0);
    return added;
}

void Analyze(benchmark::State& state, bool standing)
{
    const std::vector<uint8_t> image = SessionLog(standing);
    for (auto _ : state)
        benchmark::DoNotOptimize(AnalyzeSbpImage(image, RulesOf(RuleSet::Gp3s)));
    state.counters["points"] = double(kPoints);
    state.counters["target_ms"] = 50;
}

} // namespace

static void BM_AnalyzeSession(benchmark::State& state)
{
    Analyze(state, false);
}
BENCHMARK(BM_AnalyzeSession)->Unit(benchmark::kMillisecond);

static void BM_AnalyzeStandingStill(benchmark::State& state)
{
    Analyze(state, true);
}
BENCHMARK(BM_AnalyzeStandingStill)->Unit(benchmark::kMillisecond);

static void BM_AnalyzeFile(benchmark::State& state)
{
    const size_t points = size_t(state.range(0));
    QTemporaryDir dir;
    const std::string file = dir.filePath(QStringLiteral("sessions.sbp")).toStdString();
    WriteFile(file, SessionLog(false, points));
    for (auto _ : state) {
        const SbpFileAnalysis f = AnalyzeSbpFile(file, RulesOf(RuleSet::Gp3s));
        if (f.status != 0 || f.analysis.results.records != points) {
            state.SkipWithError("the file was not analysed whole");
            return;
        }
        benchmark::DoNotOptimize(f.analysis.results.distanceMetres);
    }
    const double added = PeakBytesOfAnalysis(file);
    state.counters["points"] = double(points);
    state.counters["target_ms"] = points > kPoints ? 1000 : 50;
    state.counters["peak_MiB"] = added / 1048576;
    state.counters["bytes_per_point"] = added / double(points);
}
BENCHMARK(BM_AnalyzeFile)->Arg(kPoints)->Arg(8 * kPoints)->Unit(benchmark::kMillisecond);

static void BM_ViewFileToDrawnWindow(benchmark::State& state)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "vr60bench";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance())
        new QApplication(argc, argv);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("session.sbp"));
    WriteFile(file.toStdString(), SessionLog(false));

    for (auto _ : state) {
        QString error;
        std::unique_ptr<SessionWindow> window = OpenSessionWindow(file, error);
        if (!window) {
            state.SkipWithError(qPrintable(error));
            return;
        }
        window->resize(1100, 720);
        QImage drawn(window->size(), QImage::Format_RGB32);
        window->render(&drawn);
        benchmark::DoNotOptimize(drawn.constBits());
    }
    state.counters["target_ms"] = 1000;
}
BENCHMARK(BM_ViewFileToDrawnWindow)->Unit(benchmark::kMillisecond);
