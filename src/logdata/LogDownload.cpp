#include "logdata/LogDownload.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "logdata/PointGridDecode.h"
#include "program/Program.h"
#include "logdata/LogAreaQuery.h"
#include "link/Exchange.h"
#include "link/FrameEncoder.h"
#include "link/LinkBusyGuard.h"
#include "logdata/LogClear.h"
#include "platform/FileAccess.h"
#include "platform/ResultCode.h"

namespace {

constexpr uint8_t kReadBlock = 4;
constexpr uint8_t kReadBlockAnswer = 0x84;
constexpr int kAttemptsPerBlock = 4;
// Where the device's log area begins; the read address wraps back here.
constexpr uint32_t kWrapAddress = 0x10000;
// The largest log area believed: the grid keeps every record in memory.
constexpr uint32_t kLargestLogArea = 64u << 20;

// A consistent device keeps both ring addresses inside its area, which itself fits in memory.
bool AreaIsPlausible(const LogAreaRecord& a)
{
    const uint64_t end = uint64_t(a.areaStart) + a.areaSize;
    return a.areaSize <= kLargestLogArea && end <= 0xFFFFFFFFu && a.ringStart >= a.areaStart &&
           a.ringStart < end && a.ringBlank >= a.areaStart && a.ringBlank <= end;
}

void ReportWriteError(Program& p, const std::string& name, int error)
{
    p.host.logLine("Writing " + name + " failed: " + std::strerror(error));
}

// A block request whose attempt failed: the device may still answer it, late.
struct Unanswered {
    uint32_t address;
    uint16_t length;
};

// A block answer carries its length but not its address, so an answer of this
// length could be a late one for another address.
bool LateAnswerPossible(const std::vector<Unanswered>& unanswered, uint32_t address, uint16_t length)
{
    return std::any_of(unanswered.begin(), unanswered.end(),
                       [&](const Unanswered& u) { return u.length == length && u.address != address; });
}

} // namespace

int Button_downloadlogClick(Program& p)
{
    LinkBusyGuard guard(p.link);
    if (!guard.linkOr("Com port error!"))
        return kNoLink;

    // Without a fresh answer the ring is unknown: that is a link failure, never an empty log.
    if (const int query = Button_Log_infoClick(p); query != kOk) {
        if (query == kInterrupted)
            return query;
        if (LinkGone(p.link)) {
            p.host.messageBox("Com Port Error!");
            return kNoLink;
        }
        p.host.messageBox("Download failed!");
        return query;
    }
    const LogAreaRecord area = p.logArea;
    p.pointsLogged = int32_t(RecordsInRing(area));
    uint32_t address = area.ringStart;
    if (p.pointsLogged == 0) {
        p.host.messageBox("No log data!");
        return kEmptyFile;
    }
    if (!AreaIsPlausible(area)) {
        p.host.logLine("The log area reported by the device is out of range; nothing was downloaded.");
        p.host.messageBox("Download failed!");
        return kTimeOut;
    }
    const uint32_t bytesToFetch = uint32_t(p.pointsLogged) * kSbpRecordBytes;

    p.form.logData.convertStatistic.clear();
    if (LinkGone(p.link)) {
        p.host.messageBox("Com Port Error!");
        return kNoLink;
    }
    const std::string name = p.form.logData.logFileName;
    std::error_code ec;
    if (std::filesystem::exists(name, ec) && !p.host.askYesNo(name + " exists!\r\nOverwrite?"))
        return kDeclined;
    // Nothing counts as downloaded until the file is safely on the disk.
    OutputFile file(name, {.syncOnClose = true});
    if (!file.open()) {
        p.host.messageBox("Create file " + name + " failed!");
        return kCannotOpen;
    }

    const TransferRunning transfer(p.link);
    SerialLink* link = p.link.ActiveLink;
    RingClear(link);
    uint32_t remaining = bytesToFetch;
    uint32_t done = 0;
    p.host.logLine(".........");
    p.link.parser.ResetLinkStatistics();
    if (LinkGone(p.link)) {
        p.host.messageBox("Com Port Error!");
        file.close();
        return kNoLink;
    }

    p.host.setBusyCursor(true);
    RingClear(link);
    TransferGauge& gauge = p.link.gauge;
    gauge.maximum = bytesToFetch;
    gauge.position = 0;
    gauge.tag = 0;   // the frame parser now advances the gauge per payload byte
    DecodeSbpRecords(p.grid, nullptr, size_t(p.pointsLogged));
    p.grid.sourceFile.clear();

    const uint32_t areaEnd = area.areaStart + area.areaSize;
    const uint16_t blockSize = p.logBlockSize;
    const uint16_t budget = uint16_t((blockSize / 4096) * 250 + 120);
    const RxFrame& rx = p.link.rxFrame;
    bool writeFailed = false;
    std::vector<Unanswered> unanswered;
    while (remaining > 0) {
        uint16_t block = uint16_t(std::min<uint32_t>(remaining, blockSize));
        // The block never crosses the end of the area.
        if (block >= areaEnd - address)
            block = uint16_t(areaEnd - address);
        // Nor is it asked for with the length of a request still unanswered elsewhere,
        // so that a late answer cannot pass for this block.
        while (block > kSbpRecordBytes && LateAnswerPossible(unanswered, address, block))
            block = uint16_t(block - kSbpRecordBytes);
        if (LateAnswerPossible(unanswered, address, block))
            break;
        const uint8_t request[6] = {uint8_t(address),      uint8_t(address >> 8), uint8_t(address >> 16),
                                    uint8_t(address >> 24), uint8_t(block),        uint8_t(block >> 8)};
        int attempts = kAttemptsPerBlock;
        int wrongLength = 0;
        bool answered = false;
        bool send = true;
        while (attempts > 0 && !p.link.stopRequested) {
            if (send)
                SendFrame(link, kReadBlock, request, sizeof request);
            send = true;
            if (WaitResponse(p.link, link, kReadBlockAnswer, budget) == 0) {
                const uint16_t length = uint16_t(rx.lengthField() - 1);
                if (length == block) {
                    answered = true;
                    break;
                }
                // Discarded; asked again (unless it was a late answer and ours is still to come),
                // but a device that keeps answering wrongly uses up the attempts.
                gauge.position = done;
                send = !LateAnswerPossible(unanswered, address, length);
                if (++wrongLength < kWrongLengthAnswersPerAttempt)
                    continue;
                wrongLength = 0;
            }
            unanswered.push_back({address, block});
            --attempts;
            gauge.position = done;
            RingClear(link);
        }
        if (!answered)
            break;
        if (!file.write(rx.payload() + 1, block)) {
            writeFailed = true;
            break;
        }
        DecodeSbpRecords(p.grid, rx.payload() + 1, block / kSbpRecordBytes);
        address += block;
        if (address >= areaEnd)
            address = kWrapAddress;
        done += block;
        remaining -= block;
        gauge.position = done;
    }

    if (!file.close())
        writeFailed = true;
    if (writeFailed)
        ReportWriteError(p, name, file.errorCode());
    const bool complete = remaining == 0 && !writeFailed;
    const bool stopped = !complete && !writeFailed && StopRequested(p.link);
    if (stopped) {
        std::error_code sizeError;
        const uintmax_t kept = std::filesystem::file_size(name, sizeError);
        p.host.logLine("The download was stopped; " + name + " holds " + std::to_string(sizeError ? 0 : kept) +
                       " bytes (incomplete)");
    } else if (complete) {
        p.form.browse.gridEnabled = true;
        p.form.browse.gridFileName = name;
        p.grid.sourceFile = name;
        p.form.browse.mapViewEnabled = true;
    } else {
        p.host.logLine("Failed to download log data!");
        p.host.messageBox("Download failed!");
    }
    gauge.tag = 1;
    p.host.setBusyCursor(false);

    if (!complete)
        return writeFailed ? kWriteFailed : stopped ? kInterrupted : kTimeOut;
    if (p.records)
        p.records->logDownloaded(p, name);
    if (p.form.logData.autoClearAfterDownload)
        return ClearDeviceLog(p);
    return kOk;
}
