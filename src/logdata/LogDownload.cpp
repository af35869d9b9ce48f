#include "logdata/LogDownload.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "program/Program.h"
#include "device/TopSpeeds.h"
#include "link/Exchange.h"
#include "link/FrameEncoder.h"
#include "link/LinkBusyGuard.h"
#include "logdata/LogClear.h"

namespace {

constexpr uint8_t kReadBlock = 4;
constexpr uint8_t kReadBlockAnswer = 0x84;
constexpr int kAttemptsPerBlock = 4;
// Where the device's log area begins; the read address wraps back here.
constexpr uint32_t kWrapAddress = 0x10000;
// The largest log area believed: the grid keeps every record in memory.
constexpr uint32_t kLargestLogArea = 64u << 20;

// 0 once the file's bytes are on the disk, else the error.
int SyncToDisk(std::FILE* file)
{
#ifdef _WIN32
    return _commit(_fileno(file)) == 0 ? 0 : errno;
#else
    if (fsync(fileno(file)) == 0)
        return 0;
    // Devices and pipes cannot be synced: nothing more to wait for there.
    return errno == EINVAL || errno == ENOTSUP ? 0 : errno;
#endif
}

// The output file, unbuffered so that a failed write shows at the block that failed.
class LogFile {
public:
    ~LogFile()
    {
        if (file_)
            std::fclose(file_);
    }

    bool create(const std::string& name)
    {
        file_ = std::fopen(name.c_str(), "wb");
        if (file_)
            std::setvbuf(file_, nullptr, _IONBF, 0);
        return file_ != nullptr;
    }

    bool write(const uint8_t* data, size_t count)
    {
        errno = 0;
        if (std::fwrite(data, 1, count, file_) == count)
            return true;
        error_ = errno ? errno : EIO;
        return false;
    }

    // Flushes, syncs to the disk and closes; false (with the error) when any of it failed.
    bool finish()
    {
        errno = 0;
        int error = std::fflush(file_) == 0 ? SyncToDisk(file_) : (errno ? errno : EIO);
        if (std::fclose(file_) != 0 && !error)
            error = errno ? errno : EIO;
        file_ = nullptr;
        if (error && !error_)
            error_ = error;
        return error == 0;
    }

    int error() const { return error_; }

private:
    std::FILE* file_ = nullptr;
    int error_ = 0;
};

bool LinkGone(const Program& p)
{
    const SerialLink* link = p.link.ActiveLink;
    return !link || !link->port || link->port->hungUp();
}

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

} // namespace

int Button_downloadlogClick(Program& p)
{
    LinkBusyGuard guard(p.link);
    if (!guard.linkOr("Com port error!"))
        return kDownloadNoLink;

    Button_Log_infoClick(p);
    const LogAreaRecord area = p.logArea;
    p.pointsLogged = int32_t(RecordsInRing(area));
    uint32_t address = area.ringStart;
    if (p.pointsLogged == 0) {
        p.host.messageBox("No log data!");
        return kDownloadNoLogData;
    }
    if (!AreaIsPlausible(area)) {
        p.host.logLine("The log area reported by the device is out of range; nothing was downloaded.");
        p.host.messageBox("Download failed!");
        return kDownloadFailed;
    }
    const uint32_t bytesToFetch = uint32_t(p.pointsLogged) * kSbpRecordBytes;

    p.form.logData.convertStatistic.clear();
    if (LinkGone(p)) {
        p.host.messageBox("Com Port Error!");
        return kDownloadNoLink;
    }
    const std::string name = p.form.logData.logFileName;
    std::error_code ec;
    if (std::filesystem::exists(name, ec) && !p.host.askYesNo(name + " exists!\r\nOverwrite?"))
        return kDownloadDeclined;
    LogFile file;
    if (!file.create(name)) {
        p.host.messageBox("Create file " + name + " failed!");
        return kDownloadFileError;
    }

    SerialLink* link = p.link.ActiveLink;
    RingClear(link);
    uint32_t remaining = bytesToFetch;
    uint32_t done = 0;
    p.host.logLine(".........");
    p.link.parser.ResetLinkStatistics();
    if (LinkGone(p)) {
        p.host.messageBox("Com Port Error!");
        file.finish();
        return kDownloadNoLink;
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
    while (remaining > 0) {
        uint16_t block = uint16_t(std::min<uint32_t>(remaining, blockSize));
        // The block never crosses the end of the area.
        if (block >= areaEnd - address)
            block = uint16_t(areaEnd - address);
        const uint8_t request[6] = {uint8_t(address),      uint8_t(address >> 8), uint8_t(address >> 16),
                                    uint8_t(address >> 24), uint8_t(block),        uint8_t(block >> 8)};
        int attempts = kAttemptsPerBlock;
        int wrongLength = 0;
        bool answered = false;
        while (attempts > 0) {
            SendFrame(link, kReadBlock, request, sizeof request);
            if (WaitResponse(p.link, link, kReadBlockAnswer, budget) == 0) {
                if (rx.lengthField() == block + 1) {
                    answered = true;
                    break;
                }
                // Discarded; asked again, but a device that keeps answering wrongly uses up the attempts.
                gauge.position = done;
                if (++wrongLength < kWrongLengthAnswersPerAttempt)
                    continue;
                wrongLength = 0;
            }
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

    // Nothing counts as downloaded until the file is safely on the disk.
    if (!file.finish())
        writeFailed = true;
    if (writeFailed)
        ReportWriteError(p, name, file.error());
    const bool complete = remaining == 0 && !writeFailed;
    if (complete) {
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
        return writeFailed ? kDownloadFileError : kDownloadFailed;
    if (p.form.logData.autoClearAfterDownload)
        return ClearDeviceLog(p);
    return kDownloadOk;
}
