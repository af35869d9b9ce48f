// vr60ctl convert and maplink on a file, as a user runs them: no device, the
// outputs in the working folder, the lines the window's message log shows.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "logdata/SbpTestRecords.h"
#include "platform/ExternalTool.h"
#include "platform/ResultCode.h"
#include "support/Files.h"
#include "support/Processes.h"

TEST(CtlConvertE2E, convertWritesEveryFormatAndMaplinkNamesThePoint)
{
    ScratchDir dir;
    const bool haveConverter = !ExternalTool().find("gpsbabel").empty();
    const std::vector<uint8_t> log = SampleTrack(50);
    std::ofstream(dir.file("trip one.sbp"), std::ios::binary).write(reinterpret_cast<const char*>(log.data()),
                                                                    std::streamsize(log.size()));

    const CtlResult r = RunCtl({"convert", "trip one.sbp"}, {}, dir.path.string());
    if (!haveConverter) {
        EXPECT_EQ(r.status, kConverterFailed);
        return;
    }
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Load SBP file trip one.sbp\n"
                     "Total SBP file size=1600, points=50\n"
                     "converting...\n"
                     "trip one.csv CSV file created.\n"
                     "trip one.kml(plt,nmea,gpx) files generated\n"
                     "[Total:50,No Fix:0,Bad:0]\n");
    for (const char* ext : {".NMEA", ".plt", ".csv", ".gpx", ".kml"})
        EXPECT_GT(std::filesystem::file_size(dir.file(std::string("trip one") + ext)), 0u) << ext;

    const CtlResult link = RunCtl({"maplink", "trip one.sbp", "2"}, {}, dir.path.string());
    EXPECT_EQ(link.status, 0);
    const std::string expected = "\nhttps://maps.google.com/maps?q=22.5001234,114.0002345&spn=0.05636,0.011996&t=k  \n";
    ASSERT_GE(link.out.size(), expected.size());
    EXPECT_EQ(link.out.substr(link.out.size() - expected.size()), expected);
}
