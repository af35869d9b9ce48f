// Log-file commands: load, convert and map links, without a device.

#include <cstdio>
#include <cstdlib>

#include "CommandOptions.h"
#include "CtlCommand.h"
#include "program/Program.h"
#include "logdata/LogBrowser.h"
#include "logdata/LogConvert.h"
#include "logdata/SpeedGpxExport.h"
#include "platform/ResultCode.h"
#include "pointlog/PointLog.h"

int RunLoad(CtlContext& ctx, const CommandOptions& options)
{
    return Load_SBPClick(ctx.program, options.arguments()[0]);
}

int RunConvert(CtlContext& ctx, const CommandOptions& options)
{
    Program& p = ctx.program;
    const std::string& file = options.arguments()[0];
    if (options.isSet("gpx-speed")) {
        const LogFormat format = RecogniseLogFile(file);
        if (format != LogFormat::Sbp && format != LogFormat::Unknown)
            return ExportOtherLogSpeedGpx(p, file);
    }
    const int loaded = Load_SBPClick(p, file);
    if (loaded != 0)
        return loaded;
    p.form.unseen.splitTrack = options.isSet("split");
    p.form.logData.speedGpx = options.isSet("gpx-speed");
    const int result = BitBtn_offline_convertClick(p);
    if (!p.form.logData.convertStatistic.empty())
        std::printf("%s\n", p.form.logData.convertStatistic.c_str());
    return result;
}

int RunMapLink(CtlContext& ctx, const CommandOptions& options)
{
    const Args& args = options.arguments();
    // Digits only: strtoul would take "-1" as the largest row there is.
    const std::string& text = args[1];
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) {
        std::fprintf(stderr, "vr60ctl: maplink: ROW must be a row number from 1 ('%s')\n", text.c_str());
        return kUsageError;
    }
    const unsigned long row = std::strtoul(text.c_str(), nullptr, 10);
    Program& p = ctx.program;
    const int loaded = Load_SBPClick(p, args[0]);
    if (loaded != 0)
        return loaded;
    if (row == 0 || row > p.grid.rowCounter()) {
        std::fprintf(stderr, "Row %lu is not a point row (1..%zu)\n", row, p.grid.rowCounter());
        return kUsageError;
    }
    StringGrid1SelectCell(p, 0, row);
    if (p.browser.mapLink.empty()) {
        std::fprintf(stderr, "Row %lu has no position\n", row);
        return kUsageError;
    }
    std::printf("%s\n", p.browser.mapLink.c_str());
    return 0;
}
