// loginfo, download, clear and top10: the "Log Data" page's device buttons.

#include <cstdio>
#include <string>

#include "CtlCommand.h"
#include "prodtest/TestConfig.h"
#include "program/Program.h"
#include "device/TopSpeeds.h"
#include "logdata/LogClear.h"
#include "logdata/LogDownload.h"
#include "platform/ResultCode.h"

namespace {

// Whether a complete download is followed by the full clear when the command line does
// not say: the "Auto clear" box as the program starts. This is the one place where an
// operator option read from a settings file is to be applied.
// The "Auto clear" box as the window starts: as loaded from "VR60Test.ini".
bool DefaultAutoClear(CtlContext& ctx)
{
    StartUpTestConfig(ctx.program);
    return ctx.program.form.logData.autoClearAfterDownload;
}

} // namespace

int RunLogInfo(CtlContext& ctx, const Args& args)
{
    if (const int bad = NoArguments("loginfo", args))
        return bad;
    return WithDevice(ctx, [](Program& p) {
        const int result = Button_Log_infoClick(p);
        if (result == 0)
            std::printf("Points in ring  %u\n", RecordsInRing(p.logArea));
        return result;
    });
}

int RunDownload(CtlContext& ctx, const Args& args)
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
    p.form.logData.autoClearAfterDownload = clear < 0 ? DefaultAutoClear(ctx) : clear == 1;
    return WithDevice(ctx, [&](Program& p) {
        if (!out.empty())
            p.form.logData.logFileName = out;   // else the name proposed at connect
        const int result = Button_downloadlogClick(p);
        // Complete (whatever became of an Auto clear): the grid now holds the file's points.
        if (!p.grid.sourceFile.empty() && p.grid.sourceFile == p.form.logData.logFileName)
            std::printf("Log file        %s (%d points)\n", p.form.logData.logFileName.c_str(), p.pointsLogged);
        return result;
    });
}

int RunClear(CtlContext& ctx, const Args& args)
{
    const bool quick = args.size() == 1 && args[0] == "--quick";
    if (!args.empty() && !quick) {
        std::fprintf(stderr, "vr60ctl: clear takes only --quick\n");
        return 2;
    }
    return WithDevice(ctx, [quick](Program& p) {
        return quick ? Button_Clear_LogClick(p) : Button_clearlogClick(p, &p.form.logData.clearLogEnabled);
    });
}

int RunTop10(CtlContext& ctx, const Args& args)
{
    const bool clear = args.size() == 1 && args[0] == "--clear";
    if (!args.empty() && !clear) {
        std::fprintf(stderr, "vr60ctl: top10 takes only --clear\n");
        return 2;
    }
    return WithDevice(ctx, [clear](Program& p) {
        const int result = clear ? Button_TOP10_ClearClick(p) : Button_TOP10_ReadClick(p);
        // The window says nothing when the tables do not arrive; the command line does.
        if (!clear && result == kTimeOut && p.form.logData.top10MaxSpeed.empty())
            std::fprintf(stderr, "vr60ctl: the device did not send its top-10 tables\n");
        return result;
    });
}
