// The four points of interest against the in-process device: the coordinate
// text, read into the edit boxes, delete, write from the edit boxes (a box
// without a valid pair is not sent), the exact frames, and the map link.

#include <gtest/gtest.h>

#include "device/PoiSlots.h"
#include "link/PoiCoordinates.h"
#include "logdata/LogFileFixture.h"
#include "sim/SimWire.h"
#include "support/SimRig.h"

namespace {

using Strings = std::vector<std::string>;

struct PoiRig : SimRig {
    PoiRig()
    {
        connect();
        clearEvents();
        sent = transport->written().size();
    }
    // What was written to the device since the last call.
    Bytes written()
    {
        const std::vector<uint8_t>& all = transport->written();
        Bytes out(all.begin() + long(sent), all.end());
        sent = all.size();
        return out;
    }
    size_t sent = 0;
};

TEST(PoiSlots, readFillsTheEditBoxesOfTheSlotsThatAnswerInFull)
{
    PoiRig rig;
    rig.device.poi.slots[2] = SimPoiPoint{123456789, -987654321};
    rig.p().form.unseen.poiText[3] = "kept";
    rig.device.faults.shortAnswers[0x30] = 1;   // slot 1: latitude only
    EXPECT_EQ(Button_POI_downloadClick(rig.p()), 10);
    EXPECT_EQ(rig.host.logs(), (Strings{"POI#1 download or null failed.", "POI#2(-33.8567844,151.2152967).",
                                        "POI#3(12.3456789,-98.7654321).", "POI#4 download or null failed."}));
    EXPECT_EQ(rig.p().form.unseen.poiText,
              (std::array<std::string, 4>{"", "-33.8567844,151.2152967", "12.3456789,-98.7654321", "kept"}));
    EXPECT_EQ(rig.written(), Concat({CmdArg(0x30, 0), CmdArg(0x30, 1), CmdArg(0x30, 2), CmdArg(0x30, 3)}));
}

TEST(PoiSlots, writeSendsEachCheckedBoxsPairAndSkipsTextThatIsNotOne)
{
    // The box's text, and the pair as sent and shown (empty: not sent).
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"12.3456789,-98.7654321", "12.3456789,-98.7654321"},
        {" -0.5 , 0.0000005 ", "-0.5000000,0.0000005"},
        {"-90,180.0000000", "-90.0000000,180.0000000"},
        {"90.0000001,0", ""},
        {"0,-180.5", ""},
        {"12.34567891,0", ""},   // eight decimals
        {"52.3N,4.9E", ""},
        {"1,2,3", ""},
        {"", ""},
    };
    for (const auto& [text, sent] : cases) {
        SCOPED_TRACE(text);
        PoiRig rig;
        rig.p().form.unseen.poiChecked = {false, true, false, true};
        rig.p().form.unseen.poiText = {"", text, "", "1,2"};
        EXPECT_EQ(Button_POI_uploadClick(rig.p()), sent.empty() ? 10 : 0);
        const std::string first = sent.empty() ? "POI#2 not uploaded: '" + text + "' is not latitude,longitude in "
                                                 "degrees (at most 7 decimals, latitude -90..90, longitude -180..180)."
                                               : "POI#2(" + sent + ") uploaded successfully.";
        EXPECT_EQ(rig.host.logs(), (Strings{first, "POI#4(1.0000000,2.0000000) uploaded successfully."}));
        const SimPoiPoint stored = *rig.device.poi.slots[1];
        EXPECT_EQ(PoiCoordinateText(stored.latitude) + "," + PoiCoordinateText(stored.longitude),
                  sent.empty() ? "-33.8567844,151.2152967" : sent);
    }
}

TEST(PoiSlots, writeAndDeleteFramesAndTheirFailureLines)
{
    PoiRig rig;
    rig.p().form.unseen.poiChecked = {false, true, false, false};
    rig.p().form.unseen.poiText[1] = "0,0";
    EXPECT_EQ(Button_POI_uploadClick(rig.p()), 0);
    EXPECT_EQ(rig.written(), (Bytes{0xA0, 0xA2, 0x0A, 0x00, 0x31, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0x32, 0x00, 0xB0, 0xB3}));
    EXPECT_EQ(Button_POI_deleteClick(rig.p()), 0);
    EXPECT_EQ(rig.written(), CmdArg(0x32, 1));
    EXPECT_FALSE(rig.device.poi.slots[1].has_value());

    rig.p().form.unseen.poiChecked = {true, true, false, false};
    rig.p().form.unseen.poiText = {"1,1", "2,2", "", ""};
    rig.device.faults.dropAnswers[0x31] = 1;
    rig.device.faults.dropAnswers[0x32] = 1;
    rig.clearEvents();
    EXPECT_EQ(Button_POI_uploadClick(rig.p()), 10);
    EXPECT_EQ(Button_POI_deleteClick(rig.p()), 10);
    EXPECT_EQ(rig.host.logs(), (Strings{"POI#1 upload failed.", "POI#2(2.0000000,2.0000000) uploaded successfully.",
                                        "POI#1 delete failed.", "POI#2 deleted successfully."}));

    rig.p().form.unseen.poiChecked = {false, false, false, false};
    rig.clearEvents();
    rig.written();
    EXPECT_EQ(Button_POI_downloadClick(rig.p()) + Button_POI_deleteClick(rig.p()) + Button_POI_uploadClick(rig.p()), 0);
    EXPECT_TRUE(rig.host.events.empty());
    EXPECT_TRUE(rig.written().empty());
}

TEST(PoiSlots, mapOpensTheDefaultCoordinate)
{
    SimRig rig;
    auto opener = std::make_unique<FakeOpener>();
    const Strings& opened = opener->opened;
    rig.p().opener = std::move(opener);
    EXPECT_EQ(CheckBox_POI2Click(rig.p()), 0);
    EXPECT_EQ(opened, Strings{"https://maps.google.com/maps?q=51.4778000,-0.0015000&spn=0.05636,0.011996&t=k  "});
}

} // namespace
