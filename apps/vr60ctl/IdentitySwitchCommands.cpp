// username, serial, reboot, nmea, gps, debug-flag and power-off: the identity
// writes and the one-shot device commands.

#include <cstdio>
#include <string>

#include "CommandOptions.h"
#include "CtlCommand.h"
#include "device/ControlCommands.h"
#include "device/IdentityWrites.h"
#include "device/UserNameText.h"
#include "platform/ResultCode.h"
#include "prodtest/TestConfig.h"
#include "program/Program.h"

namespace {

using Operation = ResultCode (*)(Program&, bool*);

int RunOnDevice(CtlContext& ctx, Operation operation)
{
    return WithDevice(ctx, [operation](Program& p) { return operation(p, nullptr); });
}

} // namespace

int RunUserName(CtlContext& ctx, const CommandOptions& options)
{
    const std::string& name = options.arguments()[0];
    // Said in the device's own measure (bytes), which the window's dialog counts as characters.
    const UserNameCheck check = InspectUserName(name);
    if (check.fault != UserNameFault::None) {
        std::fprintf(stderr, "vr60ctl: username refused: %s\n", UserNameFaultText(check).c_str());
        return kRefused;
    }
    return WithDevice(ctx, [&](Program& p) {
        p.form.settings.username = name;
        return Button_update_username_binClick(p);
    });
}

int RunSerial(CtlContext& ctx, const CommandOptions& options)
{
    Program& p = ctx.program;
    if (const int bad = TakeFollowUps(options, &p.followUps))
        return bad;
    const std::string& text = options.arguments()[0];
    uint32_t number = 0;
    if (!CheckSerialNumberText(p, text, &number))
        return kRefused;
    // "auto log/trk/wpt clear" and "auto poweroff" as the window starts with them.
    StartUpTestConfig(p);
    AnnounceFollowUps(p, "the serial number write, whatever its outcome");
    return WithDevice(ctx, [&](Program& p) {
        p.form.settings.serialNumberText = text;
        ResultCode written = kOk;
        const ResultCode result = UpdateSerialNumber(p, &written);
        // The window shows the number, or nothing for a wrong echo; the command line says either.
        if (written == kOk)
            std::printf("Serial number   %09u written\n", unsigned(number));
        else if (written == kWriteFailed)
            std::fprintf(stderr, "vr60ctl: the device echoed another serial number; it was not changed\n");
        return result;
    });
}

int RunReboot(CtlContext& ctx, const CommandOptions&)
{
    return RunOnDevice(ctx, Button_RebootClick);
}

int RunNmea(CtlContext& ctx, const CommandOptions& options)
{
    return RunOnDevice(ctx, options.sub() == "on" ? Button_VCON_ONClick : Button_GPSVCOM_OFFClick);
}

int RunGps(CtlContext& ctx, const CommandOptions& options)
{
    const std::string& sub = options.sub();
    return RunOnDevice(ctx, sub == "on"    ? Button_GPSPWRONClick
                            : sub == "off" ? Button_GPSPWROFFClick
                                           : Button_GPS_ColdStartClick);
}

int RunDebugFlag(CtlContext& ctx, const CommandOptions&)
{
    return RunOnDevice(ctx, Button_debugClick);
}

int RunPowerOff(CtlContext& ctx, const CommandOptions& options)
{
    const bool clear = options.isSet("clear");
    return WithDevice(ctx, [clear](Program& p) {
        return clear ? Button_off_and_clearClick(p, &p.form.unseen.offAndClearEnabled)
                     : Button_Power_OffClick(p, &p.form.connection.powerOffEnabled);
    });
}
