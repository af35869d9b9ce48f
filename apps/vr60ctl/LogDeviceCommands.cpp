// loginfo, download, clear and top10: the "Log Data" page's device buttons.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include "CommandOptions.h"
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

int RunLogInfo(CtlContext& ctx, const CommandOptions&)
{
    return WithDevice(ctx, [](Program& p) {
        const int result = Button_Log_infoClick(p);
        if (result == 0)
            std::printf("Points in ring  %u\n", RecordsInRing(p.logArea));
        return result;
    });
}

int RunDownload(CtlContext& ctx, const CommandOptions& options)
{
    std::optional<bool> clear;   // none: the default
    if (const int bad = options.pair("clear", "no-clear", &clear))
        return bad;
    const std::string out = options.value("out");
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

int RunClear(CtlContext& ctx, const CommandOptions& options)
{
    const bool quick = options.isSet("quick");
    return WithDevice(ctx, [quick](Program& p) {
        return quick ? Button_Clear_LogClick(p) : Button_clearlogClick(p, &p.form.logData.clearLogEnabled);
    });
}

int RunTop10(CtlContext& ctx, const CommandOptions& options)
{
    const bool clear = options.isSet("clear");
    return WithDevice(ctx, [clear](Program& p) {
        const int result = clear ? Button_TOP10_ClearClick(p) : Button_TOP10_ReadClick(p);
        // The window says nothing when the tables do not arrive; the command line does.
        if (!clear && result == kTimeOut && p.form.logData.top10MaxSpeed.empty())
            std::fprintf(stderr, "vr60ctl: the device did not send its top-10 tables\n");
        return result;
    });
}
