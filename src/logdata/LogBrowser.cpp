#include "logdata/LogBrowser.h"

#include <cerrno>
#include <cinttypes>
#include <climits>
#include <cstdio>
#include <cstdlib>


#include "logdata/PointGridDecode.h"
#include "program/Program.h"
#include "program/PointGrid.h"
#include "platform/FileAccess.h"
#include "platform/ResultCode.h"
#include "sbp/SbpLogCheck.h"

namespace {

bool ParseInteger(const std::string& text, int64_t& value)
{
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < INT32_MIN || v > INT32_MAX)
        return false;
    value = v;
    return true;
}

} // namespace

ResultCode Load_SBPClick(Program& p, const std::string& chosenFile)
{
    p.form.logData.browseDownloadEnabled = true;
    p.form.browse.gridEnabled = true;
    p.form.browse.mapViewEnabled = true;
    if (chosenFile.empty())
        return kOk;

    std::vector<uint8_t> image;
    const ResultCode result = ReadWholeFile(chosenFile, kWholeFileLimit, image);
    if (result != kOk) {
        p.host.messageBox("Load SBP failed!");
        return result;
    }
    p.browser.loadedSize = image.size();
    const size_t points = image.size() / kSbpRecordBytes;
    char line[64];
    p.host.logLine("Load SBP file " + chosenFile);
    std::snprintf(line, sizeof line, "Total SBP file size=%zu, points=%zu", image.size(), points);
    p.host.logLine(line);
    WarnWhenNotALog(p, chosenFile, image, "loaded as it is");

    DecodeSbpRecords(p.grid, nullptr, points);
    p.grid.decodeImage(std::move(image), points);   // the grid keeps the file image itself
    p.grid.sourceFile = AbsoluteFileName(chosenFile);
    p.form.logData.logFileName = chosenFile;
    return kOk;
}

void WarnWhenNotALog(Program& p, const std::string& file, const std::vector<uint8_t>& image, const char* going)
{
    SbpLogTally tally;
    tally.addImage(image.data(), image.size());
    if (!tally.looksLikeLog())
        p.host.logLine("Warning: " + NotALogText(file, tally) + "; " + going);
}

void Button_BrowseClick(Program& p, const std::string& chosenFile)
{
    if (!chosenFile.empty())
        p.form.logData.logFileName = chosenFile;
}

std::string MapLinkFor(const std::string& latText, const std::string& lonText)
{
    int64_t lat = 0, lon = 0;
    if (!ParseInteger(latText, lat) || !ParseInteger(lonText, lon))
        return {};
    const char* latSign = lat < 0 ? "-" : "";
    const char* lonSign = lon < 0 ? "-" : "";
    lat = lat < 0 ? -lat : lat;
    lon = lon < 0 ? -lon : lon;
    char query[160];
    std::snprintf(query, sizeof query, "/maps?q=%s%" PRId64 ".%07" PRId64 ",%s%" PRId64 ".%07" PRId64
                  "&spn=0.05636,0.011996&t=k  ",
                  latSign, lat / 10000000, lat % 10000000, lonSign, lon / 10000000, lon % 10000000);
    return std::string(kMapServiceAddress) + query;
}

bool StringGrid1SelectCell(Program& p, int column, size_t row)
{
    p.browser.selectedRow = row;
    if (row == 0)
        return true;
    const std::string link = MapLinkFor(p.grid.cell(row, 6), p.grid.cell(row, 7));
    if (!link.empty())
        p.browser.mapLink = link;
    return true;
}

bool StringGrid1DblClick(Program& p)
{
    if (p.browser.selectedRow == 0 || p.browser.mapLink.empty())
        return false;
    // The link ends in two blanks; a browser given them would send them as %20%20.
    std::string link = p.browser.mapLink;
    while (!link.empty() && link.back() == ' ')
        link.pop_back();
    if (p.shell->open(link))
        return true;
    p.host.logLine("Cannot open " + link);
    return false;
}
