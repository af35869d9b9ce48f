// post: the ranking site's form for a log, filled in, written as a page and opened in the browser.

#include <cstdio>
#include <fstream>
#include <string>

#include "CommandOptions.h"
#include "CtlCommand.h"
#include "analysis/PostPage.h"
#include "analysis/SessionAnalysis.h"
#include "platform/ResultCode.h"
#include "program/Program.h"

namespace {

// "run.sbp" -> "run-gpstc.html" in the working directory.
std::string PageNameFor(const std::string& file)
{
    std::string base = file.substr(file.find_last_of('/') + 1);
    if (const size_t dot = base.rfind('.'); dot != std::string::npos && dot > 0)
        base.erase(dot);
    return base + "-gpstc.html";
}

} // namespace

int RunPost(CtlContext& ctx, const CommandOptions& options)
{
    // The table takes "gpstc" as the only form, with one FILE.
    const std::string& file = options.arguments()[0];
    const SbpFileAnalysis f = AnalyzeSbpFile(file, RulesOf(RuleSet::Gpstc));
    if (f.status == kCannotOpen) {
        std::fprintf(stderr, "vr60ctl: cannot open %s\n", file.c_str());
        return f.status;
    }
    if (f.notALog) {
        std::fprintf(stderr, "vr60ctl: %s; nothing posted\n", NotALogText(file, f.tally).c_str());
        return kNotALog;
    }
    if (f.status == kEmptyFile) {
        if (f.problem.empty())
            std::fprintf(stderr, "vr60ctl: %s is empty\n", file.c_str());
        else
            std::fprintf(stderr, "vr60ctl: %s (%s): %s; nothing posted\n", file.c_str(), LogFormatName(f.format),
                         f.problem.c_str());
        return f.status;
    }
    // A part of a log is not a session to rank.
    if (f.analysis.results.truncated || f.analysis.track.points.empty()) {
        std::fprintf(stderr, "vr60ctl: %s %s; nothing to post\n", file.c_str(),
                     f.analysis.track.points.empty() ? "holds no usable point" : "was not read whole");
        return f.analysis.results.truncated ? kIncomplete : kEmptyFile;
    }
    const std::string page = options.isSet("out") ? options.value("out") : PageNameFor(file);
    const std::string html =
        GpstcPostPage(f.analysis.results, f.analysis.track.points.front().timeMs, options.value("form-url"));
    std::ofstream out(page, std::ios::binary | std::ios::trunc);
    out << html;
    out.close();
    if (!out) {
        std::fprintf(stderr, "vr60ctl: cannot write %s\n", page.c_str());
        return kWriteFailed;
    }
    std::printf("%s\n", page.c_str());
    if (options.isSet("no-open"))
        return kOk;
    if (!ctx.program.opener->open(page)) {
        std::fprintf(stderr, "vr60ctl: no browser could be started; open %s yourself\n", page.c_str());
        return kIncomplete;
    }
    return kOk;
}
