// loginfo, download, clear and top10: the "Log Data" page's device buttons.

#include <cstdio>
#include <string>

#include "CtlCommand.h"
#include "prodtest/TestConfig.h"
#include "connection/Program.h"
#include "device/TopSpeeds.h"
#include "logdata/LogClear.h"
#include "logdata/LogDownload.h"

namespace {

// Whether a complete download is followed by the full clear when the command line does
// not say: the "Auto clear" box as the program starts. This is the one place where an
// operator option read from a settings file is to be applied.
// The "Auto clear" box as the window starts: as loaded from "VR60Test.ini".
bool DefaultAutoClear(CtlContext& ctx)
{
    StartUpTestConfig(ctx.program);
    return ctx.program.form.autoClearAfterDownload;
}

int RunLogInfo(CtlContext& ctx, const std::vector<std::string>& args)
{
    if (!args.empty()) {
        std::fprintf(stderr, "vr60ctl: loginfo takes no arguments\n");
        return 2;
    }
    int result = CtlConnect(ctx);
    if (result == 0) {
        result = Button_Log_infoClick(ctx.program);
        if (result == 0)
            std::printf("Points in ring  %u\n", RecordsInRing(ctx.program.logArea));
    }
    CtlDisconnect(ctx);
    return result;
}

int RunDownload(CtlContext& ctx, const std::vector<std::string>& args)
{
    std::string out;
    int clear = -1;   // -1: the default
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--out" && i + 1 < args.size()) {
            out = args[++i];
        } else if (args[i] == "--clear") {
            clear = 1;
        } else if (args[i] == "--no-clear") {
            clear = 0;
        } else {
            std::fprintf(stderr, "vr60ctl: download: unexpected '%s' (see --help)\n", args[i].c_str());
            return 2;
        }
    }
    Program& p = ctx.program;
    p.form.autoClearAfterDownload = clear < 0 ? DefaultAutoClear(ctx) : clear == 1;
    int result = CtlConnect(ctx);
    if (result == 0) {
        if (!out.empty())
            p.form.logFileName = out;   // else the name proposed at connect
        result = Button_downloadlogClick(p);
        // Complete (whatever became of an Auto clear): the grid now holds the file's points.
        if (!p.grid.sourceFile.empty() && p.grid.sourceFile == p.form.logFileName)
            std::printf("Log file        %s (%d points)\n", p.form.logFileName.c_str(), p.pointsLogged);
    }
    CtlDisconnect(ctx);
    return result;
}

int RunClear(CtlContext& ctx, const std::vector<std::string>& args)
{
    const bool quick = args.size() == 1 && args[0] == "--quick";
    if (!args.empty() && !quick) {
        std::fprintf(stderr, "vr60ctl: clear takes only --quick\n");
        return 2;
    }
    int result = CtlConnect(ctx);
    if (result == 0)
        result = quick ? Button_Clear_LogClick(ctx.program)
                       : Button_clearlogClick(ctx.program, &ctx.program.form.clearLogEnabled);
    CtlDisconnect(ctx);
    return result;
}

int RunTop10(CtlContext& ctx, const std::vector<std::string>& args)
{
    const bool clear = args.size() == 1 && args[0] == "--clear";
    if (!args.empty() && !clear) {
        std::fprintf(stderr, "vr60ctl: top10 takes only --clear\n");
        return 2;
    }
    int result = CtlConnect(ctx);
    if (result == 0) {
        result = clear ? Button_TOP10_ClearClick(ctx.program) : Button_TOP10_ReadClick(ctx.program);
        // The window says nothing when the tables do not arrive; the command line does.
        if (!clear && result == 4 && ctx.program.form.top10MaxSpeed.empty())
            std::fprintf(stderr, "vr60ctl: the device did not send its top-10 tables\n");
    }
    CtlDisconnect(ctx);
    return result;
}

} // namespace

VR60CTL_COMMAND("loginfo", RunLogInfo, "  loginfo                     read where the log ring lies and how far it is filled");
VR60CTL_COMMAND("download", RunDownload,
                "  download [--out FILE] [--clear | --no-clear]\n"
                "                              download the log into FILE (default: the proposed name,\n"
                "                              serial_user_date_time.sbp in the current folder); --clear\n"
                "                              erases the device log after a complete download (\"Auto clear\")");
VR60CTL_COMMAND("clear", RunClear,
                "  clear [--quick]             erase the log, the four track slots and the four waypoint slots;\n"
                "                              --quick: the log only (message 11)");
VR60CTL_COMMAND("top10", RunTop10, "  top10 [--clear]             list the top-10 speed tables; --clear erases them");
