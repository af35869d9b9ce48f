// The track store against the in-process device: the download's sixteen
// blocks, its bounded retries and a failure that keeps an earlier image, the slot erase, the upload in
// 240- and 48-byte blocks, and the tag invalidation's press counter.

#include <gtest/gtest.h>

#include "device/TrackRig.h"
#include "device/TrackStore.h"
#include "platform/ByteOrder.h"
#include "platform/ResultCode.h"
#include "sim/SimTrackStore.h"

namespace {

using Strings = std::vector<std::string>;

// Answers read block (or erase sector) only for the addresses from..to.
void AnswerOnly(SimDevice& device, int id, uint32_t from, uint32_t to)
{
    const SimDevice::Handler answer = device.handler(id);
    device.setHandler(id, [answer, from, to](SimDevice& d, const uint8_t* payload, int length) {
        if (Le32(payload + 1) >= from && Le32(payload + 1) < to)
            answer(d, payload, length);
    });
}

TEST(TrackStore, downloadCopiesTheStoreInSixteenBlocksThenConvertsIt)
{
    TrackRig t;
    const std::vector<uint8_t> image = GenerateTrackImage({3, 0, 1024, 1});
    t.device().logArea.setTrackStore(image);
    std::vector<uint32_t> reads;
    const SimDevice::Handler read = t.device().handler(4);
    t.device().setHandler(4, [&](SimDevice& d, const uint8_t* payload, int length) {
        reads.push_back(Le32(payload + 1) | uint32_t(Le16(payload + 5)) << 16);
        read(d, payload, length);
    });
    t.connect();
    EXPECT_EQ(TRK_DownloadClick(t.p()), 0);

    ASSERT_EQ(reads.size(), 16u);
    for (uint32_t k = 0; k < 16; ++k)
        EXPECT_EQ(reads[k], k * 0x1000 | 0x1000u << 16);   // address, then length 4096
    EXPECT_EQ(ReadFileBytes(kTrackImageFile), image);
    const Strings logs = t.rig.host.logs();
    EXPECT_EQ(Strings(logs.begin(), logs.begin() + 3), (Strings{".........", "Start downloading(65536 bytes)...",
                                                                "Tracks downloaded successfully (VR40_TRK_64KB.bin)."}));
    EXPECT_EQ(logs.back(), "TRK To RMC/GPX/KML conversion completed.");
    EXPECT_EQ(t.p().form.unseen.trackPoints, (std::array<std::string, 4>{"3", "0", "1000", "1"}));
    EXPECT_EQ(t.p().form.unseen.memo1Lines.back(), "Start downloading(65536 bytes)...");
    EXPECT_EQ(t.p().link.gauge.position, 65536);
    EXPECT_EQ(t.p().link.gauge.tag, 1);
    EXPECT_TRUE(t.rig.host.boxes().empty());
}

TEST(TrackStore, aDownloadThatStopsLeavesAnEarlierImageAsItWasAndConvertsNothing)
{
    struct Case {
        const char* what;
        std::function<void(SimDevice&)> fault;
        size_t requests;    // read-block requests made
        bool earlier;       // a complete image from an earlier download is there
    };
    const std::vector<Case> cases = {
        {"the third block's fourth attempt times out", [](SimDevice& d) { AnswerOnly(d, 4, 0, 0x2000); }, 2 + 4, true},
        // Three wrong-length answers cost an attempt: a broken device cannot hold the program forever.
        {"every answer is 32 bytes short", [](SimDevice& d) { d.faults.wrongLength[4] = kFaultForever; }, 4 * 3, false},
        {"the device hangs up at the third block", [](SimDevice& d) { d.faults.hangUpOn[4] = 3; }, 3, true},
        {"the device hangs up at the third block, no earlier image", [](SimDevice& d) { d.faults.hangUpOn[4] = 3; }, 3,
         false},
    };
    const std::vector<uint8_t> earlier = GenerateTrackImage({2, 2, 2, 2});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TrackRig t;
        if (c.earlier)
            std::ofstream(kTrackImageFile, std::ios::binary)
                .write(reinterpret_cast<const char*>(earlier.data()), std::streamsize(earlier.size()));
        t.connect();
        c.fault(t.device());
        EXPECT_EQ(TRK_DownloadClick(t.p()), 4);
        EXPECT_EQ(t.requestsOf(4), c.requests);
        EXPECT_EQ(ReadFileBytes(kTrackImageFile), c.earlier ? earlier : std::vector<uint8_t>());
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(t.dir.path), {}), c.earlier ? 2 : 1)
            << "only the image and the converter stand-in";
        EXPECT_EQ(t.rig.host.logs().back(), "Failed to download TRK data!");
        EXPECT_EQ(t.rig.host.boxes(), Strings{"VR40 TRK Download failed!"});
        EXPECT_FALSE(std::filesystem::exists(t.argvLog));
    }
}

TEST(TrackStore, eraseDeletesTheCheckedSlotsThatAnswerThenDownloadsAgain)
{
    using Sectors = std::vector<uint32_t>;
    // Checked slots, erase sectors answered from, result, sectors erased, the first line.
    const std::vector<std::tuple<std::array<bool, 4>, uint32_t, int, Sectors, std::string>> cases = {
        {{false, false, true, false}, 0, 0, {0x8000, 0x9000, 0xA000, 0xB000}, "Track 3 deleted."},
        {{true, true, false, false}, 0x4000, 10, {0x4000, 0x5000, 0x6000, 0x7000}, "Track 2 deleted."},
        {{false, false, false, false}, 0, 0, {}, ""},
    };
    for (const auto& [checked, answeredFrom, result, erased, first] : cases) {
        TrackRig t;
        t.connect();
        AnswerOnly(t.device(), 0x1E, answeredFrom, 0x10000);
        t.p().form.unseen.trackChecked = checked;
        bool enabled = true;
        EXPECT_EQ(TRK_EraseClick(t.p(), &enabled), result);
        EXPECT_EQ(t.device().logArea.erasedSectors, erased);
        const Strings logs = t.rig.host.logs();
        EXPECT_EQ(logs.empty() ? "" : logs.front(), first);   // a slot whose erase failed is not "deleted"
        EXPECT_EQ(t.requestsOf(4), erased.empty() ? 0u : 16u);
        EXPECT_EQ(t.rig.host.boxes(), result ? Strings{" Erase Track:No ack!,retry failed "} : Strings{});
        EXPECT_TRUE(enabled);
    }
}

TEST(TrackStore, uploadWritesTheWholeImageInTheLargestBlocksTheDeviceTakes)
{
    for (const bool extended : {true, false}) {
        TrackRig t;
        t.device().trackStore.extendedBuffer = extended;
        t.device().logArea.setTrackStore(GenerateTrackImage({1024, 1024, 1024, 1024}));
        const std::vector<uint8_t> image = GenerateTrackImage({7, 0, 300, 2});
        WriteBytes(kTrackUploadFile, image);
        t.connect();
        EXPECT_EQ(TRK_UploadClick(t.p()), 0);
        EXPECT_EQ(t.requestsOf(0x1D), extended ? 274u : 1366u);
        EXPECT_EQ(t.store(), image);
        EXPECT_EQ(t.requestsOf(0x1E), 16u);
        const Strings logs = t.rig.host.logs();
        EXPECT_EQ(Strings(logs.begin(), logs.begin() + 3),
                  (Strings{"Start uploading(65536 bytes)...",
                           extended ? "Device extend buffer cmd supported. " : "Device extend buffer cmd not supported!",
                           extended ? "(240/65536)" : "(48/65536)"}));
        EXPECT_EQ(logs.back(), "(65536/65536)");
    }
}

TEST(TrackStore, uploadRefusesABadFileBeforeErasingAndStopsWhenTheDeviceGoes)
{
    const std::vector<std::tuple<long, const char*, int>> files = {
        {-1, "Load trk file(64K bin) failed!", kCannotOpen},
        {0, "Load trk file(64K bin) failed!", kEmptyFile},
        {65535, "Load trk file(64K bin) file size error!", 11},
        {65537, "Load trk file(64K bin) file size error!", 11},
    };
    for (const auto& [size, box, result] : files) {
        TrackRig t;
        if (size >= 0)
            WriteBytes(kTrackUploadFile, std::vector<uint8_t>(size_t(size), 0x11));
        t.connect();
        EXPECT_EQ(TRK_UploadClick(t.p()), result);
        EXPECT_EQ(t.rig.host.boxes(), Strings{box});
        EXPECT_EQ(t.requestsOf(0x1E), 0u);
    }
    {
        // Flash takes writes only into erased bytes: a slot that stays unerased stops the upload.
        TrackRig t;
        WriteBytes(kTrackUploadFile, GenerateTrackImage({9, 9, 9, 9}));
        const std::vector<uint8_t> store = GenerateTrackImage({5, 5, 5, 5});
        t.device().logArea.setTrackStore(store);
        t.device().faults.dropAnswers[0x1E] = kFaultForever;
        t.connect();
        EXPECT_EQ(TRK_UploadClick(t.p()), 3);
        EXPECT_EQ(t.requestsOf(0x1D), 0u);
        EXPECT_EQ(t.store(), store);
        EXPECT_EQ(t.rig.host.logs().back(), "Failed to upload TRK data!");
    }
    TrackRig t;
    WriteBytes(kTrackUploadFile, GenerateTrackImage({9, 9, 9, 9}));
    t.device().faults.hangUpOn[0x1D] = 100;
    t.connect();
    EXPECT_EQ(TRK_UploadClick(t.p()), 3);
    const Strings logs = t.rig.host.logs();
    // Block 100 reaches a port that has hung up: four tries, then the end.
    EXPECT_EQ(Strings(logs.end() - 7, logs.end()),
              (Strings{"(23760/65536)", "COM port closed by the other side (device unplugged?): COM7. Disconnect "
                       "and connect again.", "Timeout:No ack", "Timeout:No ack", "Timeout:No ack", "Timeout:No ack",
                       "Failed to upload TRK data!"}));
    EXPECT_EQ(t.rig.host.boxes(), Strings{"VR40 TRK Upload  failed!"});
}

TEST(TrackStore, onlyTheFirstThreeTagDeletePressesAct)
{
    TrackRig t;
    t.connect();
    t.p().form.unseen.trackChecked = {true, false, true, false};
    t.device().faults.dropAnswers[0x37] = 1;
    EXPECT_EQ(Button5Click(t.p()), 3);
    EXPECT_EQ(Button5Click(t.p()), 0);
    EXPECT_EQ(Button5Click(t.p()), 0);
    EXPECT_EQ(t.rig.host.logs(), (Strings{"Delete track...", "Invalid trk tag failed!", "Inavlid trk tag OK. ",
                                          "Delete track...", "Inavlid trk tag OK. ", "Inavlid trk tag OK. ",
                                          "Delete track...", "Inavlid trk tag OK. ", "Inavlid trk tag OK. "}));
    EXPECT_EQ(t.device().trackStore.tagInvalidations, (std::array<int, 4>{2, 0, 3, 0}));
    t.rig.clearEvents();
    EXPECT_EQ(Button5Click(t.p()), 11);
    EXPECT_EQ(t.requestsOf(0x37), 6u);
    EXPECT_TRUE(t.rig.host.events.empty());
}

} // namespace
