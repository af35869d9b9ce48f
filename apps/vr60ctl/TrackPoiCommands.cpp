// tracks and poi: the track store (download, convert, erase, upload, untag)
// and the four points of interest (read, delete, write, map).

#include <array>
#include <cstdio>
#include <string>

#include "CommandOptions.h"
#include "CtlCommand.h"
#include "basics/MapLink.h"
#include "device/PoiSlots.h"
#include "device/TrackConversion.h"
#include "device/TrackStore.h"
#include "link/PoiCoordinates.h"
#include "platform/ResultCode.h"
#include "program/Program.h"

namespace {

// "1,3" -> slots 1 and 3 ticked; no text ticks all four, as the boxes start.
bool ParseSlots(const CommandOptions& options, std::array<bool, 4>* slots)
{
    if (options.arguments().empty()) {
        slots->fill(true);
        return true;
    }
    slots->fill(false);
    const std::string& text = options.arguments()[0];
    bool ok = true;
    // One digit, then a comma before each further digit.
    for (size_t i = 0; ok && i < text.size() + 1; i += 2) {
        ok = i < text.size() && text[i] >= '1' && text[i] <= '4' && (i + 1 == text.size() || text[i + 1] == ',');
        if (ok)
            (*slots)[size_t(text[i] - '1')] = true;
        if (ok && i + 1 == text.size())
            break;
    }
    if (!ok)
        options.fail("SLOTS is a comma list of 1 to 4, such as 1,3 ('" + text + "')");
    return ok;
}

void PrintTrackPoints(const Program& p)
{
    for (size_t n = 0; n < 4; ++n)
        if (!p.form.unseen.trackPoints[n].empty())
            std::printf("Track#%zu points  %s\n", n + 1, p.form.unseen.trackPoints[n].c_str());
}

int WithTrackPoints(CtlContext& ctx, ResultCode (*operation)(Program&))
{
    return WithDevice(ctx, [operation](Program& p) {
        const int result = operation(p);
        PrintTrackPoints(p);
        return result;
    });
}

// "N=LAT,LON": ticks slot N and puts the pair into its box.
bool ApplyPoiAssignment(const CommandOptions& options, FormState& f, const std::string& text)
{
    if (text.size() < 3 || text[0] < '1' || text[0] > '4' || text[1] != '=') {
        options.fail("'" + text + "' is not N=LAT,LON with N 1..4");
        return false;
    }
    const size_t slot = size_t(text[0] - '1');
    f.unseen.poiChecked[slot] = true;
    f.unseen.poiText[slot] = text.substr(2);
    return true;
}

} // namespace

int RunTracks(CtlContext& ctx, const CommandOptions& options)
{
    const std::string& sub = options.sub();
    Program& p = ctx.program;
    if (sub == "download")
        return WithTrackPoints(ctx, TRK_DownloadClick);
    if (sub == "upload")
        return WithDevice(ctx, TRK_UploadClick);
    if (sub == "convert") {
        const int result = Button_TRK_TO_RMCClick(p);
        PrintTrackPoints(p);
        return result;
    }
    if (!ParseSlots(options, &p.form.unseen.trackChecked))
        return kUsageError;
    if (sub == "untag")
        return WithDevice(ctx, Button5Click);
    return WithTrackPoints(ctx, [](Program& p) { return TRK_EraseClick(p); });
}

int RunPoi(CtlContext& ctx, const CommandOptions& options)
{
    const std::string& sub = options.sub();
    Program& p = ctx.program;
    if (sub == "read" || sub == "delete") {
        if (!ParseSlots(options, &p.form.unseen.poiChecked))
            return kUsageError;
        return WithDevice(ctx, sub == "read" ? Button_POI_downloadClick : Button_POI_deleteClick);
    }
    if (sub == "write") {
        p.form.unseen.poiChecked.fill(false);
        for (const std::string& assignment : options.arguments())
            if (!ApplyPoiAssignment(options, p.form, assignment))
                return kUsageError;
        bool anyPair = false;
        for (size_t n = 0; n < 4; ++n) {
            int32_t latitude = 0, longitude = 0;
            anyPair = anyPair ||
                      (p.form.unseen.poiChecked[n] && ParsePoiPair(p.form.unseen.poiText[n], &latitude, &longitude));
        }
        // A bad pair among good ones is reported by the write and the others go on; with none there is nothing to do.
        if (!anyPair) {
            std::fprintf(stderr, "vr60ctl: poi write: no slot has a valid pair (latitude,longitude in degrees, at most 7 "
                                 "decimals, latitude -90..90, longitude -180..180); nothing was sent\n");
            return kRefused;
        }
        return WithDevice(ctx, Button_POI_uploadClick);
    }
    std::printf("%s\n", MapLinkFor(kPoiMapLatitude, kPoiMapLongitude).c_str());
    return CheckBox_POI2Click(p);
}
