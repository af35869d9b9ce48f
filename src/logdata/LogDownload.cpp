#include "logdata/LogDownload.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "link/BlockRead.h"
#include "link/Exchange.h"
#include "link/FrameEncoder.h"
#include "link/LinkBusyGuard.h"
#include "link/TransferStart.h"
#include "logdata/DownloadTarget.h"
#include "logdata/LogAreaQuery.h"
#include "logdata/LogClear.h"
#include "logdata/PointGridText.h"
#include "platform/FileAccess.h"
#include "platform/ResultCode.h"
#include "program/Program.h"

namespace {

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

// Asks the device for its log area. Without a fresh answer the ring is unknown: that is a
// link failure, never an empty log.
ResultCode CheckArea(Program& p)
{
    if (const ResultCode query = Button_Log_infoClick(p); query != kOk) {
        if (query == kInterrupted)
            return query;
        if (LinkGone(p.link)) {
            p.host.messageBox("Com Port Error!");
            return kNoLink;
        }
        p.host.messageBox("Download failed!");
        return query;
    }
    p.pointsLogged = int32_t(RecordsInRing(p.logArea));
    if (p.pointsLogged == 0) {
        p.host.messageBox("No log data!");
        return kEmptyFile;
    }
    if (!AreaIsPlausible(p.logArea)) {
        p.host.logLine("The log area reported by the device is out of range; nothing was downloaded.");
        p.host.messageBox("Download failed!");
        return kTimeOut;
    }
    return kOk;
}

ResultCode OpenLogFile(Program& p, const DownloadTarget& target, OutputFile& file)
{
    std::error_code ec;
    if (std::filesystem::exists(target.name(), ec) && !p.host.askYesNo(target.name() + " exists!\r\nOverwrite?"))
        return kDeclined;
    if (!file.open()) {
        p.host.messageBox("Create file " + target.name() + " failed!");
        return kCannotOpen;
    }
    return kOk;
}

struct Fetched {
    uint32_t remaining = 0;
    bool writeFailed = false;
};

// Reads the used stretch of the ring from its start, block by block, into the file and the grid.
Fetched FetchBlocks(Program& p, SerialLink* link, const LogAreaRecord& area, OutputFile& file)
{
    Fetched f{.remaining = uint32_t(p.pointsLogged) * kSbpRecordBytes};
    const uint32_t areaEnd = area.areaStart + area.areaSize;
    const uint16_t blockSize = p.logBlockSize;
    const uint16_t budget = uint16_t((blockSize / 4096) * 250 + 120);
    const BlockReadSettings read{.requestId = 4, .answerId = 0x84, .attempts = kAttemptsPerBlock, .budget = budget};
    LateAnswers late;
    uint32_t address = area.ringStart;
    uint32_t done = 0;
    while (f.remaining > 0) {
        uint16_t block = uint16_t(std::min<uint32_t>(f.remaining, blockSize));
        // The block never crosses the end of the area.
        if (block >= areaEnd - address)
            block = uint16_t(areaEnd - address);
        // Nor is it asked for with the length of a request still unanswered elsewhere,
        // so that a late answer cannot pass for this block.
        while (block > kSbpRecordBytes && late.possible(address, block))
            block = uint16_t(block - kSbpRecordBytes);
        if (late.possible(address, block))
            break;
        const std::optional<std::vector<uint8_t>> answer = ReadBlock(p.link, link, read, address, block, done, &late);
        if (!answer)
            break;
        if (!file.write(answer->data(), block)) {
            f.writeFailed = true;
            break;
        }
        DecodeSbpRecords(p.grid, answer->data(), block / kSbpRecordBytes);
        address += block;
        if (address >= areaEnd)
            address = kWrapAddress;
        done += block;
        f.remaining -= block;
        p.link.gauge.position = done;
    }
    return f;
}

// Closes the file, puts a complete one in place of the asked-for name, says how the
// download went and hands a complete file to the grid.
ResultCode Finish(Program& p, DownloadTarget& target, OutputFile& file, Fetched f)
{
    if (!file.close())
        f.writeFailed = true;
    std::string failedName = file.name();
    int writeError = file.errorCode();
    if (!f.writeFailed && f.remaining == 0 && !target.commit()) {
        f.writeFailed = true;
        failedName = target.name();
        writeError = errno;
    }
    if (f.writeFailed)
        ReportWriteError(p, failedName, writeError);
    const bool complete = f.remaining == 0 && !f.writeFailed;
    const bool stopped = !complete && !f.writeFailed && StopRequested(p.link);
    if (stopped) {
        p.host.logLine("The download was stopped; " + target.keepIncomplete());
    } else if (complete) {
        p.form.browse.gridEnabled = true;
        p.form.browse.gridFileName = target.name();
        p.grid.sourceFile = target.name();
        p.form.browse.mapViewEnabled = true;
    } else {
        p.host.logLine("Failed to download log data!");
        p.host.logLine("The download did not complete; " + target.keepIncomplete());
        p.host.messageBox("Download failed!");
    }
    p.link.gauge.tag = 1;
    p.host.setBusyCursor(false);
    if (!complete)
        return f.writeFailed ? kWriteFailed : stopped ? kInterrupted : kTimeOut;
    return kOk;
}

} // namespace

ResultCode Button_downloadlogClick(Program& p)
{
    LinkBusyGuard guard(p.link);
    if (!guard.linkOr("Com port error!"))
        return kNoLink;
    if (const ResultCode checked = CheckArea(p); checked != kOk)
        return checked;
    const LogAreaRecord area = p.logArea;

    p.form.logData.convertStatistic.clear();
    if (LinkGone(p.link)) {
        p.host.messageBox("Com Port Error!");
        return kNoLink;
    }
    // Nothing counts as downloaded until the file is safely on the disk under its name.
    DownloadTarget target(p.form.logData.logFileName);
    OutputFile file(target.writtenName(), {.syncOnClose = true});
    if (const ResultCode opened = OpenLogFile(p, target, file); opened != kOk)
        return opened;

    const TransferRunning transfer(p.link);
    SerialLink* link = p.link.ActiveLink;
    if (!BeginTransfer(p.link, link, {.total = uint32_t(p.pointsLogged) * kSbpRecordBytes})) {
        file.close();
        target.discard();
        return kNoLink;
    }
    DecodeSbpRecords(p.grid, nullptr, size_t(p.pointsLogged));
    p.grid.sourceFile.clear();

    if (const ResultCode finished = Finish(p, target, file, FetchBlocks(p, link, area, file)); finished != kOk)
        return finished;
    if (p.storage)
        p.storage->logDownloaded(p, target.name());
    if (p.form.logData.autoClearAfterDownload)
        return ClearDeviceLog(p);
    return kOk;
}
