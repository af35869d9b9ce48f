#include "platform/GpsBabelJob.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/FileAccess.h"

std::string SplitLogOptionText(bool splitTrack)
{
    if (!splitTrack)
        return {};
    char text[64];
    std::snprintf(text, sizeof text, " -x track,split=1h,title=\"VR40LOG#%%c\"");
    return text;
}

std::vector<std::string> CommandLineWords(const std::string& text)
{
    std::vector<std::string> words;
    std::string word;
    bool inWord = false, quoted = false;
    for (char c : text) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inWord)
                words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words.push_back(word);
    return words;
}

std::vector<std::string> GpsBabelArguments(const GpsBabelJob& job)
{
    std::vector<std::string> args = {"-t", "-i", job.inputFormat, "-f", job.input};
    args.insert(args.end(), job.filterWords.begin(), job.filterWords.end());
    args.insert(args.end(), {"-o", job.outputFormat, "-F", job.output});
    return args;
}

ExternalTool::Result RunGpsBabel(const ExternalTool& tool, const GpsBabelJob& job, const std::function<void()>& pump)
{
    ExternalTool run = tool;
    const bool hasTz = std::any_of(run.environment.begin(), run.environment.end(),
                                   [](const auto& e) { return e.first == "TZ"; });
    if (!hasTz) {
        const char* tz = std::getenv("TZ");
        run.environment.push_back({"TZ", tz && *tz ? tz : "UTC"});
    }
    // About 1.5 s per 10 MB here; the limit leaves a slow machine plenty.
    const long long inputBytes = std::max(0LL, RegularFileSize(job.input));
    const int timeoutMs = int(60000 + inputBytes / 1000);
    // GPSBabel exits 0 when a write fails: a GPX or KML file must end with its closing tag.
    for (const char* format : {"gpx", "kml"})
        if (job.outputFormat.rfind(format, 0) == 0)
            run.outputEnding = std::string("</") + format + ">";
    return run.run("gpsbabel", GpsBabelArguments(job), job.output, timeoutMs, pump);
}
