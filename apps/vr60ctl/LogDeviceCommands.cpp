// loginfo, download, clear and top10: the "Log Data" page's device buttons.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include "CtlCommand.h"
#include "logdata/LogAreaQuery.h"
#include "prodtest/TestConfig.h"
#include "program/Program.h"
#include "device/TopSpeeds.h"
#include "logdata/LogClear.h"
#include "logdata/LogDownload.h"
#include "platform/ResultCode.h"

namespace {

// The "Auto clear" box as the window starts: as loaded from "VR60Test.ini" in the working folder.
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
    std::optional<bool> clear;   // none: the default
    for (size_t i = 0; i < args.size(); ++i) {
        if (const int taken = TakeSwitchPair("download", args[i], "--clear", "--no-clear", &clear)) {
            if (taken < 0)
                return 2;
            continue;
        }
        if (args[i] == "--out") {
            if (i + 1 >= args.size() || args[i + 1].empty() || args[i + 1][0] == '-') {
                std::fprintf(stderr, "vr60ctl: download: --out needs a file name\n");
                return 2;
            }
            out = args[++i];
        } else {
            std::fprintf(stderr, "vr60ctl: download: unexpected '%s' (see vr60ctl download --help)\n", args[i].c_str());
            return 2;
        }
    }
    if (clear) {
        ctx.program.form.logData.autoClearAfterDownload = *clear;
    } else if (DefaultAutoClear(ctx)) {
        // The full clear also erases the track slots and waypoints, which are not downloaded.
        std::printf("Auto clear is on: auto_log_clear_after_download=1 in %s; after a complete download the "
                    "log, the track slots and the waypoints are erased (--no-clear keeps them)\n",
                    ctx.program.testConfigOrigin.path().c_str());
        std::fflush(stdout);
    }
    // A stopped download says itself what the incomplete file holds.
    return WithDevice(ctx, [&](Program& p) {
        if (!out.empty())
            p.form.logData.logFileName = out;   // else the name proposed at connect
        const std::string name = p.form.logData.logFileName;
        const int downloaded = Button_downloadlogClick(p);
        // Complete (whatever became of an Auto clear): the grid holds the file's points.
        if (!p.grid.sourceFile.empty() && p.grid.sourceFile == name)
            std::printf("Log file        %s (%zu points)\n", name.c_str(), p.grid.rowCounter());
        return downloaded;
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
