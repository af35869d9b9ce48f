// The track store against the in-process device: the download's sixteen
// blocks, its bounded retries and partial file, the slot erase, the upload in
// 240- and 48-byte blocks, and the tag invalidation's press counter.

#include <gtest/gtest.h>

#include "device/TrackStore.h"
#include "device/TrackRig.h"
#include "sim/SimTrackStore.h"

namespace {

using Strings = std::vector<std::string>;

bool Contains(const Strings& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::vector<uint32_t> Every4096From(uint32_t first, uint32_t end)
{
    std::vector<uint32_t> out;
    for (uint32_t a = first; a < end; a += 0x1000)
        out.push_back(a);
    return out;
}

TEST(TrackStore, downloadCopiesTheStoreInSixteenBlocksThenConvertsIt)
{
    TrackRig t;
    const std::vector<uint8_t> image = GenerateTrackImage({3, 0, 1024, 1});
    t.device().logArea.setTrackStore(image);
    t.connect();
    EXPECT_EQ(TRK_DownloadClick(t.p()), 0);
    EXPECT_EQ(t.blockReads, Every4096From(0, 0x10000));
    EXPECT_EQ(ReadFileBytes(kTrackImageFile), image);
    const Strings logs = t.rig.host.logs();
    const Strings head(logs.begin(), logs.begin() + 3);
    EXPECT_EQ(head, (Strings{".........", "Start downloading(65536 bytes)...",
                             "Tracks downloaded successfully (VR40_TRK_64KB.bin)."}));
    EXPECT_EQ(logs.back(), "TRK To RMC/GPX/KML conversion completed.");
    EXPECT_EQ(t.p().form.unseen.trackPoints, (std::array<std::string, 4>{"3", "0", "1000", "1"}));
    EXPECT_EQ(t.p().form.unseen.memo1Lines.back(), "Start downloading(65536 bytes)...");
    EXPECT_EQ(t.p().link.gauge.position, 65536);
    EXPECT_EQ(t.p().link.gauge.tag, 1);
    EXPECT_FALSE(t.rig.host.busyCursor);
    EXPECT_TRUE(t.rig.host.boxes().empty());
}

TEST(TrackStore, aDownloadThatStopsKeepsTheBlocksReceivedAndConvertsNothing)
{
    struct Case {
        const char* what;
        std::function<void(TrackRig&)> fault;
        size_t requests;    // read-block requests made
        size_t fileBytes;   // what the image file keeps
    };
    const std::vector<Case> cases = {
        {"the third block's fourth attempt times out",
         [](TrackRig& t) {
             const SimDevice::Handler read = t.device().handler(4);
             t.device().setHandler(4, [read](SimDevice& d, const uint8_t* payload, int length) {
                 if (Le32(payload + 1) < 0x2000)
                     read(d, payload, length);
             });
         },
         2 + 4, 0x2000},
        // Three wrong-length answers cost an attempt: a broken device cannot hold the program forever.
        {"every answer is 32 bytes short", [](TrackRig& t) { t.device().faults.wrongLength[4] = kFaultForever; },
         4 * 3, 0},
        {"the device hangs up at the third block", [](TrackRig& t) { t.device().faults.hangUpOn[4] = 3; }, 3,
         0x2000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TrackRig t;
        t.connect();
        t.blockReads.clear();
        c.fault(t);
        EXPECT_EQ(TRK_DownloadClick(t.p()), 4);
        EXPECT_EQ(t.requestsOf(4), c.requests);
        EXPECT_EQ(ReadFileBytes(kTrackImageFile).size(), c.fileBytes);
        const Strings logs = t.rig.host.logs();
        EXPECT_TRUE(Contains(logs, "Failed to download TRK data!"));
        EXPECT_FALSE(Contains(logs, "TRK To RMC/GPX/KML conversion completed."));
        EXPECT_EQ(t.rig.host.boxes(), Strings{"VR40 TRK Download failed!"});
        EXPECT_EQ(t.p().link.gauge.tag, 1);
        EXPECT_FALSE(std::filesystem::exists(t.argvLog));
    }
}

TEST(TrackStore, eraseDeletesOnlyTheCheckedSlotsThenDownloadsAgain)
{
    {
        TrackRig t;
        t.device().logArea.setTrackStore(GenerateTrackImage({5, 5, 5, 5}));
        t.connect();
        t.p().form.unseen.trackChecked = {false, false, true, false};
        bool enabled = true;
        EXPECT_EQ(TRK_EraseClick(t.p(), &enabled), 0);
        EXPECT_EQ(t.device().logArea.erasedSectors, (std::vector<uint32_t>{0x8000, 0x9000, 0xA000, 0xB000}));
        EXPECT_EQ(t.rig.host.logs().front(), "Track 3 deleted.");
        EXPECT_EQ(t.blockReads.size(), 16u);
        EXPECT_EQ(t.p().form.unseen.trackPoints, (std::array<std::string, 4>{"5", "5", "0", "5"}));
        EXPECT_EQ(t.rig.host.sleeps.back(), 100);
        EXPECT_TRUE(enabled);
    }
    {
        TrackRig t;
        t.connect();
        t.p().form.unseen.trackChecked = {false, false, false, false};
        const size_t before = t.device().requestLog().size();
        EXPECT_EQ(TRK_EraseClick(t.p()), 0);
        EXPECT_EQ(t.device().requestLog().size(), before);
        EXPECT_TRUE(t.rig.host.events.empty());
    }
    // A slot whose erase failed is not reported deleted; the other slots and the download go on.
    TrackRig t;
    t.connect();
    t.p().form.unseen.trackChecked = {true, true, false, false};
    const SimDevice::Handler erase = t.device().handler(0x1E);
    t.device().setHandler(0x1E, [erase](SimDevice& d, const uint8_t* payload, int length) {
        if (Le32(payload + 1) >= 0x4000)
            erase(d, payload, length);
    });
    EXPECT_EQ(TRK_EraseClick(t.p()), 10);
    const Strings logs = t.rig.host.logs();
    EXPECT_FALSE(Contains(logs, "Track 1 deleted."));
    EXPECT_EQ(logs.front(), "Track 2 deleted.");
    EXPECT_EQ(t.rig.host.boxes(), Strings{" Erase Track:No ack!,retry failed "});
    EXPECT_EQ(t.blockReads.size(), 16u);
}

TEST(TrackStore, uploadWritesTheWholeImageInTheLargestBlocksTheDeviceTakes)
{
    for (const bool extended : {true, false}) {
        SCOPED_TRACE(extended ? "240-byte blocks" : "48-byte blocks");
        TrackRig t;
        t.device().trackStore.extendedBuffer = extended;
        t.device().logArea.setTrackStore(GenerateTrackImage({1024, 1024, 1024, 1024}));
        const std::vector<uint8_t> image = GenerateTrackImage({7, 0, 300, 2});
        WriteBytes(kTrackUploadFile, image);
        t.connect();
        EXPECT_EQ(TRK_UploadClick(t.p()), 0);
        EXPECT_EQ(t.requestsOf(0x1D), extended ? 274u : 1366u);
        EXPECT_EQ(t.store(), image);
        EXPECT_EQ(t.device().logArea.erasedSectors, Every4096From(0, 0x10000));
        const Strings logs = t.rig.host.logs();
        EXPECT_TRUE(Contains(logs, "Start uploading(65536 bytes)..."));
        EXPECT_TRUE(Contains(logs, extended ? "Device extend buffer cmd supported. "
                                            : "Device extend buffer cmd not supported!"));
        EXPECT_TRUE(Contains(logs, extended ? "(240/65536)" : "(48/65536)"));
        EXPECT_EQ(logs.back(), "(65536/65536)");
        EXPECT_EQ(t.p().trackUploadChunk, extended ? 240 : 48);
        EXPECT_TRUE(t.rig.host.boxes().empty());
    }
}

TEST(TrackStore, uploadRefusesABadFileBeforeErasingAndStopsWhenTheDeviceGoes)
{
    struct Case {
        const char* what;
        long size;   // -1: no file
        const char* box;
        int result;
    };
    const std::vector<Case> cases = {
        {"no file", -1, "Load trk file(64K bin) failed!", 140},
        {"empty file", 0, "Load trk file(64K bin) failed!", 2},
        {"one byte short", 65535, "Load trk file(64K bin) file size error!", 11},
        {"one byte long", 65537, "Load trk file(64K bin) file size error!", 11},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TrackRig t;
        if (c.size >= 0)
            WriteBytes(kTrackUploadFile, std::vector<uint8_t>(size_t(c.size), 0x11));
        t.connect();
        const std::vector<uint8_t> before = t.store();
        EXPECT_EQ(TRK_UploadClick(t.p()), c.result);
        EXPECT_EQ(t.rig.host.boxes(), Strings{c.box});
        EXPECT_EQ(t.requestsOf(0x1E), 0u);
        EXPECT_EQ(t.store(), before);
    }
    TrackRig t;
    WriteBytes(kTrackUploadFile, GenerateTrackImage({9, 9, 9, 9}));
    t.device().faults.hangUpOn[0x1D] = 100;
    t.connect();
    EXPECT_EQ(TRK_UploadClick(t.p()), 3);
    EXPECT_EQ(t.requestsOf(0x1D), 100u);   // a port that hung up takes no more
    const Strings logs = t.rig.host.logs();
    EXPECT_EQ(Strings(logs.end() - 5, logs.end()),
              (Strings{"Timeout:No ack", "Timeout:No ack", "Timeout:No ack", "Timeout:No ack",
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
    EXPECT_EQ(t.device().trackStore.tagInvalidations, (std::array<int, 4>{2, 0, 3, 0}));
    const size_t before = t.device().requestLog().size();
    t.rig.clearEvents();
    EXPECT_EQ(Button5Click(t.p()), 11);
    EXPECT_EQ(t.device().requestLog().size(), before);
    EXPECT_TRUE(t.rig.host.events.empty());
    EXPECT_EQ(t.p().tagDeletePresses, 4);
}

TEST(TrackStore, withoutALinkEachOperationShowsItsDialog)
{
    TrackRig t;
    EXPECT_EQ(TRK_DownloadClick(t.p()), 1);
    EXPECT_EQ(TRK_EraseClick(t.p()), 1);
    EXPECT_EQ(TRK_UploadClick(t.p()), 1);
    EXPECT_EQ(Button5Click(t.p()), 1);
    EXPECT_EQ(t.rig.host.boxes(), (Strings{"Com Port Error!", "Com port error!", "Com port error!", "Com port error!"}));
    EXPECT_EQ(t.p().tagDeletePresses, 0);
    EXPECT_FALSE(std::filesystem::exists(kTrackImageFile));
}

} // namespace
