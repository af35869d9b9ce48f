#include "logdata/GridCsv.h"

#include "logdata/PointGridText.h"
#include "platform/FileAccess.h"
#include "program/PointGrid.h"
#include "program/Program.h"

bool SaveGridAsCsv(Program& p, const PointGrid& grid, const std::string& fileName)
{
    OutputFile out(fileName, {.removeExisting = true, .removeOnFailure = true});
    out.open();
    std::string text;
    text.reserve(1 << 20);
    char cell[kGridCellChars];
    for (size_t row = 0; row < grid.rowCount() && out.ok(); ++row) {
        for (int c = 0; c < kGridColumns; ++c) {
            const size_t n = FormatGridCell(grid, row, c, cell);
            if (c > 0)
                text += ',';
            text += '"';
            for (size_t i = 0; i < n; ++i) {
                if (cell[i] == '"')
                    text += '"';
                text += cell[i];
            }
            text += '"';
        }
        text += "\r\n";
        if (text.size() > (1 << 20) - 4096) {
            out.write(text.data(), text.size());
            text.clear();
        }
    }
    out.write(text.data(), text.size());
    if (!out.close()) {
        p.host.logLine("Cannot write " + fileName + ": " + out.errorText());
        return false;
    }
    p.host.logLine(fileName + " CSV file created.");
    return true;
}

bool SaveGridAsCsv(Program& p, const std::string& fileName)
{
    return SaveGridAsCsv(p, p.grid, fileName);
}

bool GridSaveAllowed(Program& p)
{
    if (p.grid.rowCount() == 0 || p.browser.loadedSize == 0) {
        p.host.messageBox("Load SBP first !");
        return false;
    }
    return true;
}

void GridSaveToFileClick(Program& p, const std::string& name)
{
    if (name.empty() || !GridSaveAllowed(p))
        return;
    if (SaveGridAsCsv(p, name))
        p.host.successBox(name + " saved.");
    else
        p.host.messageBox("Cannot write " + name);
}
