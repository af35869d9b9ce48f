#include "connection/ConnectionSequence.h"

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "connection/Program.h"
#include "connection/StatusQueries.h"
#include "connection/TextFields.h"
#include "device/SettingsOperations.h"
#include "link/Exchange.h"
#include "link/FrameEncoder.h"
#include "link/LinkBusyGuard.h"
#include "platform/PortTable.h"

namespace {

void ReportOpenFailure(Program& p)
{
    p.host.setBusyCursor(false);
    p.host.messageBox("Open COM port error!");
    p.host.logLine("Open COM port error!");
    p.host.logLine("Check if the GPS device is in VRLink mode..");
    p.host.logLine("Check if the proper com port is selected...");
    p.host.logLine("Unplug and plug the GPS USB cable again...");
}

// What went wrong at the operating-system level, and how to fix it.
void ExplainOpenError(Program& p, const std::string& portName)
{
    const std::string& detail = p.link.lastOpenDetail;
    const std::string where = detail.empty() ? portName : portName + " (" + detail + ")";
    switch (p.link.lastOpenError) {
    case OpenError::NotFound:
        p.host.logLine(where + ": no such port. Plug the logger in and pick its port from the list.");
        break;
    case OpenError::Busy:
        p.host.logLine(where + ": the port is in use by another program. Close it; if ModemManager holds the "
                               "port, install packaging/99-vr60.rules so that it leaves the logger alone.");
        break;
    case OpenError::AccessDenied:
        p.host.logLine(where + ": no permission to open the port. Add your user to the dialout group "
                               "(sudo usermod -aG dialout $USER, then log in again) or install "
                               "packaging/99-vr60.rules.");
        break;
    case OpenError::BadMode:
    case OpenError::Other:
        if (!detail.empty())
            p.host.logLine(where + ": the port cannot be used.");
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
    p.form.gpsVersion = "NIL";
    PumpMessages(p.link);
    for (int attempt = 0; attempt < 4; ++attempt) {
        SendCommand(link, 67);
        if (WaitResponse(p.link, link, 0xC3, 1500) != 0)
            continue;
        const RxFrame& rx = p.link.rxFrame;
        const std::string text = TextFromPayload(rx.payload() + 1, rx.lengthField() - 1, kMaxPayload);
        char scratch[8];
        char version[64];
        SplitVersionText(text.c_str(), scratch, sizeof scratch, version, sizeof version);
        PumpMessages(p.link);
        if (!std::strstr(version, "NIL") && !std::strstr(version, "0000")) {
            p.form.gpsVersion = version;
            return;
        }
        SendCommand(link, 23);
        WaitResponse(p.link, link, kAck, 1500);
        SendCommand(link, 26);
        WaitResponse(p.link, link, kAck, 1500);
    }
}

} // namespace

uint8_t SelectedPortNumber(const Program& p)
{
    return PortNumberOfText(p.form.comPortText);
}

int BaudIndexOf(long value)
{
    for (int i = 0; i < 8; ++i)
        if (kBaudRates[i] == value || kBaudRates[i] == value * 100)
            return i;
    return 0;
}

int SyncDevice(Program& p, SerialLink* link)
{
    RingClear(link);
    p.host.logLine("Detecting device...");
    SendCommand(link, 1);
    if (WaitResponse(p.link, link, kAck, 2500) == 0) {
        p.host.logLine("Device sync OK.");
        return 0;
    }
    SendCommand(link, 1);
    if (WaitResponse(p.link, link, kAck, 2500) == 0) {
        p.host.logLine("Device sync OK..");
        return 0;
    }
    p.host.logLine("Device sync failed!");
    return 5;
}

int ConnectOrDisconnect(Program& p)
{
    LinkBusyGuard guard(p.link);
    if (!guard.acquired())
        return 1;

    std::string errorText;
    p.host.setBusyCursor(true);
    const int baudIndex = p.form.comBaudIndex >= 0 && p.form.comBaudIndex < 8 ? p.form.comBaudIndex : 0;
    const std::string mode = std::to_string(kBaudRates[baudIndex]) + ",N,8,1";
    const bool wasConnected = p.connected == 1;
    bool detected = false;
    int result = 0;

    if (p.connected == 0) {
        const std::string portName = "COM" + std::to_string(SelectedPortNumber(p));
        p.link.ActiveLink = LinkOpen(p.link, portName, mode, p.link.staticLink, p.link.staticStorage,
                                     kLinkRingSize, kLinkStagingSize);
        if (!p.link.ActiveLink) {
            ReportOpenFailure(p);
            ExplainOpenError(p, portName);
            return 1;
        }
        SerialLink* link = p.link.ActiveLink;
        p.form.statusBarText = "Connecting device...";
        p.connected = 1;
        // Decided anew below from this device's firmware; a previous device's
        // extended block must not make the first settings read expect 7 bytes.
        p.extendedSettings = false;

        SendCommand(link, 31);
        if (WaitResponse(p.link, link, kAck, 1600) == 0) {
            p.host.logLine("Device in MTN mode.");
        } else {
            SendCommand(link, 31);
            if (WaitResponse(p.link, link, kAck, 1500) == 0) {
                p.host.logLine("Device in MTN mode..");
            } else {
                // The port stays open: the operator ends it with Disconnect.
                p.host.logLine("USB-MTN Failed !");
                ReportOpenFailure(p);
                return 5;
            }
        }
        p.host.sleepMs(1500);

        result = SyncDevice(p, link);
        if (result == 0) {
            p.savedPortNumber = SelectedPortNumber(p);
            p.savedBaudIndex = uint8_t(p.form.comBaudIndex);
            detected = true;
            p.form.currentSno = "---------";
            if (QueryStatus(p) != 0) {
                p.host.setBusyCursor(true);
                errorText = "Failed to query configuration";
                result = 5;
            }
        }
        if (result == 0) {
            ShowIdentity(p);
            char tail[64];
            std::snprintf(tail, sizeof tail, " (%09d::%s)", p.identity.serialNumber, p.identity.userName);
            p.form.windowCaption = p.TitlePrefix + kProgramVersion + tail;
            p.form.firmwareCaption = p.firmwareVersion;
            p.form.vr60Version = p.firmwareVersion;
            p.extendedSettings = false;
            if (p.form.firmwareCaption.find('G') != std::string::npos) {
                p.extendedSettings = true;
                Button_Read_ConfigClick(p);
            }
            ReadGpsVersion(p, link);
            SendCommand(link, 24);
            WaitResponse(p.link, link, kAck, 150);
            p.form.logFileName = ProposedLogFileName(p);
            p.form.connectCaption = "Disconnect";
            p.host.setBusyCursor(false);
            p.host.logLine("Device connected ");
            return 0;
        }
    }

    // Disconnect steps.
    if (p.connected == 1) {
        if (p.link.ActiveLink)
            SendCommand(p.link.ActiveLink, 14);
        SleepPumping(p.link, 100);
        LinkClose(p.link, p.link.ActiveLink);
        p.link.ActiveLink = nullptr;
        SleepPumping(p.link, 100);
        p.host.logLine("Device disconnected.");
        p.connected = 0;
        if (!detected && !wasConnected) {
            p.host.setBusyCursor(false);
            p.host.messageBox("Device not detected, check COM port and try again!");
        }
    }
    p.host.setBusyCursor(false);
    if (!errorText.empty())
        p.host.messageBox(errorText);
    return result;
}

int BitBtn_connectClick(Program& p)
{
    FormState& f = p.form;
    f.connectEnabled = false;
    f.logBaudIndex = f.comBaudIndex;
    f.currentSno = "---------";

    const int result = ConnectOrDisconnect(p);

    if (p.connected == 1) {
        f.versionMatchColour = Colour::Window;
        f.firmwareCaptionColour = Colour::ButtonFace;
        f.connectCaption = "Disconnect";
        f.comPortEnabled = false;
        f.comBaudEnabled = false;
        f.connectEnabled = f.testEnabled = f.powerOffEnabled = true;
        f.clearLogEnabled = f.offAndClearEnabled = f.factoryResetEnabled = true;
        if (f.checkVersion) {
            if (f.versionMatch != f.firmwareCaption) {
                f.firmwareCaptionColour = Colour::Red;
                p.host.messageBox("Firmware version ERROR!");
            } else {
                f.firmwareCaptionColour = Colour::Green;
            }
        }
    } else {
        f.connectCaption = "Connect";
        f.comPortEnabled = true;
        f.connectEnabled = true;
        f.powerOffEnabled = f.clearLogEnabled = f.offAndClearEnabled = false;
    }
    p.host.sleepMs(500);
    p.link.gauge.tag = 1;
    f.connectEnabled = true;
    return result;
}
