// Disk faults: the log download, the exporters, the track download and
// conversion, and the INI saves, run as vr60ctl under a file-size limit
// (RLIMIT_FSIZE, which its converter inherits): from the first byte, as on a
// full disk, and part-way. Each must end in a failure status that says what
// failed, leave beside the files it completed only true beginnings of the
// device's data, never a cut export, keep an earlier log of the download's name
// as it was, and clear nothing on the device.

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>

#include <QSettings>

#include <sys/resource.h>

#include "shell/AppShell.h"
#include "prodtest/TestConfig.h"
#include "sim/SimDevice.h"
#include "sim/SimTrackStore.h"
#include "support/CtlChild.h"
#include "support/Files.h"
#include "support/SimRig.h"

namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::vector<uint8_t>>;

const std::string kConfig = "[VR60TEST]\nSNR=30\nauto_log_clear=1\nauto_poweroff=1\n";
const std::string kOtherIni = "[a]\nk=v\n";

void Write(const fs::path& file, const std::vector<uint8_t>& bytes)
{
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// The files of a folder by name, the time in track file names made "HHMMSS".
Files FolderFiles(const fs::path& dir)
{
    static const std::regex time("_[0-9]{6}\\.");
    Files files;
    for (const auto& entry : fs::directory_iterator(dir))
        files[std::regex_replace(entry.path().filename().string(), time, "_HHMMSS.")] =
            ReadFileBytes(entry.path().string());
    return files;
}

// An earlier download under the name the downloads use: a true beginning of the log.
std::vector<uint8_t> EarlierLog(const std::vector<uint8_t>& log)
{
    return std::vector<uint8_t>(log.begin(), log.begin() + 4096);
}

void Seed(const fs::path& dir, const std::vector<uint8_t>& log, const std::vector<uint8_t>& store)
{
    Write(dir / "in.sbp", log);
    Write(dir / "log.sbp", EarlierLog(log));
    Write(dir / "VR40_TRK_64KB.bin", store);
    std::ofstream(dir / "VR60Test.ini") << kConfig;
    std::ofstream(dir / "other.ini") << kOtherIni;
}

bool IsPrefixOf(const std::vector<uint8_t>& part, const std::vector<uint8_t>& whole)
{
    return part.size() <= whole.size() && std::equal(part.begin(), part.end(), whole.begin());
}

struct DiskCase {
    const char* what;
    std::vector<std::string> args;   // after --port PTY when the device is needed
    bool device;
    int64_t limit;                   // bytes a file may reach
    int status;
    const char* says;                // on stdout or stderr
};

TEST(DiskFaultE2E, fullDiskAndWriteErrorsFailClearlyLeaveNoCutFileAndClearNothing)
{
    // Converter output without its creation time, so that two runs can be compared.
    setenv("GPSBABEL_FREEZE_TIME", "y", 1);
    std::vector<uint8_t> log;
    {
        SimDevice device;
        log = device.logArea.loggedBytes(device);
    }
    const std::vector<uint8_t> store = GenerateTrackImage({3, 0, 20, 1});
    // What the conversions make when the disk has room (.NMEA 167 KB, .plt 90 KB, .csv 228 KB, .gpx 382 KB).
    ScratchDir whole;
    Seed(whole.path, log, store);
    // Each run's settings store and alias folder lie outside the folder it works in.
    ScratchDir elsewhere;
    const CtlEnvironment env = {"XDG_CONFIG_HOME=" + elsewhere.file("config"), "VR60_PORT_DIR=" + elsewhere.file("ports")};
    ASSERT_EQ(RunCtlLimited({"convert", "in.sbp"}, whole.path.string(), {}, env).status, 0);
    ASSERT_EQ(RunCtlLimited({"tracks", "convert"}, whole.path.string(), {}, env).status, 0);
    const Files made = FolderFiles(whole.path);

    const std::vector<DiskCase> cases = {
        {"download, full disk", {"--yes", "download", "--out", "log.sbp", "--clear"}, true, 0, 9,
         "The download did not complete; no log data was kept; log.sbp is as it was"},
        {"download, no space left", {"--yes", "download", "--out", "/dev/full", "--clear"}, true, -1, 9,
         "Writing /dev/full failed: No space left on device"},
        {"download, error in block 2", {"--yes", "download", "--out", "log.sbp", "--clear"}, true, 10000, 9,
         "Writing log.partial.sbp failed: File too large\nFailed to download log data!\nThe download did not complete; "
         "log.partial.sbp holds 10000 bytes (incomplete); log.sbp is as it was"},
        {"convert, full disk", {"convert", "in.sbp"}, false, 0, 9, " Failed to generate KML file!"},
        {"convert, .NMEA cut", {"convert", "in.sbp"}, false, 100000, 9, "Cannot write in.NMEA: File too large"},
        {"convert, .gpx cut", {"convert", "in.sbp"}, false, 300000, 7, "in.gpx was cut short"},
        {"tracks download, full disk", {"tracks", "download"}, true, 0, 9, "VR40 TRK Download failed!"},
        {"tracks download, error in block 5", {"tracks", "download"}, true, 20000, 9,
         "Writing VR40_TRK_64KB.bin failed: File too large"},
        {"tracks convert, error in track 1", {"tracks", "convert"}, false, 1000, 7, ".NMEA.gpx was cut short"},
        {"ini put, full disk", {"ini", "put", "other.ini", "a", "k", "longer value"}, false, 0, 1,
         "other.ini could not be rewritten; it is left as it was"},
        {"testconfig save, full disk", {"testconfig", "save"}, false, 0, 9, "Writing VR60Test.ini failed!"},
        {"selftest, full disk", {"selftest", "--items", "rtc", "--no-snr"}, true, 0, 9, "Writing VR60Test.ini failed!"},
    };
    for (const DiskCase& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir dir;
        const fs::path work = dir.path / "work";
        fs::create_directory(work);
        Seed(work, log, store);
        std::unique_ptr<SimProcess> sim;
        std::vector<std::string> args = c.args;
        if (c.device) {
            sim = std::make_unique<SimProcess>(std::vector<std::string>{
                "--no-alias", "--request-log", dir.file("requests.log"), "--tracks", "3,0,20,1"});
            args.insert(args.begin(), {"--port", sim->ptyPath()});
        }
        const CtlOutcome r = RunCtlLimited(args, work.string(), {120000, c.limit}, env);
        EXPECT_EQ(r.signal, 0);
        EXPECT_EQ(r.status, c.status) << r.out << r.err;
        EXPECT_NE((r.out + r.err).find(c.says), std::string::npos) << r.out << r.err;
        EXPECT_EQ(r.out.find("files generated"), std::string::npos) << r.out;
        EXPECT_EQ(r.out.find("Log file  "), std::string::npos) << r.out;
        if (sim) {
            sim->stop();
            const std::vector<std::string> requests = Lines(ReadText(dir.file("requests.log")));
            for (const char* key : {"5/4", "0x1E", "0x32", "0x13"})
                EXPECT_EQ(std::count(requests.begin(), requests.end(), key), 0) << key;
        }
        // The seeded files as they were, the device's data only as far as it is true, and
        // every other file whole.
        for (const auto& [name, bytes] : FolderFiles(work)) {
            if (name == "VR60Test.ini" || name == "other.ini")
                EXPECT_EQ(std::string(bytes.begin(), bytes.end()), name == "other.ini" ? kOtherIni : kConfig) << name;
            else if (name == "in.sbp" || name == "log.sbp")
                EXPECT_EQ(bytes, name == "in.sbp" ? log : EarlierLog(log)) << name;
            else if (name == "log.partial.sbp")
                EXPECT_TRUE(IsPrefixOf(bytes, log)) << name;
            else if (name == "VR40_TRK_64KB.bin")
                EXPECT_TRUE(IsPrefixOf(bytes, store)) << name;
            else
                EXPECT_TRUE(made.count(name) && made.at(name) == bytes) << name << " is not whole";
        }
    }
    unsetenv("GPSBABEL_FREEZE_TIME");
}

// A log that may not have reached the disk is not safe yet: the clear that was to follow does not run.
TEST(DiskFaultE2E, aDownloadWhoseSyncFailsIsAFailureAndClearsNothing)
{
    ScratchDir dir;
    SimProcess sim({"--no-alias", "--request-log", dir.file("requests.log")});
    const char* asan = std::getenv("ASAN_OPTIONS");
    const CtlEnvironment env = {
        "XDG_CONFIG_HOME=" + dir.file("config"), "VR60_PORT_DIR=" + dir.file("ports"),
        std::string("LD_PRELOAD=") + VR60_FAILING_SYNC_LIB,
        // The sanitizer runtime must otherwise come first among the libraries.
        "ASAN_OPTIONS=" + std::string(asan ? asan : "") + ":verify_asan_link_order=0"};
    const CtlOutcome r =
        RunCtlLimited({"--port", sim.ptyPath(), "download", "--out", "log.sbp", "--clear"}, dir.path.string(), {}, env);
    EXPECT_EQ(r.signal, 0);
    EXPECT_EQ(r.status, 9) << r.out << r.err;
    EXPECT_NE((r.out + r.err).find("Input/output error"), std::string::npos) << r.out << r.err;
    sim.stop();
    const std::vector<std::string> requests = Lines(ReadText(dir.file("requests.log")));
    EXPECT_NE(std::count(requests.begin(), requests.end(), "0x04"), 0);
    for (const char* key : {"5/4", "0x1E", "0x32"})
        EXPECT_EQ(std::count(requests.begin(), requests.end(), key), 0) << key;
}

// The window's saves at exit under a full disk, in a child process of its own: what it says,
// and whether the old files are as they were.
std::string SaveAtExitOnAFullDisk()
{
    ScratchDir dir;
    const fs::path config = dir.path / "config" / "TRAXELO" / "VR40LINK.conf";
    fs::create_directories(config.parent_path());
    const std::string oldLink = "[General]\nBAUD=9600\nCOM=3\n";
    std::ofstream(config) << oldLink;
    std::ofstream(dir.path / "VR60Test.ini") << kConfig;
    fs::current_path(dir.path);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, (dir.path / "config").c_str());

    SimRig rig;
    StartUpTestConfig(rig.p());
    rig.p().savedPortNumber = 7;
    rig.p().savedBaudIndex = 7;
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlim_t before = limit.rlim_cur;
    limit.rlim_cur = 0;
    setrlimit(RLIMIT_FSIZE, &limit);
    ExitSteps(rig.p());
    limit.rlim_cur = before;
    setrlimit(RLIMIT_FSIZE, &limit);

    std::string said;
    for (const std::string& box : rig.host.boxes())
        said += box + "|";
    const size_t files = size_t(std::distance(fs::recursive_directory_iterator(dir.path), {}));
    if (ReadText(config.string()) == oldLink && ReadText("VR60Test.ini") == kConfig && files == 4)
        said += "files as they were";
    return said;
}

} // namespace

TEST(DiskFaultE2EDeathTest, theWindowsSavesAtExitSayWhatWasNotSavedAndKeepTheOldFiles)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    std::signal(SIGXFSZ, SIG_IGN);
    EXPECT_EXIT(
        {
            std::fprintf(stderr, "%s\n", SaveAtExitOnAFullDisk().c_str());
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0),
        "The port and baud rate could not be saved\\.\\|Writing VR60Test\\.ini failed!\\|files as they were");
}
