// What the user gives for a port, resolved against a port list built here.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/PortTable.h"
#include "support/Files.h"

namespace {

TEST(PortTable, resolvesNamesAndPathsAgainstTheListedPorts)
{
    ScratchDir scratch;
    const std::string dir = std::filesystem::canonical(scratch.path).string();
    const std::string tty = dir + "/tty";
    const std::string given = dir + "/given";
    const std::string other = dir + "/other";
    for (const std::string& f : {tty, given, other})
        std::ofstream(f) << "";
    std::filesystem::create_symlink(tty, dir + "/to-tty");
    std::filesystem::create_symlink(other, dir + "/to-other");

    const std::vector<PortEntry> ports = {
        {1, "/dev/ttyACM0", "usb-x", PortKind::Usb},
        {3, tty, "alias", PortKind::Alias},
        {5, given, "given on the command line", PortKind::CommandLine},
    };
    std::vector<PortEntry> full;
    for (int n = 1; n <= kHighestPortNumber; ++n)
        full.push_back({n, "/dev/null", "", PortKind::Alias});

    const struct {
        std::string text;
        bool everyNumberTaken;
        int number;
        std::string path;
        std::string label;
        bool listed;
        bool named;
        bool usable;
    } cases[] = {
        {"COM3", false, 3, tty, "COM3 (" + tty + ")", true, true, true},
        {"COM  3", false, 3, tty, "COM3 (" + tty + ")", true, true, true},
        {"COM7", false, 7, "", "COM7", false, true, true},
        {"COM255", false, 255, "", "COM255", false, true, true},
        {"COM256", false, 256, "", "COM256", false, true, false},
        // Numbers start at 1: "COM0" can only be a (relative) path, lent the first free number.
        {"COM0", false, 2, "COM0", "COM0", false, false, true},
        {dir + "/to-tty", false, 3, tty, "COM3 (" + tty + ")", true, false, true},
        {given, false, 5, given, given, true, false, true},
        {other, false, 2, other, other, false, false, true},
        {dir + "/to-other", false, 2, dir + "/to-other", dir + "/to-other (" + other + ")", false, false, true},
        {dir + "/missing", false, 2, dir + "/missing", dir + "/missing", false, false, true},
        {dir + "/missing", true, -1, dir + "/missing", dir + "/missing", false, false, false},
        {"COM7", true, 7, "/dev/null", "COM7 (/dev/null)", true, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text + (c.everyNumberTaken ? " (every number taken)" : ""));
        const PortRef ref = ResolvePort(c.text, c.everyNumberTaken ? full : ports);
        EXPECT_EQ(ref.number, c.number);
        EXPECT_EQ(ref.path, c.path);
        EXPECT_EQ(ref.label, c.label);
        EXPECT_EQ(ref.listed, c.listed);
        EXPECT_EQ(ref.named, c.named);
        EXPECT_EQ(PortNumberUsable(ref.number), c.usable);
        // What is not listed can only be a path known to its caller.
        EXPECT_EQ(ref.kind, !c.listed || c.text == given ? PortKind::CommandLine : PortKind::Alias);
    }
}

} // namespace
