// tracks and poi: the track store (download, convert, erase, upload, untag)
// and the four points of interest (read, delete, write, map).

#include <array>
#include <cstdio>
#include <string>

#include "CtlCommand.h"
#include "device/PoiSlots.h"
#include "device/TrackConversion.h"
#include "device/TrackStore.h"
#include "link/PoiCoordinates.h"
#include "logdata/LogBrowser.h"
#include "platform/ResultCode.h"
#include "program/Program.h"

namespace {

// "1,3" -> slots 1 and 3 ticked; no text ticks all four, as the boxes start.
bool ParseSlots(const std::string& command, const Args& args, size_t at, std::array<bool, 4>* slots)
{
    if (args.size() <= at) {
        slots->fill(true);
        return true;
    }
    slots->fill(false);
    const std::string& text = args[at];
    bool ok = args.size() == at + 1;
    // One digit, then a comma before each further digit.
    for (size_t i = 0; ok && i < text.size() + 1; i += 2) {
        ok = i < text.size() && text[i] >= '1' && text[i] <= '4' && (i + 1 == text.size() || text[i + 1] == ',');
        if (ok)
            (*slots)[size_t(text[i] - '1')] = true;
        if (ok && i + 1 == text.size())
            break;
    }
    if (!ok)
        std::fprintf(stderr, "vr60ctl: %s: SLOTS is a comma list of 1 to 4, such as 1,3\n", command.c_str());
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
bool ApplyPoiAssignment(FormState& f, const std::string& text)
{
    if (text.size() < 3 || text[0] < '1' || text[0] > '4' || text[1] != '=') {
        std::fprintf(stderr, "vr60ctl: poi write: '%s' is not N=LAT,LON with N 1..4\n", text.c_str());
        return false;
    }
    const size_t slot = size_t(text[0] - '1');
    f.unseen.poiChecked[slot] = true;
    f.unseen.poiText[slot] = text.substr(2);
    return true;
}

} // namespace

int RunTracks(CtlContext& ctx, const Args& args)
{
    const std::string sub = args.empty() ? std::string() : args[0];
    Program& p = ctx.program;
    if ((sub == "download" || sub == "convert" || sub == "upload") && args.size() == 1) {
        if (sub == "download")
            return WithTrackPoints(ctx, TRK_DownloadClick);
        if (sub == "upload")
            return WithDevice(ctx, TRK_UploadClick);
        const int result = Button_TRK_TO_RMCClick(p);
        PrintTrackPoints(p);
        return result;
    }
    if (sub == "erase" || sub == "untag") {
        if (!ParseSlots("tracks " + sub, args, 1, &p.form.unseen.trackChecked))
            return 2;
        if (sub == "untag")
            return WithDevice(ctx, Button5Click);
        return WithTrackPoints(ctx, [](Program& p) { return TRK_EraseClick(p); });
    }
    std::fprintf(stderr, "usage: vr60ctl tracks download|convert|upload, tracks erase|untag [SLOTS]\n");
    return 2;
}

int RunPoi(CtlContext& ctx, const Args& args)
{
    const std::string sub = args.empty() ? std::string() : args[0];
    Program& p = ctx.program;
    if (sub == "read" || sub == "delete") {
        if (!ParseSlots("poi " + sub, args, 1, &p.form.unseen.poiChecked))
            return 2;
        return WithDevice(ctx, sub == "read" ? Button_POI_downloadClick : Button_POI_deleteClick);
    }
    if (sub == "write" && args.size() >= 2) {
        p.form.unseen.poiChecked.fill(false);
        for (size_t i = 1; i < args.size(); ++i)
            if (!ApplyPoiAssignment(p.form, args[i]))
                return 2;
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
    if (sub == "map" && args.size() == 1) {
        std::printf("%s\n", MapLinkFor(kPoiMapLatitude, kPoiMapLongitude).c_str());
        return CheckBox_POI2Click(p);
    }
    std::fprintf(stderr, "usage: vr60ctl poi read|delete [SLOTS], poi write N=LAT,LON ..., poi map\n");
    return 2;
}
