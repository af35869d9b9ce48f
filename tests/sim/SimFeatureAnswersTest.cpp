// What the simulated device answers to the feature requests (identity writes,
// control commands, track store, POI slots, self test), with their faults,
// checked frame by frame on a virtual clock.

#include <functional>

#include <gtest/gtest.h>

#include "sim/SimWire.h"
#include "support/Files.h"

namespace {

using Options = std::vector<std::pair<std::string, std::string>>;
const WireFrame kAckFrame{kAck, {}};

Options Concat2(Options a, const Options& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes Text(const std::string& s, size_t size)
{
    Bytes out(s.begin(), s.end());
    out.resize(size, 0);
    return out;
}

struct AnswerCase {
    const char* what;
    Options options;
    Bytes request;
    std::vector<WireFrame> answers;
    std::function<void(const SimDevice&)> check = {};
    std::vector<WireFrame> later = {};   // what falls due within the next minute
};

TEST(SimAnswers, eachRequestIsAnsweredWithItsFrameOrNotAtAll)
{
    ScratchDir requests;
    const Bytes bob = Concat({{3}, Text("Bob", 16)});
    const std::vector<AnswerCase> cases = {
        {"serial write echoes", {}, Frame(5, {2, 0x15, 0xCD, 0x5B, 0x07}), {{0x82, {0x15, 0xCD, 0x5B, 0x07}}},
         [](const SimDevice& d) { EXPECT_EQ(d.model.serialNumber, 123456789); }},
        {"serial 0", {}, Frame(5, {2, 0, 0, 0, 0}), {{0x82, {0, 0, 0, 0}}}},
        {"ten digits are not stored", {}, Frame(5, Concat({{2}, LeBytes(1000000000)})), {{0x82, LeBytes(1234)}},
         [](const SimDevice& d) { EXPECT_EQ(d.model.serialNumber, 1234); }},
        {"serial bad echo", {{"fault", "badecho=5/2"}}, Frame(5, Concat({{2}, LeBytes(123456789)})),
         {{0x82, LeBytes(123456788)}}, [](const SimDevice& d) { EXPECT_EQ(d.model.serialNumber, 1234); }},
        {"serial short request", {}, Frame(5, {2, 1, 2, 3}), {}},
        {"name write echoes", {}, Frame(5, bob), {{0x83, Text("Bob", 16)}},
         [](const SimDevice& d) { EXPECT_EQ(d.model.userName, "Bob"); }},
        {"name byte 16 is ignored", {}, Frame(5, Concat({{3}, Text("ABCDEFGHIJKLMNOP", 16)})),
         {{0x83, Text("ABCDEFGHIJKLMNO", 16)}},
         [](const SimDevice& d) { EXPECT_EQ(d.model.userName, "ABCDEFGHIJKLMNO"); }},
        {"name bad echo", {{"fault", "badecho=5/3"}}, Frame(5, bob), {{0x83, Text("Cob", 16)}},
         [](const SimDevice& d) { EXPECT_EQ(d.model.userName, "username"); }},
        {"name dropped", {{"fault", "drop=5/3"}}, Frame(5, bob), {}},

        {"reboot", {}, Cmd(0x14), {kAckFrame}, [](const SimDevice& d) { EXPECT_EQ(d.control.reboots, 1); }},
        {"nmea on", {}, Cmd(0x15), {kAckFrame}, [](const SimDevice& d) { EXPECT_TRUE(d.control.nmeaForwarding); }},
        {"nmea off", {}, Cmd(0x16), {kAckFrame}},
        {"gps on", {}, Cmd(0x17), {kAckFrame}},
        {"gps off", {}, Cmd(0x18), {kAckFrame}, [](const SimDevice& d) { EXPECT_FALSE(d.control.gpsPower); }},
        {"cold start", {}, Cmd(0x19), {kAckFrame}, [](const SimDevice& d) { EXPECT_EQ(d.control.coldStarts, 1); }},
        {"cold start dropped", {{"fault", "drop=0x19"}}, Cmd(0x19), {}},
        {"debug flag", {}, Cmd(0x1B), {kAckFrame}, [](const SimDevice& d) { EXPECT_TRUE(d.control.debugFlag); }},
        {"power off", {}, Cmd(0x40), {kAckFrame}, [](const SimDevice& d) { EXPECT_TRUE(d.control.poweredOff); }},

        {"poi default slot 1", {}, CmdArg(0x30, 0), {{0xB0, Concat({LeBytes(523702157), LeBytes(48951679)})}}},
        {"poi set slot 3", {{"poi", "3=12.3456789,-98.7654321"}}, CmdArg(0x30, 2),
         {{0xB0, Concat({LeBytes(123456789), LeBytes(uint32_t(-987654321))})}}},
        {"poi half a degree south", {{"poi", "4=-0.5,180"}}, CmdArg(0x30, 3),
         {{0xB0, Concat({LeBytes(uint32_t(-5000000)), LeBytes(1800000000)})}}},
        {"poi signed as the window types it", {{"poi", "2=+45.5, +7"}}, CmdArg(0x30, 1),
         {{0xB0, Concat({LeBytes(455000000), LeBytes(70000000)})}}},
        {"poi empty slot", {{"poi", "1=empty"}}, CmdArg(0x30, 0), {}},
        {"poi slot 5", {}, CmdArg(0x30, 4), {}},
        {"poi short", {{"fault", "short=0x30"}}, CmdArg(0x30, 0), {{0xB0, {0x8D}}}},
        {"poi write", {},
         {0xA0, 0xA2, 0x0A, 0x00, 0x31, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0x32, 0x00, 0xB0, 0xB3}, {kAckFrame},
         [](const SimDevice& d) { EXPECT_EQ(d.poi.slots[1], (SimPoiPoint{0, 0})); }},
        {"poi delete", {}, CmdArg(0x32, 0), {kAckFrame},
         [](const SimDevice& d) { EXPECT_FALSE(d.poi.slots[0].has_value()); }},

        {"extended buffer", {}, Cmd(0x35), {kAckFrame}},
        {"no extended buffer", {{"extended-buffer", "no"}}, Cmd(0x35), {}},
        {"240-byte block", {}, WriteBlock(0x4000, Bytes(240, 0x5A)), {kAckFrame},
         [](const SimDevice& d) { EXPECT_EQ(d.logArea.byteAt(0x40EF), 0x5A); }},
        {"241-byte block", {}, WriteBlock(0, Bytes(241, 0)), {}},
        {"49 bytes without the buffer", {{"extended-buffer", "no"}}, WriteBlock(0, Bytes(49, 0)), {}},
        {"48 bytes without the buffer", {{"extended-buffer", "no"}}, WriteBlock(0, Bytes(48, 0)), {kAckFrame}},
        {"block past the store", {}, WriteBlock(0xFFF0, Bytes(32, 0)), {}},
        {"block length disagrees", {}, Frame(0x1D, Concat({LeBytes(0), {8, 0}, Bytes(7, 0)})), {}},
        {"tag slot 2", {}, Frame(0x37, {1}), {kAckFrame},
         [](const SimDevice& d) { EXPECT_EQ(d.trackStore.tagInvalidations[1], 1); }},
        {"tag slot 5", {}, Frame(0x37, {4}), {}},
        {"track read", {}, ReadBlock(0x1000, 4096), {{0x84, Bytes(4096, 0xFF)}}},
        {"track read wrong length", {{"fault", "wronglen=4:1"}}, ReadBlock(0xF000, 4096), {{0x84, Bytes(4064, 0xFF)}}},

        {"snr measurement", {}, Cmd(0x42), {kAckFrame},
         [](const SimDevice& d) { EXPECT_EQ(d.selfTest.measurementStartMs, 0); }},
        {"self test start", {}, Frame(0x13, LeBytes(0x0401003B)), {kAckFrame},
         [](const SimDevice& d) { EXPECT_EQ(d.selfTest.selections, std::vector<uint32_t>{0x0401003B}); },
         {{0x93, LeBytes(0x0401003B)}}},
        {"self test short request", {}, Frame(0x13, {1, 2, 3}), {}},
        {"battery", {}, Cmd(0x34), {{0xB4, {0xA7, 0x01, 0, 0}}}},
        {"battery set", {{"battery", "417"}}, Cmd(0x34), {{0xB4, {0xA1, 0x01, 0, 0}}}},
        {"battery short", {{"fault", "short=0x34"}}, Cmd(0x34), {{0xB4, {0xA7}}}},
        {"battery dropped", {{"fault", "drop=52"}}, Cmd(0x34), {}},
        {"snr", {}, Cmd(0x41), {{0xC1, {42, 17}}}},
        {"snr set", {{"snr", "40"}, {"snr-satellite", "3"}}, Cmd(0x41), {{0xC1, {40, 3}}}},
        {"versions", {{"gps", "1.05,x,GSD"}}, Cmd(0x43), {{0xC3, Text("1.05,x,GSD", 11)}}},
        {"versions short", {{"fault", "short=0x43"}}, Cmd(0x43), {{0xC3, {'V'}}}},

        {"any answer 32 bytes off", {{"fault", "wronglen=0x30"}}, CmdArg(0x30, 0),
         {{0xB0, Concat({LeBytes(523702157), LeBytes(48951679), Bytes(32, 0xFF)})}}},
        {"an acknowledgement cut", {{"fault", "cut=0x15"}}, Cmd(0x15), {}},
        {"hang-up inside the answer", {{"fault", "hangup-bytes=0x34:12"}}, Cmd(0x34), {},
         [](const SimDevice& d) { EXPECT_TRUE(d.hungUp()); }},
        {"hang-up after the answer", {{"fault", "hangup-bytes=0x34:13"}}, Cmd(0x34), {{0xB4, {0xA7, 0x01, 0, 0}}},
         [](const SimDevice& d) { EXPECT_TRUE(d.hungUp()); }},
        {"hang-up counted from another request", {{"fault", "hangup-bytes=0x41:0"}}, Cmd(0x34),
         {{0xB4, {0xA7, 0x01, 0, 0}}}, [](const SimDevice& d) { EXPECT_FALSE(d.hungUp()); }},
        {"requests logged to a file", {{"request-log", requests.file("log")}}, CmdArg(5, 4), {kAckFrame},
         [&requests](const SimDevice&) { EXPECT_EQ(ReadText(requests.file("log")), "5/4\n"); },
         {{0x84, {}}}},
    };
    for (const AnswerCase& c : cases) {
        SCOPED_TRACE(c.what);
        SimWire wire;
        wire.options(c.options);
        EXPECT_EQ(wire.send(c.request), c.answers);
        EXPECT_EQ(wire.wait(60000), c.later);
        if (c.check)
            c.check(wire.device);
    }
}

struct Step {
    int64_t atMs;
    Bytes request;   // sent at atMs, after what fell due by then
    std::vector<WireFrame> answers;
};

struct TimedCase {
    const char* what;
    Options options;
    std::vector<Step> steps;
};

TEST(SimAnswers, timedAnswersSilenceAndLateFaults)
{
    const Bytes start = Frame(0x13, LeBytes(0x8401003B));
    const WireFrame result{0x93, LeBytes(0x8401003A)};
    const Options selfTest = {{"selftest-delay", "2000"}, {"selftest-pass", "0xFFFFFFFE"}};
    const Bytes sync = Cmd(1);
    const std::vector<TimedCase> cases = {
        {"result after the delay", selfTest, {{0, start, {kAckFrame}}, {1999, {}, {}}, {2000, {}, {result}}}},
        {"late start: both late",
         Concat2(selfTest, {{"fault", "late=0x13"}, {"late-ms", "2600"}}),
         {{0, start, {}}, {2599, {}, {}}, {2600, {}, {kAckFrame}}, {4599, {}, {}}, {4600, {}, {result}}}},
        {"acknowledged, no result", Concat2(selfTest, {{"fault", "nocompletion=0x13:1"}}),
         {{0, start, {kAckFrame}}, {60000, start, {kAckFrame}}, {62000, {}, {result}}}},
        {"late once", {{"fault", "late=0x41:1"}},
         {{0, Cmd(0x41), {}}, {3000, Cmd(0x41), {{0xC1, {42, 17}}, {0xC1, {42, 17}}}}}},
        {"reboot: silent, then answers; pending result dropped", selfTest,
         {{0, start, {kAckFrame}},
          {0, Cmd(0x14), {kAckFrame}},
          {2999, sync, {}},
          {3000, sync, {kAckFrame}},
          {60000, {}, {}}}},
        {"reboot silence set", {{"reboot-silence", "500"}}, {{0, Cmd(0x14), {kAckFrame}}, {500, sync, {kAckFrame}}}},
        {"power off: never again", {}, {{0, Cmd(0x40), {kAckFrame}}, {1, sync, {}}, {3600000, Cmd(0x34), {}}}},
        {"late power-off acknowledgement still comes", {{"fault", "late=0x40"}},
         {{0, Cmd(0x40), {}}, {3000, sync, {kAckFrame}}}},
    };
    for (const TimedCase& c : cases) {
        SCOPED_TRACE(c.what);
        SimWire wire;
        wire.options(c.options);
        for (const Step& s : c.steps) {
            SCOPED_TRACE(s.atMs);
            std::vector<WireFrame> got = wire.wait(s.atMs - wire.nowMs);
            if (!s.request.empty()) {
                const std::vector<WireFrame> more = wire.send(s.request);
                got.insert(got.end(), more.begin(), more.end());
            }
            EXPECT_EQ(got, s.answers);
        }
    }
}

TEST(SimTrackStore, generatedTracksReadBackAndWritesProgramFlash)
{
    SimWire wire;
    wire.options({{"tracks", "3,0,1024,1"}});
    auto readStore = [&] {
        Bytes store;
        for (uint32_t address = 0; address < 0x10000; address += 4096) {
            const std::vector<WireFrame> got = wire.send(ReadBlock(address, 4096));
            EXPECT_EQ(got.size(), 1u);
            if (got.size() == 1)
                store.insert(store.end(), got[0].data.begin(), got[0].data.end());
        }
        return store;
    };
    const Bytes image = GenerateTrackImage({3, 0, 1024, 1});
    ASSERT_EQ(readStore(), image);
    auto dateTime = [&](uint32_t slot, uint32_t point) {
        const uint8_t* p = image.data() + slot * 16384 + point * 16;
        return uint32_t(p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24);
    };
    // 2024-06-01 10:00:00; the track ends where the blank starts.
    EXPECT_EQ(dateTime(0, 0), (uint32_t(24 * 12 + 6) << 22 | 1u << 17 | 10u << 12));
    EXPECT_EQ(dateTime(0, 3), 0xFFFFFFFFu);
    EXPECT_EQ(dateTime(1, 0), 0xFFFFFFFFu);
    EXPECT_NE(dateTime(2, 1023), 0xFFFFFFFFu);
    EXPECT_EQ(image[2 * 16384 + 12] | image[2 * 16384 + 13] << 8, 1015);   // altitude + 1000

    // Slot 3 erased and written in 240-byte blocks reads back as written; slot 1
    // written over without an erase keeps only the bits both have.
    for (uint32_t sector : {0x8000u, 0x9000u, 0xA000u, 0xB000u})
        ASSERT_EQ(wire.send(Frame(0x1E, LeBytes(sector))), std::vector<WireFrame>{kAckFrame});
    Bytes expected = image;
    for (uint32_t at = 0; at < 16384; at += 240) {
        Bytes block(std::min(240u, 16384 - at));
        for (size_t i = 0; i < block.size(); ++i)
            block[i] = uint8_t((at + i) * 7);
        std::copy(block.begin(), block.end(), expected.begin() + 0x8000 + at);
        ASSERT_EQ(wire.send(WriteBlock(0x8000 + at, block)), std::vector<WireFrame>{kAckFrame});
    }
    const Bytes pattern(48, 0x0F);
    ASSERT_EQ(wire.send(WriteBlock(0, pattern)), std::vector<WireFrame>{kAckFrame});
    for (size_t i = 0; i < pattern.size(); ++i)
        expected[i] &= 0x0F;
    EXPECT_EQ(readStore(), expected);
    EXPECT_EQ(wire.device.trackStore.blocksWritten, 70);
}

TEST(SimOptions, badValuesAreRefusedWithAReason)
{
    const Options bad = {
        {"tracks", "1,2,3"},     {"tracks", "1,2,3,1025"}, {"tracks", "1,2,3,4,5"}, {"track-file", "/nonexistent"},
        {"poi", "0=1,1"},        {"poi", "1=90.0000001,0"}, {"poi", "1=1"},         {"poi", "2=1.5,x"},
        {"poi", "2=1.12345678,0"}, {"extended-buffer", "1"}, {"battery", "65536"},   {"snr", "256"},
        {"snr-satellite", "-1"}, {"selftest-pass", "0x100000000"}, {"selftest-delay", "soon"},
        {"reboot-silence", "-1"}, {"late-ms", ""},          {"fault", "short=0x34:x"}, {"fault", "badecho"},
        {"fault", "late=5/x"},
        {"fault", "hangup-bytes=-1"}, {"fault", "hangup-bytes=0x99x:3"},
    };
    for (const auto& [name, value] : bad) {
        SimDevice device;
        std::string error;
        EXPECT_FALSE(ApplySimOption(device, name, value, &error)) << name << ' ' << value;
        EXPECT_FALSE(error.empty()) << name << ' ' << value;
    }
}

} // namespace
