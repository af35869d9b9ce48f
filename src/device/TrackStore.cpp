#include "device/TrackStore.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "basics/WholeFile.h"
#include "device/CheckedSlots.h"
#include "device/TrackConversion.h"
#include "link/BlockRead.h"
#include "link/Exchange.h"
#include "link/FrameEncoder.h"
#include "link/LinkBusyGuard.h"
#include "link/TransferStart.h"
#include "logdata/LogClear.h"
#include "platform/ByteOrder.h"
#include "platform/FileAccess.h"
#include "platform/ResultCode.h"
#include "program/Program.h"

namespace {

constexpr uint16_t kReadBlockBytes = 4096;
// A healthy device answers every block in order: late answers are not tracked.
constexpr BlockReadSettings kStoreRead{.requestId = 0x04, .answerId = 0x84, .attempts = 4, .budget = 250};
constexpr uint16_t kWriteBudget = 800;
constexpr int kWriteAttempts = 4;
constexpr uint16_t kExtendedChunk = 240;
constexpr uint16_t kPlainChunk = 48;

// Inserts text at the end of the debug memo without a line break.
void InsertInMemo1(Program& p, const std::string& text)
{
    std::vector<std::string>& memo = p.form.unseen.memo1Lines;
    if (memo.empty())
        memo.emplace_back();
    memo.back() += text;
}

bool WriteStoreBlock(Program& p, SerialLink* link, uint32_t address, const uint8_t* bytes, uint16_t length)
{
    std::vector<uint8_t> request(6 + length);
    PutLe32(request.data(), address);
    PutLe16(request.data() + 4, length);
    std::memcpy(request.data() + 6, bytes, length);
    for (int attempt = 0; attempt < kWriteAttempts && !StopRequested(p.link); ++attempt) {
        SendFrame(link, 0x1D, request.data(), uint16_t(request.size()));
        if (WaitResponseShort(p.link, link, kAck, kWriteBudget) == 0)
            return true;
        if (StopRequested(p.link))
            break;
        p.host.logLine("Timeout:No ack");
    }
    return false;
}

} // namespace

ResultCode TRK_DownloadClick(Program& p)
{
    LinkBusyGuard guard(p.link);
    SerialLink* link = guard.linkOr("Com Port Error!");
    if (!link)
        return kNoLink;
    const TransferRunning transfer(p.link);
    // Into a temporary file that replaces the image only once all of it arrived: a failed
    // download leaves a good image of an earlier one as it was.
    OutputFile file(TemporaryNameFor(kTrackImageFile), {.syncOnClose = true, .removeOnFailure = true});
    if (!file.open()) {
        p.host.messageBox(std::string("Create file ") + kTrackImageFile + " failed!");
        return kCannotOpen;
    }
    char startLine[48];
    std::snprintf(startLine, sizeof startLine, "Start downloading(%d bytes)...", int(kTrackStoreBytes));
    p.link.statistics.payloadByteSum = 0;
    if (!BeginTransfer(p.link, link, {.total = kTrackStoreBytes, .startLine = startLine})) {
        file.close();
        std::remove(file.name().c_str());
        return kNoLink;
    }
    TransferGauge& gauge = p.link.gauge;
    uint32_t address = 0;
    uint32_t remaining = kTrackStoreBytes;
    uint32_t done = 0;

    bool writeFailed = false;
    while (remaining > 0) {
        const uint16_t block = uint16_t(std::min<uint32_t>(remaining, kReadBlockBytes));
        const std::optional<std::vector<uint8_t>> answer = ReadBlock(p.link, link, kStoreRead, address, block, done);
        if (!answer)
            break;
        if (!file.write(answer->data(), block)) {
            writeFailed = true;
            break;
        }
        address += block;
        done += block;
        remaining -= block;
        gauge.position = done;
    }
    std::string writeError;
    if (!file.close()) {
        writeFailed = true;
        writeError = file.errorText();
    } else if (remaining > 0) {
        std::remove(file.name().c_str());
    } else if (!ReplaceFileAtomically(file.name(), kTrackImageFile)) {
        writeFailed = true;
        writeError = std::strerror(errno);
        std::remove(file.name().c_str());
    }

    ResultCode result;
    if (StopRequested(p.link) && remaining > 0) {
        result = kInterrupted;
    } else if (writeFailed) {
        p.host.logLine("Writing " + std::string(kTrackImageFile) + " failed: " + writeError);
        p.host.logLine("Failed to download TRK data!");
        p.host.messageBox("VR40 TRK Download failed!");
        result = kWriteFailed;
    } else if (remaining == 0) {
        p.host.logLine("Tracks downloaded successfully (VR40_TRK_64KB.bin).");
        result = Button_TRK_TO_RMCClick(p);
    } else {
        p.host.logLine("Failed to download TRK data!");
        p.host.messageBox("VR40 TRK Download failed!");
        result = kTimeOut;
    }
    InsertInMemo1(p, startLine);
    gauge.tag = 1;
    p.host.setBusyCursor(false);
    return result;
}

ResultCode TRK_EraseClick(Program& p, bool* sender)
{
    LinkBusyGuard guard(p.link);
    if (!guard.linkOr("Com port error!"))
        return kNoLink;
    if (sender)
        *sender = false;
    int erased = 0;
    bool eraseFailed = false;
    for (uint8_t n = 0; n < 4; ++n) {
        if (!p.form.unseen.trackChecked[n])
            continue;
        ++erased;
        if (EraseTrackSlot(p, n) != kOk) {
            eraseFailed = true;
            continue;
        }
        char line[32];
        std::snprintf(line, sizeof line, "Track %d deleted.", n + 1);
        p.host.logLine(line);
    }
    ResultCode result = kOk;
    if (StopRequested(p.link))
        result = kInterrupted;
    else if (erased > 0) {
        p.host.sleepMs(100);
        result = TRK_DownloadClick(p);
    }
    if (eraseFailed && result != kInterrupted)
        result = kIncomplete;
    p.host.setBusyCursor(false);
    if (sender)
        *sender = true;
    return result;
}

ResultCode TRK_UploadClick(Program& p)
{
    LinkBusyGuard guard(p.link);
    SerialLink* link = guard.linkOr("Com port error!");
    if (!link)
        return kNoLink;
    std::vector<uint8_t> image;
    const ResultCode read = ReadWholeFile(kTrackUploadFile, kWholeFileLimit, image);
    if (read != kOk) {
        p.host.messageBox("Load trk file(64K bin) failed!");
        return read;
    }
    if (image.size() != kTrackStoreBytes) {
        p.host.messageBox("Load trk file(64K bin) file size error!");
        return kRefused;
    }
    const TransferRunning transfer(p.link);
    // Flash takes a write only into erased bytes: nothing is written over a slot that was not erased.
    for (uint8_t n = 0; n < 4; ++n) {
        if (const ResultCode erased = EraseTrackSlot(p, n); erased != kOk) {
            if (erased != kInterrupted)
                p.host.logLine("Failed to upload TRK data!");
            p.host.setBusyCursor(false);
            return erased;
        }
    }
    char line[48];
    std::snprintf(line, sizeof line, "Start uploading(%d bytes)...", int(kTrackStoreBytes));
    if (!BeginTransfer(p.link, link, {.total = kTrackStoreBytes, .startLine = line, .receiving = false}))
        return kNoLink;
    const Reply extended = Exchange(p.link, link, Request::Command(0x35), kAck, 2500);
    if (extended.stopped()) {
        p.host.setBusyCursor(false);
        return kInterrupted;
    }
    if (extended.ok()) {
        p.host.logLine("Device extend buffer cmd supported. ");
        p.trackUploadChunk = kExtendedChunk;
    } else {
        p.host.logLine("Device extend buffer cmd not supported!");
        p.trackUploadChunk = kPlainChunk;
    }

    TransferGauge& gauge = p.link.gauge;
    uint32_t address = 0;
    uint32_t remaining = kTrackStoreBytes;
    uint32_t done = 0;
    while (remaining > 0) {
        const uint16_t length = uint16_t(std::min<uint32_t>(remaining, p.trackUploadChunk));
        if (!WriteStoreBlock(p, link, address, image.data() + address, length))
            break;
        address += length;
        done += length;
        remaining -= length;
        gauge.position = done;
        std::snprintf(line, sizeof line, "(%u/%d)", done, int(kTrackStoreBytes));
        p.host.logLine(line);
    }
    if (remaining > 0 && StopRequested(p.link)) {
        p.host.setBusyCursor(false);
        return kInterrupted;
    }
    if (remaining > 0) {
        p.host.logLine("Failed to upload TRK data!");
        p.host.messageBox("VR40 TRK Upload  failed!");
    }
    gauge.position = done;
    p.host.setBusyCursor(false);
    return remaining > 0 ? kNoAck : kOk;
}

ResultCode Button5Click(Program& p)
{
    LinkBusyGuard guard(p.link);
    SerialLink* link = guard.linkOr("Com port error!");
    if (!link)
        return kNoLink;
    if (++p.tagDeletePresses >= 4)
        return kRefused;
    RingClear(link);
    p.host.logLine("Delete track...");
    return ForEachCheckedSlot(
        p.form.unseen.trackChecked,
        [&](int n) {
            const uint8_t slot = uint8_t(n);
            const Reply reply = Exchange(p.link, link, Request::Frame(0x37, &slot, 1), kAck, 2000);
            if (reply.stopped())
                return SlotOutcome::Stopped;
            p.host.logLine(reply.ok() ? "Inavlid trk tag OK. " : "Invalid trk tag failed!");
            return reply.ok() ? SlotOutcome::Done : SlotOutcome::Failed;
        },
        kNoAck);
}
