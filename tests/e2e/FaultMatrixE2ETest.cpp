// The fault matrix: every device operation of vr60ctl against vr60sim over a
// pseudo-terminal, under every fault the simulator injects, each fault keyed on
// the operation's own request. Per cell: the run ends within its budgets, no
// signal ends it, a failure is never status 0 and says what failed, nothing is
// cleared on the device after a download that did not complete, and the files
// in the working folder hold only what the device really sent: an earlier log
// is replaced only by a whole download, and what an incomplete one left is
// named in the output. The matrix is printed to the test log.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <thread>

#include "sim/SimDevice.h"
#include "sim/SimTrackStore.h"
#include "support/CtlChild.h"
#include "support/Files.h"

namespace {

namespace fs = std::filesystem;

// An exchange that is answered: its first 100 ms poll and the answer.
constexpr double kAnswered = 0.2;
// The connection and disconnection: 1.5 s + 0.5 s + 0.5 s of pauses, about ten answered
// exchanges, and the two settings reads (2 s each) when a fault keyed on them fails them.
constexpr double kConnectSeconds = 2.5 + 10 * kAnswered + 2 * 2.1;
// The full clear when it is answered: 5/4, its 1 s pause, the completion, sixteen
// sector erases and four waypoint clears.
constexpr double kFullClear = kAnswered + 1 + 0.4 + 20 * kAnswered;
// A log block (8192 bytes, 620 ms budget) and a track block (4096 bytes, 250 ms), each
// with its first 100 ms poll; a block is asked four times, each time up to three
// answers of the wrong length are taken.
constexpr double kLogBlock = 0.72, kTrackBlock = 0.35;
constexpr double kConvertTracks = 6 * 1.0;   // three tracks to GPX and KML through gpsbabel
// Sixteen sector erases, each sent up to three times with a 5 s budget.
constexpr double kEraseSectors = 16 * 3 * 5.1;
// The log area read, one block failing all its tries, the other four answered, the sync.
constexpr double kDownload = 2.1 + 12 * kLogBlock + 4 * kLogBlock + 1;
constexpr double kTrackDownload = 12 * kTrackBlock + 15 * kTrackBlock + kConvertTracks;
// Start, the 12 s result wait, battery and versions, then the auto clear and power-off.
constexpr double kSelfTestRun = 2.6 + 12.1 + 2 * 1.6 + kFullClear + 2.6;
const std::vector<std::string> kSelfTest = {"selftest", "--items", "rtc", "--no-snr"};

struct Operation {
    const char* name;
    std::vector<std::string> args;
    const char* key;          // the request the faults are keyed on
    // One mark per fault column: 'p' the operation ends with status 0 (the fault is
    // recovered, or does not touch this answer), 'F' it fails.
    const char* expected;
    double budgetSeconds;     // worst case of the operation's own steps with that request failing
    std::vector<std::string> simOptions = {};
};

struct Fault {
    const char* column;
    std::string (*text)(const std::string& key);   // the --fault value; empty: none
};

// clang-format off
const std::vector<Fault> kFaults = {
    {"none",    [](const std::string&) { return std::string(); }},
    {"drop",    [](const std::string& k) { return "drop=" + k; }},
    {"drop:1",  [](const std::string& k) { return "drop=" + k + ":1"; }},
    {"corrupt", [](const std::string& k) { return "corrupt=" + k; }},
    {"short",   [](const std::string& k) { return "short=" + k; }},
    {"wrlen",   [](const std::string& k) { return "wronglen=" + k; }},
    {"cut",     [](const std::string& k) { return "cut=" + k; }},
    {"junk",    [](const std::string&) { return std::string("junk"); }},
    {"unexp",   [](const std::string&) { return std::string("unexpected"); }},
    {"stall",   [](const std::string& k) { return "late=" + k; }},
    {"hup0",    [](const std::string& k) { return "hangup-bytes=" + k + ":0"; }},
    {"hup4",    [](const std::string& k) { return "hangup-bytes=" + k + ":4"; }},
    {"hup9",    [](const std::string& k) { return "hangup-bytes=" + k + ":9"; }},
    {"hup2k",   [](const std::string& k) { return "hangup-bytes=" + k + ":2000"; }},
};

// Operations made of several steps have a row per step that can fail ("OPERATION: STEP").
// expected: one letter per column above. A run passes where the fault does not touch the
// answer (short or wrlen on an acknowledgement, which carries no data; hup9 after a whole
// acknowledgement; hup2k beyond the bytes that follow the request) or is recovered: drop:1
// where the step is asked again or an earlier request with that id took the drop, stall
// where the third send of an erase gets the first one's late acknowledgement (the sector
// was erased), junk and unexpected frames everywhere.
const std::vector<Operation> kOperations = {
    {"info",                   {"info"},                          "5/5",  "pFFFFpFppFFFFp", 2.1},
    {"settings",               {"settings"},                      "0x0B", "pFpFFpFppFFFFp", 2.1},
    {"settings write",         {"settings", "unit=MI"},           "0x0C", "pFFFppFppFFFpp", kAnswered + 2.1},
    {"settings write: read",   {"settings", "unit=MI"},           "0x0B", "pFpFFpFppFFFFp", 2.1 + kAnswered},
    {"factory-reset",          {"factory-reset"},                 "0x0F", "pFFFppFppFFFpp", 5.1},
    {"loginfo",                {"loginfo"},                       "0x4B", "pFFFFpFppFFFFp", 2.1},
    {"download",               {"--yes", "download", "--out", "log.sbp"}, "0x04", "pFpFFFFppFFFFF", kDownload},
    {"download --clear",       {"--yes", "download", "--out", "log.sbp", "--clear"}, "0x04", "pFpFFFFppFFFFF",
                                                                                             kDownload + kFullClear},
    {"download --clear: clear", {"--yes", "download", "--out", "log.sbp", "--clear"}, "5/4", "pFFFppFppFFFFp",
                                                                                             kDownload + kFullClear},
    {"clear",                  {"clear"},                         "5/4",  "pFFFppFppFFFFp", kFullClear + 2.1},
    {"clear: tracks",          {"clear"},                         "0x1E", "pFpFppFpppFFFp", kFullClear + kEraseSectors},
    {"clear: waypoints",       {"clear"},                         "0x32", "pFFFppFppFFFFp", kFullClear + 4 * 2.1},
    {"clear --quick",          {"clear", "--quick"},              "0x0B", "pFpFppFppFFFFp", 1.6, {"--quick-clear-11"}},
    {"top10",                  {"top10"},                         "0x49", "pFFFFFFppFFFFp", 2.1},
    {"top10 --clear",          {"top10", "--clear"},              "0x4A", "pFFFppFppFFFpp", 5.1},
    {"username",               {"username", "matrix"},            "5/3",  "pFFFFpFppFFFFp", 2.1},
    {"serial",                 {"serial", "4321"},                "5/2",  "pFFFFpFppFFFFp", 2.1 + kFullClear + 2.6},
    {"serial: clear",          {"serial", "4321"},                "5/4",  "pFFFppFppFFFFp", kFullClear + 2.1 + 2.6},
    {"serial: power-off",      {"serial", "4321"},                "0x40", "pFFFppFppFFFpp", kFullClear + 2.6},
    {"reboot",                 {"reboot"},                        "0x14", "pFFFppFppFFFpp", 2.6},
    {"nmea on",                {"nmea", "on"},                    "0x15", "pFFFppFppFFFpp", 2.6},
    {"nmea off",               {"nmea", "off"},                   "0x16", "pFFFppFppFFFpp", 2.6},
    {"gps on",                 {"gps", "on"},                     "0x17", "pFFFppFppFFFpp", 2.6},
    {"gps off",                {"gps", "off"},                    "0x18", "pFpFppFppFFFFp", 2.6},
    {"gps cold-start",         {"gps", "cold-start"},             "0x19", "pFFFppFppFFFpp", kAnswered + 2.6},
    {"gps cold-start: nmea",   {"gps", "cold-start"},             "0x15", "pFFFppFppFFFFp", 2.6 + 2.6},
    {"debug-flag",             {"debug-flag"},                    "0x1B", "pFFFppFppFFFpp", 2.6},
    {"power-off",              {"power-off"},                     "0x40", "pFFFppFppFFFpp", 2.6},
    {"power-off --clear",      {"power-off", "--clear"},          "5/4",  "pFFFppFppFFFFp", kFullClear + 2.1 + 2.6},
    {"power-off --clear: off", {"power-off", "--clear"},          "0x40", "pFFFppFppFFFpp", kFullClear + 2.6},
    {"tracks download",        {"tracks", "download"},            "0x04", "pFpFFFFppFFFFF", kTrackDownload},
    {"tracks erase",           {"tracks", "erase"},               "0x1E", "pFpFppFpppFFFF", kEraseSectors + kTrackDownload},
    {"tracks erase: download", {"tracks", "erase"},               "0x04", "pFpFFFFppFFFFF", 16 * kAnswered + kTrackDownload},
    // Sixteen sector erases, the buffer probe, 274 block writes (0.8 s budget, four tries).
    {"tracks upload",          {"tracks", "upload"},              "0x1D", "pFpFppFppFFFFF", 17 * kAnswered + 4 * 0.9 + 274 * 0.15},
    {"tracks upload: erase",   {"tracks", "upload"},              "0x1E", "pFpFppFpppFFFF", kEraseSectors + kAnswered + 274 * 0.15},
    {"tracks untag",           {"tracks", "untag"},               "0x37", "pFFFppFppFFFFp", 4 * 2.1},
    {"poi read",               {"poi", "read", "1,2"},            "0x30", "pFFFFpFppFFFFp", 2 * 2.1},
    {"poi write",              {"poi", "write", "3=-0.5,12.25"},  "0x31", "pFFFppFppFFFpp", 2.1},
    {"poi delete",             {"poi", "delete"},                 "0x32", "pFFFppFppFFFFp", 4 * 2.1},
    {"selftest",               kSelfTest,                         "0x13", "pFFFFpFppFFFFp", kSelfTestRun},
    {"selftest: clear",        kSelfTest,                         "5/4",  "pFFFppFppFFFFp", kSelfTestRun},
    {"selftest: power-off",    kSelfTest,                         "0x40", "pFFFppFppFFFpp", kSelfTestRun},
};
// clang-format on

// A loaded machine stretches every wait; a run is killed only well beyond its budgets.
double BoundSeconds(const Operation& op)
{
    return (kConnectSeconds + op.budgetSeconds) * 1.5 + 5;
}

const std::vector<std::string> kClearKeys = {"5/4", "0x0B", "0x1E", "0x32"};

struct Reference {
    std::vector<uint8_t> log;          // what the simulated logger holds
    std::vector<uint8_t> trackStore;
    std::vector<uint8_t> kept;         // a file that was in the folder before the run, also as log.sbp
};

struct Cell {
    Cell(const Operation* op, const Fault* fault, char expected) : op(op), fault(fault), expected(expected) {}
    const Operation* op;
    const Fault* fault;
    char expected;
    std::unique_ptr<ScratchDir> dir;   // requests.log, and work/ where vr60ctl runs
    std::unique_ptr<SimProcess> sim;
    std::unique_ptr<CtlChild> ctl;
    char mark = ' ';
    int64_t elapsedMs = 0;
    std::vector<std::string> problems;
    std::string output;   // kept when there is a problem

    fs::path work() const { return dir->path / "work"; }
    std::string requestLog() const { return dir->file("requests.log"); }
};

// A stall outlasts every budget: the longest single wait is 5000 polls of the port, each
// 1 ms or more.
std::vector<std::string> SimArguments(const Cell& c)
{
    std::vector<std::string> args = {"--no-alias", "--request-log", c.requestLog(), "--tracks", "3,0,20,1",
                                     "--clear-delay", "300", "--selftest-delay", "300", "--reboot-silence", "300",
                                     "--late-ms", "12000"};
    args.insert(args.end(), c.op->simOptions.begin(), c.op->simOptions.end());
    const std::string fault = c.fault->text(c.op->key);
    if (!fault.empty())
        args.insert(args.end(), {"--fault", fault});
    return args;
}

void Start(Cell& c, const Reference& ref)
{
    c.dir = std::make_unique<ScratchDir>();
    fs::create_directory(c.work());
    for (const char* name : {"kept.sbp", "log.sbp"})
        std::ofstream(c.work() / name, std::ios::binary).write(reinterpret_cast<const char*>(ref.kept.data()),
                                                               std::streamsize(ref.kept.size()));
    const std::vector<uint8_t> upload = GenerateTrackImage({5, 0, 7, 0});
    std::ofstream(c.work() / "VR40_TRK_64KB_X.BIN", std::ios::binary)
        .write(reinterpret_cast<const char*>(upload.data()), std::streamsize(upload.size()));
    c.sim = std::make_unique<SimProcess>(SimArguments(c));
    std::vector<std::string> args = {"--port", c.sim->ptyPath()};
    args.insert(args.end(), c.op->args.begin(), c.op->args.end());
    // The settings store and the alias folder are the cell's own.
    c.ctl = std::make_unique<CtlChild>(
        args, c.work().string(), CtlLimits{int64_t(BoundSeconds(*c.op) * 1000), -1},
        CtlEnvironment{"XDG_CONFIG_HOME=" + c.dir->file("config"), "VR60_PORT_DIR=" + c.dir->file("ports")});
}

bool IsPrefixOf(const std::vector<uint8_t>& part, const std::vector<uint8_t>& whole)
{
    return part.size() <= whole.size() && std::equal(part.begin(), part.end(), whole.begin());
}

// Each 4 KB sector of a track image is the device's, or erased (0xFF), as far as it goes.
bool TrackImageIsTrue(const std::vector<uint8_t>& image, const std::vector<uint8_t>& store)
{
    if (image.size() > store.size())
        return false;
    for (size_t at = 0; at < image.size(); at += 4096) {
        const size_t n = std::min<size_t>(4096, image.size() - at);
        const bool same = std::equal(image.begin() + at, image.begin() + at + n, store.begin() + at);
        const bool erased = std::all_of(image.begin() + at, image.begin() + at + n, [](uint8_t b) { return b == 0xFF; });
        if (!same && !erased)
            return false;
    }
    return true;
}

bool NamesAFailure(const CtlOutcome& r)
{
    static const std::regex failure("fail|error|time ?out|no ack|closed|unsuccessful|abort|not ",
                                    std::regex::icase);
    return !r.err.empty() || std::regex_search(r.out, failure);
}

void Judge(Cell& c, const Reference& ref)
{
    const CtlOutcome& r = c.ctl->outcome();
    c.elapsedMs = r.elapsedMs;
    c.sim->stop();
    if (std::getenv("VR60_MATRIX_VERBOSE"))
        std::printf("== %s / %s: status %d, %lld ms\n%s-- stderr:\n%s", c.op->name, c.fault->column, r.status,
                    static_cast<long long>(r.elapsedMs), r.out.c_str(), r.err.c_str());
    auto problem = [&c](const std::string& what) { c.problems.push_back(what); };
    if (r.timedOut)
        problem("still running after " + std::to_string(r.elapsedMs) + " ms: killed");
    if (r.signal)
        problem("ended by signal " + std::to_string(r.signal));
    if (!r.timedOut && !r.signal) {
        if (r.status != 0 && !NamesAFailure(r))
            problem("status " + std::to_string(r.status) + " but nothing says what failed");
        if (r.status == 2)
            problem("status 2 (bad command line)");
        if (c.expected == 'F' && r.status == 0)
            problem("status 0 although the fault was not recovered");
        if (c.expected == 'p' && r.status != 0)
            problem("status " + std::to_string(r.status) + " where the fault is recovered or harmless");
    }

    // Nothing is cleared on the device after a download that did not complete.
    const std::vector<std::string> requests = Lines(ReadText(c.requestLog()));
    const auto firstRead = std::find(requests.begin(), requests.end(), "0x04");
    const auto clearAfter = std::find_first_of(firstRead, requests.end(), kClearKeys.begin(), kClearKeys.end());
    const std::vector<uint8_t> log = ReadFileBytes((c.work() / "log.sbp").string());
    if (clearAfter != requests.end() && log != ref.log)
        problem("request " + *clearAfter + " (a clear) after an incomplete download");

    // The folder holds the kept file as it was and, of the device's data, only true bytes.
    if (ReadFileBytes((c.work() / "kept.sbp").string()) != ref.kept)
        problem("kept.sbp changed");
    for (const auto& entry : fs::directory_iterator(c.work())) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() == ".sbp" && name != "kept.sbp" &&
            !IsPrefixOf(ReadFileBytes(entry.path().string()), ref.log))
            problem(name + " holds bytes that are not the device's log");
    }
    const std::vector<uint8_t> image = ReadFileBytes((c.work() / "VR40_TRK_64KB.bin").string());
    if (!TrackImageIsTrue(image, ref.trackStore))
        problem("VR40_TRK_64KB.bin holds bytes that are not the device's track store");
    // The log download is the only operation with --out.
    const bool download = std::find(c.op->args.begin(), c.op->args.end(), "--out") != c.op->args.end();
    if (r.status == 0 && download && log != ref.log)
        problem("status 0 but log.sbp is not the whole log");
    // The earlier log.sbp is replaced only by a whole download; what an incomplete one
    // left is under a name that says so, and the output names it.
    if (log != ref.kept && log != ref.log)
        problem("log.sbp is neither the earlier file nor the whole log");
    const std::vector<uint8_t> partial = ReadFileBytes((c.work() / "log.partial.sbp").string());
    if (!partial.empty() && !std::regex_search(r.out, std::regex("log\\.partial\\.sbp holds " +
                                                                 std::to_string(partial.size()) + " bytes")))
        problem("log.partial.sbp is left but the output does not say what it holds");
    if (r.status == 0 && c.op->args == std::vector<std::string>{"tracks", "download"} && image != ref.trackStore)
        problem("status 0 but VR40_TRK_64KB.bin is not the whole track store");

    if (!c.problems.empty()) {
        c.mark = '!';
        c.output = r.out + "-- stderr:\n" + r.err + "-- requests: ";
        for (const std::string& key : requests)
            c.output += key + " ";
        c.output += "\n";
    } else {
        c.mark = r.status == 0 ? 'p' : 'F';
    }
}

std::string MatrixText(const std::vector<Cell>& cells)
{
    std::string text = "fault matrix: " + std::to_string(kOperations.size()) + " operations x " +
                       std::to_string(kFaults.size()) + " faults\n";
    char line[256];
    std::snprintf(line, sizeof line, "%-24s", "");
    text += line;
    for (const Fault& f : kFaults) {
        std::snprintf(line, sizeof line, " %-7s", f.column);
        text += line;
    }
    text += "\n";
    for (size_t o = 0; o < kOperations.size(); ++o) {
        std::snprintf(line, sizeof line, "%-24s", kOperations[o].name);
        text += line;
        for (size_t f = 0; f < kFaults.size(); ++f) {
            std::snprintf(line, sizeof line, " %-7c", cells[o * kFaults.size() + f].mark);
            text += line;
        }
        text += "\n";
    }
    text += "F: fails as it must (status not 0, the failure named, no clear after a failed download, files true)\n"
            "p: status 0 as expected: the fault is recovered (a retry) or does not touch that answer\n"
            "!: a broken promise (listed below)\n";
    return text;
}

TEST(FaultMatrixE2E, everyOperationUnderEveryFaultEndsSafely)
{
    Reference ref;
    {
        SimDevice device;
        ref.log = device.logArea.loggedBytes(device);
    }
    ref.trackStore = GenerateTrackImage({3, 0, 20, 1});
    ref.kept.assign(ref.log.begin(), ref.log.begin() + 4096);

    std::vector<Cell> cells;
    for (const Operation& op : kOperations) {
        ASSERT_EQ(std::string(op.expected).size(), kFaults.size()) << op.name;
        for (size_t f = 0; f < kFaults.size(); ++f)
            cells.emplace_back(&op, &kFaults[f], op.expected[f]);
    }
    // VR60_MATRIX_ONLY=REGEX runs only the operations it names (while working on one).
    const char* only = std::getenv("VR60_MATRIX_ONLY");
    std::vector<Cell*> queue;
    for (Cell& c : cells)
        if (!only || std::regex_search(c.op->name, std::regex(only)))
            queue.push_back(&c);
    // The longest first, so the last ones to finish are short.
    std::stable_sort(queue.begin(), queue.end(),
                     [](const Cell* a, const Cell* b) { return a->op->budgetSeconds > b->op->budgetSeconds; });

    const char* jobsText = std::getenv("VR60_MATRIX_JOBS");
    const size_t jobs = jobsText && std::atoi(jobsText) > 0 ? size_t(std::atoi(jobsText)) : 20;
    std::vector<Cell*> running;
    size_t next = 0;
    const auto started = std::chrono::steady_clock::now();
    while (next < queue.size() || !running.empty()) {
        while (running.size() < jobs && next < queue.size()) {
            Start(*queue[next], ref);
            running.push_back(queue[next++]);
        }
        for (auto it = running.begin(); it != running.end();) {
            if ((*it)->ctl->poll()) {
                Judge(**it, ref);
                (*it)->ctl.reset();
                (*it)->sim.reset();
                (*it)->dir.reset();
                it = running.erase(it);
            } else {
                ++it;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - started).count();

    std::string report = MatrixText(cells);
    const Cell* slowest = nullptr;
    for (const Cell& c : cells)
        if (c.mark != ' ' && (!slowest || c.elapsedMs / BoundSeconds(*c.op) > slowest->elapsedMs / BoundSeconds(*slowest->op)))
            slowest = &c;
    report += std::to_string(queue.size()) + " cells in " + std::to_string(seconds) + " s, " + std::to_string(jobs) +
              " at a time";
    if (slowest) {
        char line[160];
        std::snprintf(line, sizeof line, "; closest to its bound: %s / %s, %.1f s of %.1f s", slowest->op->name,
                      slowest->fault->column, slowest->elapsedMs / 1000.0, BoundSeconds(*slowest->op));
        report += line;
    }
    report += "\n";
    for (const Cell& c : cells) {
        for (const std::string& p : c.problems)
            report += std::string(c.op->name) + " / " + c.fault->column + ": " + p + "\n";
        report += c.output;
    }
    std::printf("%s", report.c_str());
    for (const Cell& c : cells)
        EXPECT_TRUE(c.problems.empty()) << c.op->name << " / " << c.fault->column;
}

} // namespace
