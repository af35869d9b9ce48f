// Telling a log from any other file by its records.

#include <gtest/gtest.h>

#include "logdata/SbpTestRecords.h"
#include "sbp/SbpLogCheck.h"
#include "support/NotLogs.h"

namespace {

TEST(SbpLogCheck, eachRuleOfAPlausibleRecordHoldsToItsLimit)
{
    SbpFields base;
    base.utc = PackSbpTime(2014, 12, 7, 8, 0, 0);
    base.latitude = 225000000;
    base.longitude = 1140000000;
    base.speed = 800;
    struct Case {
        const char* name;
        void (*change)(SbpFields&);
        bool plausible;
    };
    const Case cases[] = {
        {"as logged", [](SbpFields&) {}, true},
        {"dated 2005", [](SbpFields& f) { f.utc = PackSbpTime(2005, 1, 1, 0, 0, 0); }, true},
        {"dated 2004", [](SbpFields& f) { f.utc = PackSbpTime(2004, 12, 31, 23, 59, 59); }, false},
        {"dated 2069", [](SbpFields& f) { f.utc = PackSbpTime(2069, 12, 31, 23, 59, 59); }, true},
        {"dated 2070", [](SbpFields& f) { f.utc = PackSbpTime(2070, 1, 1, 0, 0, 0); }, false},
        {"hour 24", [](SbpFields& f) { f.utc = PackSbpTime(2014, 12, 7, 24, 0, 0); }, false},
        {"32 satellites", [](SbpFields& f) { f.satellites = 32; }, true},
        {"33 satellites", [](SbpFields& f) { f.satellites = 33; }, false},
        {"the south pole", [](SbpFields& f) { f.latitude = -900000000; }, true},
        {"past a pole", [](SbpFields& f) { f.latitude = 900000001; }, false},
        {"the date line", [](SbpFields& f) { f.longitude = -1800000000; }, true},
        {"past the date line", [](SbpFields& f) { f.longitude = 1800000001; }, false},
        {"just under 1000 km/h", [](SbpFields& f) { f.speed = 27777; }, true},
        {"1000 km/h", [](SbpFields& f) { f.speed = 27778; }, false},
    };
    for (const Case& c : cases) {
        SbpFields f = base;
        c.change(f);
        std::vector<uint8_t> record;
        AppendSbpRecord(record, f);
        EXPECT_EQ(IsPlausibleSbpRecord(record.data()), c.plausible) << c.name;
    }
}

TEST(SbpLogCheck, aFileIsALogWhenMostOfItsWrittenRecordsArePlausible)
{
    const std::vector<uint8_t> track = SampleTrack(300);
    const auto join = [](std::vector<std::vector<uint8_t>> parts) {
        std::vector<uint8_t> out;
        for (const auto& p : parts)
            out.insert(out.end(), p.begin(), p.end());
        return out;
    };
    std::vector<uint8_t> spoilt = track;   // 149 of 300 records overwritten with text
    for (size_t r = 0; r < 149; ++r)
        std::fill_n(spoilt.begin() + long(r * 2 * 32 % track.size()), 32, uint8_t('x'));
    struct Case {
        const char* name;
        std::vector<uint8_t> image;
        bool log;
        const char* says;   // the end of NotALogText
    };
    std::vector<Case> cases = {
        {"a track", track, true, ""},
        {"a header block, then a track", join({SbpHeaderBlock(), track}), true, ""},
        {"a track, then erased memory twice its size", join({track, std::vector<uint8_t>(2 * track.size(), 0xFF)}), true, ""},
        {"a track with nearly half its records spoilt", spoilt, true, ""},
        {"erased memory", std::vector<uint8_t>(640, 0xFF), false, "its 20 records are all blank (erased memory)"},
        {"zeros", std::vector<uint8_t>(640, 0), false, "its 20 records are all blank (erased memory)"},
        {"less than a record", std::vector<uint8_t>(31, 0x20), false, "it holds no whole 32-byte record"},
        {"a header block alone", SbpHeaderBlock(), false, "it holds no whole 32-byte record"},
    };
    for (const NotALog& n : FilesThatAreNotLogs())
        cases.push_back({n.name, n.bytes, false, "records hold a plausible date, position and speed"});
    for (const Case& c : cases) {
        ASSERT_FALSE(c.image.empty()) << c.name;
        SbpLogTally tally;
        tally.addImage(c.image.data(), c.image.size());
        EXPECT_EQ(tally.looksLikeLog(), c.log) << c.name;
        const std::string text = NotALogText("f.sbp", tally);
        EXPECT_EQ(text.rfind("f.sbp does not look like a VR60 log: ", 0), 0u) << text;
        EXPECT_TRUE(text.ends_with(c.says)) << c.name << ": " << text;
    }
}

} // namespace
