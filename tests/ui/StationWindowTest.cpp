// The station window offscreen: a tile for each slot showing what the slot holds,
// its verdict in the outcome's colour, and a close that stops the station first.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>

#include "shell/Station.h"
#include "ui/StationWindow.h"
#include "ui/WindowRig.h"

namespace {

TEST(StationWindow, eachTileShowsItsUnitStepVerdictColourFailedItemsAndTime)
{
    TestApplication();
    struct Case {
        SlotPhase phase;
        const char* outcome;
        std::vector<std::string> failed;
        const char* verdict;
        const char* background;
        const char* items;
        const char* took;
    };
    const Case cases[] = {
        {SlotPhase::Waiting, "", {}, "waiting", "#eeeeee", "", ""},
        {SlotPhase::Testing, "FAIL", {"RTC"}, "self test", "#fff3b0", "", ""},   // the last unit's result is gone
        {SlotPhase::Done, "PASS", {}, "PASS", "#2e9d3a", "", "12.3 s"},
        {SlotPhase::Done, "FAIL", {"GPS RMC", "Battery"}, "FAIL", "#c62828", "GPS RMC, Battery", "12.3 s"},
        {SlotPhase::Done, "no answer", {}, "no answer", "#ef8a17", "", "12.3 s"},
        {SlotPhase::Done, "BIT timeout", {}, "BIT timeout", "#ef8a17", "", "12.3 s"},
        {SlotPhase::Done, "interrupted", {}, "interrupted", "#9e9e9e", "", "12.3 s"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.verdict);
        StationSlot slot;
        slot.port = "COM7";
        slot.present = true;
        slot.phase = c.phase;
        slot.serial = 12345;
        slot.userName = "Kite 7";
        slot.step = "self test";
        slot.outcome = c.outcome;
        slot.failedItems = c.failed;
        slot.tookMs = c.phase == SlotPhase::Done ? 12345 : 0;
        StationTile tile;
        tile.showSlot(slot);
        EXPECT_EQ(tile.port->text(), "COM7");
        EXPECT_EQ(tile.unit->text(), "000012345  \"Kite 7\"");
        EXPECT_EQ(tile.verdict->text().toStdString(), c.verdict);
        EXPECT_TRUE(tile.verdict->styleSheet().contains(QLatin1String(c.background))) << tile.verdict->styleSheet().toStdString();
        EXPECT_EQ(tile.items->text().toStdString(), c.items);
        EXPECT_EQ(tile.took->text().toStdString(), c.took);
    }
    StationSlot gone;
    gone.port = "/dev/pts/9";
    gone.sharedSerialWith = "COM3";
    StationTile tile;
    tile.showSlot(gone);
    EXPECT_EQ(tile.port->text(), "/dev/pts/9  (unplugged)");
    EXPECT_EQ(tile.unit->text(), "-\nsame serial on COM3");
}

TEST(StationWindow, aTileForEachPortAndAWindowThatClosesOnlyOnceTheStationStopped)
{
    TestApplication();
    StationOptions options;
    options.ports = {"/nonexistent/vr60-a", "/nonexistent/vr60-b", "/nonexistent/vr60-c"};
    options.worker = "/nonexistent/vr60ctl";
    Station station(options);
    StationWindow window(station);
    station.finished = [&] { window.close(); };
    window.show();
    station.start();
    QCoreApplication::processEvents();
    ASSERT_EQ(window.tiles().size(), 3u);
    EXPECT_EQ(window.tiles()[2]->port->text(), "/nonexistent/vr60-c  (unplugged)");
    EXPECT_EQ(window.tiles()[2]->verdict->text(), "waiting");
    window.close();
    EXPECT_TRUE(window.isVisible());   // the stop comes first
    EXPECT_TRUE(station.stopping());
    for (int i = 0; i < 10 && window.isVisible(); ++i)
        QCoreApplication::processEvents();
    EXPECT_TRUE(station.done());
    EXPECT_FALSE(window.isVisible());
}

} // namespace
