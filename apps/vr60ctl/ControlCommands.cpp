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

int OneWordCommand(CtlContext& ctx, const Args& args, const char* command, ResultCode (*operation)(Program&, bool*))
{
    if (const int bad = NoArguments(command, args))
        return bad;
    return WithDevice(ctx, [operation](Program& p) { return operation(p, nullptr); });
}

// The operation named by the single argument, or null with a message.
using Operation = ResultCode (*)(Program&, bool*);
Operation Choose(const char* command, const Args& args, std::initializer_list<std::pair<const char*, Operation>> choices)
{
    if (args.size() == 1)
        for (const auto& [word, operation] : choices)
            if (args[0] == word)
                return operation;
    std::string words;
    for (const auto& choice : choices)
        words += std::string(words.empty() ? "" : "|") + choice.first;
    std::fprintf(stderr, "vr60ctl: %s takes one of %s\n", command, words.c_str());
    return nullptr;
}

} // namespace

int RunUserName(CtlContext& ctx, const Args& args)
{
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: vr60ctl username NAME\n");
        return 2;
    }
    // Said in the device's own measure (bytes), which the window's dialog counts as characters.
    const UserNameCheck check = InspectUserName(args[0]);
    if (check.fault != UserNameFault::None) {
        std::fprintf(stderr, "vr60ctl: username refused: %s\n", UserNameFaultText(check).c_str());
        return kRefused;
    }
    return WithDevice(ctx, [&](Program& p) {
        p.form.settings.username = args[0];
        return Button_update_username_binClick(p);
    });
}

int RunSerial(CtlContext& ctx, const Args& args)
{
    Program& p = ctx.program;
    CommandOptions options("serial", FollowUpOptions());
    if (const int bad = options.parse(args, CommandOptions::kAnyCount))
        return bad;
    if (const int bad = TakeFollowUps(options, &p.followUps))
        return bad;
    if (options.arguments().size() != 1) {
        std::fprintf(stderr, "usage: vr60ctl serial [--clear | --no-clear] [--power-off | --no-power-off] NUMBER\n");
        return 2;
    }
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

int RunReboot(CtlContext& ctx, const Args& args)
{
    return OneWordCommand(ctx, args, "reboot", Button_RebootClick);
}

int RunNmea(CtlContext& ctx, const Args& args)
{
    const Operation operation = Choose("nmea", args, {{"on", Button_VCON_ONClick}, {"off", Button_GPSVCOM_OFFClick}});
    if (!operation)
        return 2;
    return WithDevice(ctx, [operation](Program& p) { return operation(p, nullptr); });
}

int RunGps(CtlContext& ctx, const Args& args)
{
    const Operation operation = Choose("gps", args,
                                       {{"on", Button_GPSPWRONClick},
                                        {"off", Button_GPSPWROFFClick},
                                        {"cold-start", Button_GPS_ColdStartClick}});
    if (!operation)
        return 2;
    return WithDevice(ctx, [operation](Program& p) { return operation(p, nullptr); });
}

int RunDebugFlag(CtlContext& ctx, const Args& args)
{
    return OneWordCommand(ctx, args, "debug-flag", Button_debugClick);
}

int RunPowerOff(CtlContext& ctx, const Args& args)
{
    CommandOptions options("power-off", {{"clear"}});
    if (const int bad = options.parse(args))
        return bad;
    const bool clear = options.isSet("clear");
    return WithDevice(ctx, [clear](Program& p) {
        return clear ? Button_off_and_clearClick(p, &p.form.unseen.offAndClearEnabled)
                     : Button_Power_OffClick(p, &p.form.connection.powerOffEnabled);
    });
}
