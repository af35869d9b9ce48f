// The four points of interest against the in-process device: the coordinate
// text, read into the edit boxes, delete, write from the edit boxes (a box
// without a valid pair is not sent), the exact frames, and the map link.

#include <gtest/gtest.h>

#include "device/PoiSlots.h"
#include "platform/Shell.h"
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
    void only(std::array<bool, 4> checked) { p().form.unseen.poiChecked = checked; }
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

TEST(PoiSlots, coordinateTextHasSevenDecimalsAndItsOwnSign)
{
    const std::vector<std::pair<int32_t, std::string>> cases = {
        {-123456789, "-12.3456789"}, {5, "0.0000005"},           {-5000000, "-0.5000000"},
        {0, "0.0000000"},           {INT32_MIN, "-214.7483648"}, {1800000000, "180.0000000"}};
    for (const auto& [value, text] : cases)
        EXPECT_EQ(PoiCoordinateText(value), text) << value;
}

TEST(PoiSlots, readFillsTheEditBoxesOfTheSlotsThatAnswer)
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
    struct Case {
        std::string text;
        bool valid;
        int32_t latitude = 0;
        int32_t longitude = 0;
    };
    const std::vector<Case> cases = {
        {"12.3456789,-98.7654321", true, 123456789, -987654321},
        {" -0.5 , 0 ", true, -5000000, 0},
        {"90,-180", true, 900000000, -1800000000},
        {"-90.0000000,180", true, -900000000, 1800000000},
        {"90.0000001,0", false},
        {"0,180.5", false},
        {"12.34567891,0", false},   // eight decimals
        {"52.3N,4.9E", false},
        {"1,2,3", false},
        {"", false},
        {"12.,4", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        PoiRig rig;
        rig.only({false, true, false, true});
        rig.p().form.unseen.poiText = {"", c.text, "", "1,2"};
        EXPECT_EQ(Button_POI_uploadClick(rig.p()), c.valid ? 0 : 10);
        const Strings logs = rig.host.logs();
        ASSERT_EQ(logs.size(), 2u);
        if (c.valid) {
            EXPECT_EQ(logs[0], "POI#2(" + PoiCoordinateText(c.latitude) + "," + PoiCoordinateText(c.longitude) +
                                   ") uploaded successfully.");
            EXPECT_EQ(rig.device.poi.slots[1], (SimPoiPoint{c.latitude, c.longitude}));
        } else {
            EXPECT_EQ(logs[0], "POI#2 not uploaded: '" + c.text +
                                   "' is not latitude,longitude in degrees (at most 7 decimals, latitude -90..90, "
                                   "longitude -180..180).");
            EXPECT_EQ(rig.device.poi.slots[1], (SimPoiPoint{-338567844, 1512152967}));
        }
        EXPECT_EQ(logs[1], "POI#4(1.0000000,2.0000000) uploaded successfully.");
    }
}

TEST(PoiSlots, writeAndDeleteFramesAndTheirFailureLines)
{
    PoiRig rig;
    rig.only({false, true, false, false});
    rig.p().form.unseen.poiText[1] = "0,0";
    EXPECT_EQ(Button_POI_uploadClick(rig.p()), 0);
    EXPECT_EQ(rig.written(), (Bytes{0xA0, 0xA2, 0x0A, 0x00, 0x31, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0x32, 0x00, 0xB0, 0xB3}));
    EXPECT_EQ(Button_POI_deleteClick(rig.p()), 0);
    EXPECT_EQ(rig.written(), CmdArg(0x32, 1));
    EXPECT_FALSE(rig.device.poi.slots[1].has_value());

    rig.only({true, true, true, true});
    rig.p().form.unseen.poiText = {"1,1", "2,2", "3,3", "4,4"};
    rig.device.faults.dropAnswers[0x31] = 1;
    rig.device.faults.dropAnswers[0x32] = 2;
    rig.clearEvents();
    EXPECT_EQ(Button_POI_uploadClick(rig.p()), 10);
    EXPECT_EQ(Button_POI_deleteClick(rig.p()), 10);
    EXPECT_EQ(rig.host.logs(),
              (Strings{"POI#1 upload failed.", "POI#2(2.0000000,2.0000000) uploaded successfully.",
                       "POI#3(3.0000000,3.0000000) uploaded successfully.",
                       "POI#4(4.0000000,4.0000000) uploaded successfully.", "POI#1 delete failed.",
                       "POI#2 delete failed.", "POI#3 deleted successfully.", "POI#4 deleted successfully."}));
}

TEST(PoiSlots, noSlotCheckedSendsNothingAndNoLinkIsSaid)
{
    PoiRig rig;
    rig.only({false, false, false, false});
    EXPECT_EQ(Button_POI_downloadClick(rig.p()), 0);
    EXPECT_EQ(Button_POI_deleteClick(rig.p()), 0);
    EXPECT_EQ(Button_POI_uploadClick(rig.p()), 0);
    EXPECT_TRUE(rig.host.events.empty());
    EXPECT_TRUE(rig.written().empty());

    SimRig closed;
    EXPECT_EQ(Button_POI_downloadClick(closed.p()), 1);
    EXPECT_EQ(Button_POI_deleteClick(closed.p()), 1);
    EXPECT_EQ(Button_POI_uploadClick(closed.p()), 1);
    EXPECT_EQ(closed.host.boxes(),
              (Strings{"Com port not open Error!", "Com port not open Error!", "TBD:Com port not open Error!"}));
}

TEST(PoiSlots, mapOpensTheDefaultCoordinate)
{
    struct RecordingShell : Shell {
        bool open(const std::string& target) override
        {
            opened.push_back(target);
            return true;
        }
        std::vector<std::string> opened;
    };
    SimRig rig;
    auto shell = std::make_unique<RecordingShell>();
    RecordingShell* recorder = shell.get();
    rig.p().shell = std::move(shell);
    EXPECT_EQ(CheckBox_POI2Click(rig.p()), 0);
    EXPECT_EQ(recorder->opened,
              Strings{"https://maps.google.com/maps?q=51.4778000,-0.0015000&spn=0.05636,0.011996&t=k  "});
}

} // namespace
