#include <gtest/gtest.h>

#include "basics/Text.h"
#include "connection/StatusQueries.h"
#include "connection/TextFields.h"
#include "device/SettingsOperations.h"
#include "support/SimRig.h"

namespace {

std::pair<std::string, std::string> Split(const char* text, size_t firstSize = 8, size_t restSize = 64)
{
    char first[64];
    char rest[64];
    SplitVersionText(text, first, firstSize, rest, restSize);
    return {first, rest};
}

TEST(SplitVersionText, skipsTheSecondField)
{
    EXPECT_EQ(Split("a,b,c,d"), (std::pair<std::string, std::string>{"a", "c,d"}));
    EXPECT_EQ(Split("VER,GPS,GSD4e"), (std::pair<std::string, std::string>{"VER", "GSD4e"}));
    EXPECT_EQ(Split(""), (std::pair<std::string, std::string>{"", ""}));
    EXPECT_EQ(Split("abc"), (std::pair<std::string, std::string>{"abc", ""}));
}

TEST(SplitText, keepsEmptyPartsAndTheWholeTextWithoutASeparator)
{
    using Parts = std::vector<std::string>;
    EXPECT_EQ(SplitText("rtc,battery", ','), (Parts{"rtc", "battery"}));
    EXPECT_EQ(SplitText("a,,b,", ','), (Parts{"a", "", "b", ""}));
    EXPECT_EQ(SplitText("", ','), Parts{""});
    EXPECT_EQ(SplitText("no separator", ','), Parts{"no separator"});
}

TEST(SplitVersionText, longFirstFieldStopsAtItsSizeAndStepsOverOneCharacter)
{
    // 7 characters copied, the 8th stepped over, then up to the comma skipped.
    EXPECT_EQ(Split("ABCDEFGHIJ,KL,MN"), (std::pair<std::string, std::string>{"ABCDEFG", "KL,MN"}));
    EXPECT_EQ(Split("a,b,cdefgh", 8, 4), (std::pair<std::string, std::string>{"a", "cde"}));
}

TEST(TextFromPayload, stopsAtNulPayloadEndOrField)
{
    const uint8_t bytes[] = {'a', 'b', 0, 'c'};
    EXPECT_EQ(TextFromPayload(bytes, 4, 18), "ab");
    EXPECT_EQ(TextFromPayload(bytes, 1, 18), "a");
    EXPECT_EQ(TextFromPayload(bytes, 4, 1), "a");
    EXPECT_EQ(TextFromPayload(bytes, -3, 18), "");
    const uint8_t controls[] = {'a', '\r', '\n', 0x1B, 0x7F, 0x80};
    EXPECT_EQ(TextFromPayload(controls, 6, 18), "a????\x80");
}

TEST(PortNumberOfText, readsFromTheFourthCharacter)
{
    EXPECT_EQ(PortNumberOfText("COM  3"), 3);
    EXPECT_EQ(PortNumberOfText("COM 12"), 12);
    EXPECT_EQ(PortNumberOfText("COM300"), 300 & 0xFF);
    EXPECT_EQ(PortNumberOfText("COM"), 0);
}

TEST(FileNameSafe, keepsOrdinaryNamesAndNeutralisesPaths)
{
    EXPECT_EQ(FileNameSafe("username"), "username");
    EXPECT_EQ(FileNameSafe("Jan Maier-2"), "Jan Maier-2");
    EXPECT_EQ(FileNameSafe("a/b\\c"), "a_b_c");
    EXPECT_EQ(FileNameSafe(".."), "__");
    EXPECT_EQ(FileNameSafe("x\ty*?"), "x_y__");
    // Always valid UTF-8: UTF-8 stays, other bytes are Latin-1 (C1 controls become '_').
    EXPECT_EQ(FileNameSafe("M\xFCller"), "M\xC3\xBCller");
    EXPECT_EQ(FileNameSafe("M\xC3\xBCller \xE2\x82\xAC"), "M\xC3\xBCller \xE2\x82\xAC");
    EXPECT_EQ(FileNameSafe("\xC3(\x85\xED\xA0\x80"), "\xC3\x83(_\xC3\xAD\xC2\xA0_");
}

TEST(ShowIdentity, percentageAndPaddingFollowTheCounts)
{
    SimRig rig;
    Program& p = rig.p();
    p.logAreaBytes = 4194304;
    p.pointsLogged = 65536;
    p.identity.serialNumber = 42;
    ShowIdentity(p);
    EXPECT_EQ(p.form.logData.pointsLogged, "65536(50%)");
    EXPECT_EQ(p.form.logData.maximumPoints, "131072");
    EXPECT_EQ(p.form.settings.currentSno, "000000042");

    p.identity.serialNumber = -5;
    p.logAreaBytes = 31;   // no usable log area
    ShowIdentity(p);
    EXPECT_EQ(p.form.logData.pointsLogged, "65536(0%)");
    EXPECT_EQ(p.form.settings.currentSno, "-00000005");
}

class FixedClock : public Clock {
public:
    LocalDateTime localNow() const override { return {2024, 2, 29, 23, 5, 9}; }
    int standardBiasMinutes() const override { return -330; }   // UTC+05:30
};

} // namespace

TEST(ProgramClock, stampsAndTheUtcOffsetTestReadIt)
{
    SimRig rig;
    Program& p = rig.p();
    p.clock = std::make_unique<FixedClock>();
    ASSERT_EQ(rig.connect(), 0);
    const std::string name = p.form.logData.logFileName;
    const std::string tail = "_20240229_230509.sbp";
    ASSERT_GE(name.size(), tail.size());
    EXPECT_EQ(name.substr(name.size() - tail.size()), tail) << name;
    EXPECT_EQ(FormatDateStamp(p.clock->localNow(), true) + " " + FormatTimeStamp(p.clock->localNow(), true),
              "2024-02-29 23:05:09");
    Button_utc_offset_testClick(p);
    EXPECT_EQ(std::string(SettingsItems::UtcOffset(p.form.settings.utcOffset)), "+05:30");
}
