// vr60ctl's safety at the command line: the clear and power-off that follow a
// serial-number write or a self test are announced before connecting and can be
// switched for one run, opposite switches and bad names are refused before any
// port is opened, and "VR60Test.ini" is found in other letter case.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "support/Files.h"
#include "support/Processes.h"

namespace {

using Strings = std::vector<std::string>;

// "{W}" in a text stands for the working folder.
std::string InFolder(std::string text, const std::string& folder)
{
    for (size_t at = text.find("{W}"); at != std::string::npos; at = text.find("{W}", at + folder.size()))
        text.replace(at, 3, folder);
    return text;
}

const char* const kBoth = "[VR60TEST]\r\nauto_log_clear=1\r\nauto_poweroff=1\r\n";
const char* const kNeither = "[VR60TEST]\r\nauto_log_clear=0\r\nauto_poweroff=0\r\n";
const std::string kSerialTail = "; after the serial number write, whatever its outcome, ";
const std::string kErase = "the log, the track slots and the waypoints are erased";

TEST(CtlStationSwitchesE2E, argumentsAreCheckedAndTheFollowUpsAnnouncedBeforeConnecting)
{
    struct Row {
        Strings args;
        std::vector<std::pair<const char*, const char*>> files;   // in the working folder
        int status;
        Strings out;       // stdout's first lines ("{W}" is the folder)
        std::string err;   // stderr's first line
    };
    const std::string noPort = "/dev/does-not-exist";
    const Row rows[] = {
        {{"serial", "77"}, {}, 1,
         {"Auto clear and auto power-off are on: the defaults of auto_log_clear and auto_poweroff (no {W}/VR60Test.ini "
          "was found)" + kSerialTail + kErase + " and the device is switched off (--no-clear and --no-power-off skip them)"},
         "Open COM port error!"},
        {{"serial", "--no-clear", "77", "--no-power-off"}, {}, 1, {"Open COM port error!"}, "Open COM port error!"},
        {{"serial", "77", "--no-clear"}, {{"VR60Test.ini", kBoth}}, 1,
         {"Auto power-off is on: auto_poweroff=1 in {W}/VR60Test.ini" + kSerialTail +
          "the device is switched off (--no-power-off skips it)"}, "Open COM port error!"},
        {{"serial", "--clear", "77"}, {{"VR60Test.ini", kNeither}}, 1, {"Auto clear is on: --clear" + kSerialTail + kErase},
         "Open COM port error!"},
        {{"serial", "--clear", "77", "--no-clear"}, {}, 2, {}, "vr60ctl: serial: --clear and --no-clear together"},
        {{"serial", "--no-power-off", "77", "--power-off"}, {}, 2, {}, "vr60ctl: serial: --power-off and --no-power-off together"},
        {{"serial", "--no-clear"}, {}, 2, {}, "vr60ctl: serial: NUMBER is missing (usage: vr60ctl serial [OPTIONS] NUMBER)"},
        {{"serial", "77", "78"}, {}, 2, {}, "vr60ctl: serial: unexpected '78' (usage: vr60ctl serial [OPTIONS] NUMBER)"},
        {{"serial", "--no-clear", "12a"}, {}, 11, {}, "'12a' is not a valid integer value"},
        {{"selftest", "--snr", "--no-snr"}, {}, 2, {}, "vr60ctl: selftest: --snr and --no-snr together"},
        {{"selftest", "--no-clear", "--items", "rtc", "--clear"}, {}, 2, {}, "vr60ctl: selftest: --clear and --no-clear together"},
        {{"download", "--no-clear", "--clear"}, {}, 2, {}, "vr60ctl: download: --clear and --no-clear together"},
        // A copy from Windows, in other letter case, is read; several such copies are not.
        {{"selftest", "--items", "rtc", "--no-clear"}, {{"vr60test.ini", "[VR60TEST]\r\nauto_poweroff=1\r\n"}}, 1,
         {"Read {W}/vr60test.ini as VR60Test.ini (the name differs only in letter case).",
          "Auto power-off is on: auto_poweroff=1 in {W}/vr60test.ini; after the self test, whatever its verdict, the device "
          "is switched off (--no-power-off skips it)"}, "Open COM port error!"},
        {{"selftest"}, {{"vr60test.ini", kNeither}, {"VR60TEST.INI", kNeither}}, 1,
         {"VR60Test.ini not found in {W}; several files there differ from it only in letter case (VR60TEST.INI, "
          "vr60test.ini): none of them was read, the defaults apply.",
          "Auto clear and auto power-off are on: the defaults of auto_log_clear and auto_poweroff (no {W}/VR60Test.ini was "
          "found); after the self test, whatever its verdict, " + kErase + " and the device is switched off (--no-clear "
          "and --no-power-off skip them)"}, "Open COM port error!"},
        {{"download"}, {{"vr60test.ini", "[VR60TEST]\r\nauto_log_clear_after_download=1\r\n"}}, 1,
         {"Read {W}/vr60test.ini as VR60Test.ini (the name differs only in letter case).",
          "Auto clear is on: auto_log_clear_after_download=1 in {W}/vr60test.ini; after a complete download the log, the "
          "track slots and the waypoints are erased (--no-clear keeps them)"}, "Open COM port error!"},
        // User names in the device's measure, without control characters or broken UTF-8.
        {{"username", "Bob\tSmith"}, {}, 11, {}, "vr60ctl: username refused: control character U+0009 (TAB) at character 4"},
        {{"username", "\x1b]0;x\x07"}, {}, 11, {}, "vr60ctl: username refused: control character U+001B (ESC) at character 1"},
        {{"username", "Ann\xff"}, {}, 11, {}, "vr60ctl: username refused: byte 0xFF at byte 4 is not UTF-8 text"},
        {{"username", "\xC3\x84\xC3\x96\xC3\x9C\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F\xC3\x84"}, {}, 11, {},
         "vr60ctl: username refused: 16 bytes (8 characters) once blanks are dropped; the device stores 1 to 15 bytes"},
        {{"poi", "write", "1=91,0", "3=abc"}, {}, 11, {},
         "vr60ctl: poi write: no slot has a valid pair (latitude,longitude in degrees, at most 7 decimals, latitude "
         "-90..90, longitude -180..180); nothing was sent"},
    };
    for (const Row& row : rows) {
        std::string name;
        for (const std::string& a : row.args)
            name += a + " ";
        SCOPED_TRACE(name);
        ScratchDir work;
        for (const auto& [file, text] : row.files)
            std::ofstream(work.file(file), std::ios::binary) << text;
        Strings args = {"--port", noPort};
        args.insert(args.end(), row.args.begin(), row.args.end());
        const CtlResult r = RunCtl(args, {}, work.path.string());
        EXPECT_EQ(r.status, row.status) << r.out << r.err;
        const Strings out = Lines(r.out);
        Strings expected;
        for (const std::string& line : row.out)
            expected.push_back(InFolder(line, work.path.string()));
        EXPECT_EQ(Strings(out.begin(), out.begin() + long(std::min(out.size(), expected.size()))), expected) << r.out;
        if (row.status != 1) {
            EXPECT_TRUE(r.out.empty()) << r.out;
        }
        EXPECT_EQ(Lines(r.err).empty() ? std::string() : Lines(r.err).front(), row.err) << r.err;
        for (const auto& [file, text] : row.files)
            EXPECT_EQ(ReadText(work.file(file)), text) << file;   // nothing written back without a device
    }
}

TEST(CtlStationSwitchesE2E, switchesDecideForOneRunAndAreNotWrittenBack)
{
    ScratchDir work;
    const std::string requests = work.file("requests.log");
    SimProcess sim({"--request-log", requests});
    ASSERT_FALSE(sim.ptyPath().empty());
    auto sent = [&](const char* key) {
        const Strings keys = Lines(ReadText(requests));
        return std::count(keys.begin(), keys.end(), key);
    };

    // No file: both would follow; skipped, and the file the run writes keeps them on.
    const CtlResult test = RunCtl({"--port", sim.ptyPath(), "selftest", "--no-clear", "--items", "rtc", "--no-snr",
                                   "--no-power-off"}, {}, work.path.string());
    EXPECT_EQ(test.status, 0) << test.out << test.err;
    EXPECT_EQ(sent("0x13"), 1);
    EXPECT_EQ(sent("5/4") + sent("0x1E") + sent("0x32") + sent("0x40"), 0);
    const std::string saved = ReadText(work.file("VR60Test.ini"));
    EXPECT_NE(saved.find("auto_log_clear=1\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("auto_poweroff=1\r\n"), std::string::npos) << saved;

    // The file now decides the clear; the power-off is skipped; the number written is said.
    const CtlResult serial = RunCtl({"--port", sim.ptyPath(), "serial", "--no-power-off", "77"}, {}, work.path.string());
    EXPECT_EQ(serial.status, 0) << serial.out << serial.err;
    const Strings out = Lines(serial.out);
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out.front(), "Auto clear is on: auto_log_clear=1 in " + work.file("VR60Test.ini") + kSerialTail + kErase +
                               " (--no-clear skips it)");
    EXPECT_TRUE(Contains(serial.out, "Auto clear is on: auto_log_clear=1 in " + work.file("VR60Test.ini") +
                                         ".\nClearing log data...\n"))
        << serial.out;
    EXPECT_TRUE(Contains(serial.out, "Serial number   000000077 written\n")) << serial.out;
    EXPECT_EQ(sent("5/2"), 1);
    EXPECT_EQ(sent("5/4"), 1);
    EXPECT_EQ(sent("0x40"), 0);
}

} // namespace
