// Any bytes as an .sbp file: load it into the point grid, format every cell of
// the first rows and their map links, and write its NMEA and PLT files.

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <QDir>
#include <QTemporaryDir>

#include "basics/WholeFile.h"
#include "logdata/LogBrowser.h"
#include "logdata/LogConvert.h"
#include "logdata/PointGridText.h"
#include "platform/QuietHost.h"
#include "platform/ResultCode.h"
#include "program/Program.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir dir;
    static const bool entered = QDir::setCurrent(dir.path());
    if (!entered)
        return 0;
    {
        std::ofstream out("input.sbp", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
    }
    QuietHost host;
    Program p(host, [](const std::string&) { return std::unique_ptr<Transport>(); });
    if (Load_SBPClick(p, "input.sbp") != 0)
        return 0;
    for (size_t row = 0; row < p.grid.rowCount() && row < 64; ++row) {
        for (int c = 0; c < 15; ++c)
            (void)GridCell(p.grid, row, c);
        StringGrid1SelectCell(p, 0, row);
    }
    std::vector<uint8_t> image;
    if (ReadWholeFile("input.sbp", kWholeFileLimit, image) == kOk)
        WriteSbpExports(p, image, "out");
    return 0;
}
