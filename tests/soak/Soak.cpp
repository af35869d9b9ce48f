// vr60soak (make soak): connect/disconnect cycles and full log downloads
// against vr60sim with random faults, on one Program as a long window session
// would run them, with the records database installed as the window installs
// it (a scratch SQLite file), so every complete download is also a logbook write.
// The open descriptors and resident memory of this process and of the simulator
// are measured after a warm-up and at the end, and printed.
// Fails when descriptors grow, when memory grows by more than a slack (not
// judged in a sanitizer build, whose allocator keeps freed memory), when an
// operation reports success for a wrong result, when no more than half of the
// connects or of the downloads succeed, when the logbook holds anything but the
// one true log, or when the simulator ends badly. An unknown option is status 2.
// Time runs 50 times faster for sleeps and the read-ahead before each wait; the
// waits' idle-poll budgets stay real, so faults cost what they cost.
//
// usage: vr60soak [--cycles N] [--downloads N] [--faults PERCENT] [--seed S]

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include <QCryptographicHash>

#include "connection/ConnectionSequence.h"
#include "logdata/DownloadTarget.h"
#include "logdata/LogDownload.h"
#include "platform/PortTable.h"
#include "platform/QuietHost.h"
#include "platform/ResultCode.h"
#include "platform/SystemTransport.h"
#include "program/Program.h"
#include "sim/SimDevice.h"
#include "sim/SimOptions.h"
#include "soak/SoakOptions.h"
#include "storage/Database.h"
#include "shell/StationRecords.h"
#include "support/Processes.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

constexpr int kSpeedUp = 50;
constexpr long kRssSlackKiB = 1024;
constexpr int kPoints = 1200;
constexpr int kLogSeed = 3;

// Quiet, with every question answered Yes, and time running kSpeedUp times faster.
class SoakHost : public QuietHost {
public:
    SoakHost() : QuietHost(true) {}
    void sleepMs(int ms) override { std::this_thread::sleep_for(std::chrono::microseconds(ms * 1000 / kSpeedUp)); }
    int64_t clockMicros() override { return QuietHost::clockMicros() * kSpeedUp; }
};

struct Usage {
    long fds = 0;
    long rssKiB = 0;
};

Usage Measure(const std::string& pid)
{
    Usage u;
    std::error_code ec;
    for (auto it = std::filesystem::directory_iterator("/proc/" + pid + "/fd", ec);
         !ec && it != std::filesystem::directory_iterator(); it.increment(ec))
        ++u.fds;
    std::ifstream status("/proc/" + pid + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            u.rssKiB = std::atol(line.c_str() + 6);
    if (pid == "self")
        --u.fds;   // the directory listing's own descriptor
    return u;
}

std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// What the logbook holds after the downloads; empty when it is the one log, once.
std::string LogbookProblem(const std::vector<uint8_t>& log, int complete)
{
    std::string error;
    std::unique_ptr<Database> db = Database::open(ConfiguredTarget(nullptr), error);
    std::vector<SessionEntry> sessions;
    if (!db || !ListSessions(*db, sessions, error))
        return "the logbook cannot be read: " + error;
    const QByteArray bytes(reinterpret_cast<const char*>(log.data()), qsizetype(log.size()));
    const std::string sha = QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().toStdString();
    const size_t expected = complete > 0 ? 1 : 0;
    if (sessions.size() != expected || (expected && sessions[0].sha256 != sha))
        return "the logbook holds " + std::to_string(sessions.size()) + " sessions after " + std::to_string(complete) +
               " complete downloads of one log" + (sessions.empty() || sessions[0].sha256 == sha ? "" : ", not that log");
    const SyncReport outbox = DatabaseStore(ConfiguredTarget(nullptr)).sync();
    if (outbox.waiting != 0)
        return std::to_string(outbox.waiting) + " records wait in the outbox";
    return {};
}

struct Tally {
    int ok = 0;
    int failed = 0;
    int wrong = 0;   // reported success for a wrong result
};

} // namespace

int main(int argc, char** argv)
{
    SoakOptions options;
    std::string optionError;
    if (!ReadSoakOptions(std::vector<std::string>(argv + 1, argv + argc), options, optionError)) {
        std::fprintf(stderr, "vr60soak: %s\n", optionError.c_str());
        return kUsageError;
    }
    const long cycles = options.cycles, downloads = options.downloads, faults = options.faults, seed = options.seed;

    SimProcess sim({"--no-alias", "--points", std::to_string(kPoints), "--log-seed", std::to_string(kLogSeed),
                    "--fault", "random=" + std::to_string(faults) + ":" + std::to_string(seed)});
    if (sim.ptyPath().empty()) {
        std::fprintf(stderr, "vr60soak: vr60sim did not start\n%s", sim.finish().c_str());
        return 1;
    }
    SimDevice model;
    std::string error;
    ApplySimOption(model, "points", std::to_string(kPoints), &error);
    ApplySimOption(model, "log-seed", std::to_string(kLogSeed), &error);
    const std::vector<uint8_t> expected = model.logArea.loggedBytes(model);

    const std::filesystem::path work = std::filesystem::temp_directory_path() / ("vr60soak." + std::to_string(getpid()));
    std::filesystem::create_directories(work);
    const std::string logFile = (work / "soak.sbp").string();
    // The default records database, in the scratch folder.
    setenv("XDG_DATA_HOME", work.c_str(), 1);
    unsetenv("VR60_DB");

    SoakHost host;
    Program p(host, [](const std::string&) { return MakeSystemTransport(); });
    StationRecords records(ConfiguredTarget(nullptr));
    p.storage = &records;
    p.form.connection.comPortText = PortDisplayName(ResolveGivenPort(sim.ptyPath(), p.ports.commandLinePorts).number);
    p.form.connection.comBaudIndex = 7;

    Tally connects;
    Tally transfers;
    int completed = 0;   // downloads that reported success, the warm-up's too: each one a logbook write
    auto cycle = [&] {
        const int result = BitBtn_connectClick(p);
        const bool connected = p.connected == 1;
        if (result == kOk && !connected)
            ++connects.wrong;
        (result == kOk ? connects.ok : connects.failed)++;
        if (connected)
            BitBtn_connectClick(p);
        return result == kOk;
    };
    auto download = [&] {
        if (BitBtn_connectClick(p) != kOk) {
            if (p.connected == 1)
                BitBtn_connectClick(p);
            ++transfers.failed;
            return;
        }
        p.form.logData.logFileName = logFile;
        const int result = Button_downloadlogClick(p);
        completed += result == kOk;
        if (result == kOk)
            (ReadBytes(logFile) == expected ? transfers.ok : transfers.wrong)++;
        else
            ++transfers.failed;
        BitBtn_connectClick(p);
        std::filesystem::remove(logFile);
        std::filesystem::remove(PartialNameFor(logFile));   // what a failed download left
    };

    const auto started = std::chrono::steady_clock::now();
    // Warm-up: first uses fill caches that stay for the life of the process.
    cycle();
    download();
    connects = transfers = Tally{};
    const std::string simPid = std::to_string(sim.pid());
    const Usage selfStart = Measure("self");
    const Usage simStart = Measure(simPid);

    for (long i = 0; i < cycles; ++i) {
        cycle();
        if ((i + 1) % 100 == 0)
            std::printf("  %ld cycles\n", i + 1), std::fflush(stdout);
    }
    for (long i = 0; i < downloads; ++i) {
        download();
        if ((i + 1) % 10 == 0)
            std::printf("  %ld downloads\n", i + 1), std::fflush(stdout);
    }

    const Usage selfEnd = Measure("self");
    const Usage simEnd = Measure(simPid);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const std::string simProblem = sim.finish();
    const std::string logbookProblem = LogbookProblem(expected, completed);
    std::filesystem::remove_all(work);

    std::printf("\n%ld connect/disconnect cycles and %ld downloads, random faults on %ld%% of requests, %.0f s\n",
                cycles, downloads, faults, seconds);
    std::printf("connects:  %d ok, %d failed, %d wrongly reported ok\n", connects.ok, connects.failed, connects.wrong);
    std::printf("downloads: %d complete and exact, %d failed, %d reported ok with wrong bytes\n", transfers.ok,
                transfers.failed, transfers.wrong);
    std::printf("%-10s %12s %12s %14s %14s\n", "process", "fds start", "fds end", "RSS KiB start", "RSS KiB end");
    std::printf("%-10s %12ld %12ld %14ld %14ld\n", "vr60soak", selfStart.fds, selfEnd.fds, selfStart.rssKiB,
                selfEnd.rssKiB);
    std::printf("%-10s %12ld %12ld %14ld %14ld\n", "vr60sim", simStart.fds, simEnd.fds, simStart.rssKiB, simEnd.rssKiB);

    bool failed = false;
    auto fail = [&](const std::string& why) {
        std::printf("FAIL: %s\n", why.c_str());
        failed = true;
    };
    if (connects.wrong || transfers.wrong)
        fail("an operation reported success for a wrong result");
    // A few faulted requests must not sink most operations: a run in which most
    // failed proves nothing about the rest.
    for (const auto& [name, t] : {std::pair<const char*, const Tally&>{"connects", connects}, {"downloads", transfers}}) {
        const int attempts = t.ok + t.failed + t.wrong;
        if (attempts > 0 && t.ok * 2 <= attempts)
            fail(std::string("only ") + std::to_string(t.ok) + " of " + std::to_string(attempts) + " " + name +
                 " succeeded");
    }
    if (selfEnd.fds > selfStart.fds || simEnd.fds > simStart.fds)
        fail("open descriptors grew");
    if (kSanitized)
        std::printf("memory growth not judged: the sanitizer's allocator keeps freed memory (LeakSanitizer checks at exit)\n");
    else if (selfEnd.rssKiB > selfStart.rssKiB + kRssSlackKiB || simEnd.rssKiB > simStart.rssKiB + kRssSlackKiB)
        fail("resident memory grew by more than " + std::to_string(kRssSlackKiB) + " KiB");
    if (!logbookProblem.empty())
        fail(logbookProblem);
    if (!simProblem.empty())
        fail(simProblem);
    if (!failed)
        std::printf("PASS\n");
    return failed ? 1 : 0;
}
