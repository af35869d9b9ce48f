#include "connection/ConnectionSequence.h"

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "basics/Text.h"
#include "connection/SettingsRead.h"
#include "connection/StatusQueries.h"
#include "connection/TextFields.h"
#include "link/Exchange.h"
#include "link/FrameEncoder.h"
#include "link/LinkBusyGuard.h"
#include "platform/PortTable.h"
#include "platform/ResultCode.h"
#include "program/Program.h"

namespace {

// Where the package installs the udev rule (packaging/60-vr60.rules in the sources).
constexpr const char* kUdevRulePath = "/usr/lib/udev/rules.d/60-vr60.rules";

void ReportOpenFailure(Program& p)
{
    p.host.setBusyCursor(false);
    p.host.messageBox("Open COM port error!");
    p.host.logLine("Open COM port error!");
    p.host.logLine("Check if the GPS device is in VRLink mode..");
    p.host.logLine("Check if the proper com port is selected...");
    p.host.logLine("Unplug and plug the GPS USB cable again...");
}

// What went wrong at the operating-system level, and how to fix it, naming the port
// as the operator gave it and the system path it leads to.
void ExplainOpenError(Program& p, const PortRef& port)
{
    const std::string& where = port.label;
    switch (p.link.lastOpenError) {
    case OpenError::NotFound:
        p.host.logLine(where + ": no such port. Plug the logger in and pick its port from the list.");
        break;
    case OpenError::Busy:
        p.host.logLine(where + ": the port is in use by another program. Close it; if ModemManager holds the "
                               "port, the udev rule " + std::string(kUdevRulePath) + " makes it leave the logger alone "
                               "(install it, then plug the logger in again).");
        break;
    case OpenError::AccessDenied:
        p.host.logLine(where + ": no permission to open the port. Add your user to the dialout group "
                               "(sudo usermod -aG dialout $USER, then log in again) or install the udev rule " +
                               std::string(kUdevRulePath) + " and plug the logger in again.");
        break;
    case OpenError::BadMode:
    case OpenError::Other:
        if (!p.link.lastOpenDetail.empty())
            p.host.logLine(where + ": the port cannot be used (" + p.link.lastOpenDetail + ").");
        break;
    case OpenError::None:
        break;
    }
}

std::string ProposedLogFileName(const Program& p)
{
    const LocalDateTime now = p.clock->localNow();
    char name[128];
    std::snprintf(name, sizeof name, "%09d_%s_%s_%s.sbp", p.identity.serialNumber,
                  FileNameSafe(p.identity.userName).c_str(), FormatDateStamp(now, false).c_str(),
                  FormatTimeStamp(now, false).c_str());
    std::error_code ec;
    std::filesystem::path dir = std::filesystem::current_path(ec);
    return (dir / name).string();
}

// Reads the GPS module's version, powering the module on between tries.
void ReadGpsVersion(Program& p, SerialLink* link)
{
    p.form.settings.gpsVersion = "NIL";
    PumpMessages(p.link);
    for (int attempt = 0; attempt < 4; ++attempt) {
        const Reply reply = Exchange(p.link, link, Request::Command(67), 0xC3, 1500);
        if (!reply.ok())
            continue;
        const std::string text = TextFromPayload(reply.data, reply.dataBytes, kMaxPayload);
        char scratch[8];
        char version[64];
        SplitVersionText(text.c_str(), scratch, sizeof scratch, version, sizeof version);
        PumpMessages(p.link);
        if (!std::strstr(version, "NIL") && !std::strstr(version, "0000")) {
            p.form.settings.gpsVersion = version;
            return;
        }
        Exchange(p.link, link, Request::Command(23), kAck, 1500);
        Exchange(p.link, link, Request::Command(26), kAck, 1500);
    }
}

} // namespace

uint8_t SelectedPortNumber(const Program& p)
{
    return PortNumberOfText(p.form.connection.comPortText);
}

int BaudIndexOf(long value)
{
    for (int i = 0; i < 8; ++i)
        if (kBaudRates[i] == value || kBaudRates[i] == value * 100)
            return i;
    return 0;
}

ResultCode SyncDevice(Program& p, SerialLink* link)
{
    RingClear(link);
    p.host.logLine("Detecting device...");
    for (const char* done : {"Device sync OK.", "Device sync OK.."}) {
        const Reply reply = Exchange(p.link, link, Request::Command(1), kAck, 2500);
        if (reply.ok()) {
            p.host.logLine(done);
            return kOk;
        }
        if (reply.stopped())
            return kInterrupted;
    }
    p.host.logLine("Device sync failed!");
    return kNoAnswer;
}

ResultCode ConnectOrDisconnect(Program& p)
{
    LinkBusyGuard guard(p.link);
    if (!guard.acquired())
        return kNoLink;

    std::string errorText;
    p.host.setBusyCursor(true);
    const int baudIndex = p.form.connection.comBaudIndex >= 0 && p.form.connection.comBaudIndex < 8 ? p.form.connection.comBaudIndex : 0;
    const std::string mode = std::to_string(kBaudRates[baudIndex]) + ",N,8,1";
    const bool wasConnected = p.connected == 1;
    bool detected = false;
    ResultCode result = kOk;

    if (p.connected == 0) {
        // The number is 8-bit in the records: COM300 must never open COM44.
        if (const int named = PortNumberOfName(p.form.connection.comPortText); named > 0 && !PortNumberUsable(named)) {
            ReportOpenFailure(p);
            p.host.logLine("COM" + std::to_string(named) + ": port numbers above " +
                           std::to_string(kHighestPortNumber) + " cannot be used.");
            return kNoLink;
        }
        const PortRef port = ResolvePort(SelectedPortNumber(p), ListPorts(p.ports.commandLinePorts));
        p.link.ActiveLink = LinkOpen(p.link, port, mode, p.link.staticLink, p.link.staticStorage,
                                     kLinkRingSize, kLinkStagingSize);
        if (!p.link.ActiveLink) {
            ReportOpenFailure(p);
            ExplainOpenError(p, port);
            return kNoLink;
        }
        SerialLink* link = p.link.ActiveLink;
        p.form.connection.statusBarText = "Connecting device...";
        p.connected = 1;
        // Decided anew below from this device's firmware; a previous device's
        // extended block must not make the first settings read expect 7 bytes.
        p.extendedSettings = false;
        p.settingsReadResult = kNoLink;

        if (Exchange(p.link, link, Request::Command(31), kAck, 1600).ok()) {
            p.host.logLine("Device in MTN mode.");
        } else {
            if (Exchange(p.link, link, Request::Command(31), kAck, 1500).ok()) {
                p.host.logLine("Device in MTN mode..");
            } else if (StopRequested(p.link)) {
                // Stopped while connecting: the port stays open for the disconnect that follows.
                p.host.setBusyCursor(false);
                return kInterrupted;
            } else {
                // The port stays open: the operator ends it with Disconnect.
                p.host.logLine("USB-MTN Failed !");
                ReportOpenFailure(p);
                return kNoAnswer;
            }
        }
        p.host.sleepMs(1500);

        result = SyncDevice(p, link);
        if (result == 0) {
            p.savedPortNumber = SelectedPortNumber(p);
            p.savedBaudIndex = uint8_t(p.form.connection.comBaudIndex);
            detected = true;
            p.form.settings.currentSno = "---------";
            if (const int queried = QueryStatus(p); queried != 0) {
                p.host.setBusyCursor(true);
                if (queried != kInterrupted)
                    errorText = "Failed to query configuration";
                result = queried == kInterrupted ? kInterrupted : kNoAnswer;
            }
        }
        if (result == 0 && StopRequested(p.link))
            result = kInterrupted;
        if (result == 0) {
            ShowIdentity(p);
            char tail[64];
            std::snprintf(tail, sizeof tail, " (%09d::%s)", p.identity.serialNumber, p.identity.userName);
            p.form.connection.windowCaption = p.TitlePrefix + kProgramVersion + tail;
            p.form.unseen.firmwareCaption = p.firmwareVersion;
            p.form.settings.vr60Version = p.firmwareVersion;
            p.extendedSettings = false;
            if (p.form.unseen.firmwareCaption.find('G') != std::string::npos) {
                p.extendedSettings = true;
                Button_Read_ConfigClick(p);
            }
            ReadGpsVersion(p, link);
            Exchange(p.link, link, Request::Command(24), kAck, 150);
            if (StopRequested(p.link))
                result = kInterrupted;
        }
        if (result == 0) {
            p.form.logData.logFileName = ProposedLogFileName(p);
            p.form.connection.connectCaption = "Disconnect";
            p.host.setBusyCursor(false);
            p.host.logLine("Device connected ");
            return kOk;
        }
    }

    // Disconnect steps.
    if (p.connected == 1) {
        if (p.link.ActiveLink)
            SendLeaveLinkMode(p.link.ActiveLink);
        SleepPumping(p.link, 100);
        LinkClose(p.link, p.link.ActiveLink);
        p.link.ActiveLink = nullptr;
        SleepPumping(p.link, 100);
        p.host.logLine("Device disconnected.");
        p.connected = 0;
        if (!detected && !wasConnected && result != kInterrupted) {
            p.host.setBusyCursor(false);
            p.host.messageBox("Device not detected, check COM port and try again!");
        }
    }
    p.host.setBusyCursor(false);
    if (!errorText.empty())
        p.host.messageBox(errorText);
    return result;
}

void ShowDisconnectedControls(Program& p)
{
    FormState& f = p.form;
    f.connection.connectCaption = "Connect";
    f.connection.comPortEnabled = true;
    f.connection.connectEnabled = true;
    f.connection.powerOffEnabled = f.logData.clearLogEnabled = f.unseen.offAndClearEnabled = false;
}

ResultCode BitBtn_connectClick(Program& p)
{
    FormState& f = p.form;
    f.connection.connectEnabled = false;
    f.connection.logBaudIndex = f.connection.comBaudIndex;
    f.settings.currentSno = "---------";

    const ResultCode result = ConnectOrDisconnect(p);

    if (p.connected == 1) {
        f.unseen.versionMatchColour = Colour::Window;
        f.unseen.firmwareCaptionColour = Colour::ButtonFace;
        f.connection.connectCaption = "Disconnect";
        f.connection.comPortEnabled = false;
        f.connection.comBaudEnabled = false;
        f.connection.connectEnabled = f.test.testEnabled = f.connection.powerOffEnabled = true;
        f.logData.clearLogEnabled = f.unseen.offAndClearEnabled = f.settings.factoryResetEnabled = true;
        if (f.unseen.checkVersion) {
            if (f.unseen.versionMatch != f.unseen.firmwareCaption) {
                f.unseen.firmwareCaptionColour = Colour::Red;
                p.host.messageBox("Firmware version ERROR!");
            } else {
                f.unseen.firmwareCaptionColour = Colour::Green;
            }
        }
    } else {
        ShowDisconnectedControls(p);
    }
    p.host.sleepMs(500);
    p.link.gauge.tag = 1;
    f.connection.connectEnabled = true;
    return result;
}
