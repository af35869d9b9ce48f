#include "logdata/LogBrowser.h"

#include <cstdio>


#include "basics/MapLink.h"
#include "basics/WholeFile.h"
#include "logdata/PointGridText.h"
#include "platform/FileAccess.h"
#include "platform/ResultCode.h"
#include "program/PointGrid.h"
#include "program/Program.h"
#include "sbp/SbpLogCheck.h"


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

bool StringGrid1SelectCell(Program& p, int column, size_t row)
{
    p.browser.selectedRow = row;
    if (row == 0)
        return true;
    const std::string link = MapLinkFor(GridCell(p.grid, row, 6), GridCell(p.grid, row, 7));
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
    if (p.opener->open(link))
        return true;
    p.host.logLine("Cannot open " + link);
    return false;
}
