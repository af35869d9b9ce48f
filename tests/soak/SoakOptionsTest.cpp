// The soak refuses what it would otherwise ignore and run on its defaults.

#include <gtest/gtest.h>

#include "soak/SoakOptions.h"

TEST(SoakOptions, takesItsFourOptionsAndRefusesEverythingElse)
{
    const struct {
        std::vector<std::string> args;
        bool ok;
        const char* error;   // part of it
    } cases[] = {
        {{}, true, ""},
        {{"--cycles", "5", "--downloads", "0", "--faults", "100", "--seed", "7"}, true, ""},
        {{"--fault", "100"}, false, "unknown option --fault"},
        {{"cycles", "5"}, false, "unknown option cycles"},
        {{"--cycles"}, false, "--cycles needs a value"},
        {{"--faults", "101"}, false, "'101' is not a value for --faults (0..100)"},
        {{"--downloads", "-1"}, false, "'-1' is not a value for --downloads"},
        {{"--seed", "x"}, false, "'x' is not a value for --seed"},
        {{"--cycles", "5k"}, false, "'5k' is not a value for --cycles"},
    };
    for (const auto& c : cases) {
        SoakOptions options;
        std::string error;
        EXPECT_EQ(ReadSoakOptions(c.args, options, error), c.ok) << c.error;
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
    SoakOptions options;
    std::string error;
    ASSERT_TRUE(ReadSoakOptions({"--faults", "3", "--seed", "9"}, options, error));
    EXPECT_EQ(options.cycles, 1000);
    EXPECT_EQ(options.downloads, 100);
    EXPECT_EQ(options.faults, 3);
    EXPECT_EQ(options.seed, 9);
}
