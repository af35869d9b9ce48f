#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include <QFile>

#include "platform/ExternalTool.h"
#include "support/Files.h"

namespace {

class ExternalToolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        tool.searchPath = {dir.path.string()};
    }
    void script(const std::string& name, const std::string& body)
    {
        const std::string file = dir.path.string() + "/" + name;
        std::ofstream(file) << "#!/bin/sh\n" << body;
        QFile::setPermissions(QString::fromStdString(file),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    std::string read(const std::string& name) { return ReadText(out(name)); }
    std::string out(const std::string& name) { return dir.path.string() + "/" + name; }

    ScratchDir dir;
    ExternalTool tool;
};

} // namespace

TEST_F(ExternalToolTest, argumentsArriveUnchangedAndEnvironmentIsAdded)
{
    script("conv", "for a in \"$@\"; do printf '[%s]' \"$a\" >> \"$OUT.args\"; done\n"
                   "printf '%s' \"$TZ\" > \"$OUT\"\n");
    tool.environment = {{"TZ", "UTC"}, {"OUT", out("result")}};
    int pumps = 0;
    const auto r = tool.run("conv", {"a b", "\"q\"", "Ünïcödé", "$HOME", "*", "", "-x"}, out("result"), 10000,
                            [&] { ++pumps; });
    EXPECT_EQ(r.status, ExternalTool::Status::Ok);
    EXPECT_EQ(read("result.args"), "[a b][\"q\"][Ünïcödé][$HOME][*][][-x]");
    EXPECT_EQ(read("result"), "UTC");
    EXPECT_EQ(r.program, out("conv"));
}

TEST_F(ExternalToolTest, failuresAreTold)
{
    EXPECT_EQ(tool.run("absent", {}, "", 1000, {}).status, ExternalTool::Status::NotFound);

    script("bad", "echo 'Could not open \"x\" for reading' >&2\nexit 1\n");
    const auto bad = tool.run("bad", {}, "", 10000, {});
    EXPECT_EQ(bad.status, ExternalTool::Status::ExitCode);
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_EQ(DescribeToolFailure(bad, "t.gpx"),
              out("bad") + " failed with exit status 1 while making t.gpx (Could not open \"x\" for reading).");

    // Exit 0 is not enough: the output must be there and not be empty, and a stale one does not count.
    std::ofstream(out("stale.gpx")) << "old";
    script("quiet", "exit 0\n");
    EXPECT_EQ(tool.run("quiet", {}, out("stale.gpx"), 10000, {}).status, ExternalTool::Status::NoOutput);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(out("stale.gpx"))));

    // A converter that exits 0 after a failed write leaves a cut file: it is removed, not taken.
    script("cut", "printf '<gpx>\\n<trk>\\n' > \"$1\"\n");
    tool.outputEnding = "</gpx>";
    const auto cut = tool.run("cut", {out("cut.gpx")}, out("cut.gpx"), 10000, {});
    EXPECT_EQ(cut.status, ExternalTool::Status::Truncated);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(out("cut.gpx"))));
    script("whole", "printf '<gpx>\\n</gpx>\\n' > \"$1\"\n");
    EXPECT_EQ(tool.run("whole", {out("whole.gpx")}, out("whole.gpx"), 10000, {}).status, ExternalTool::Status::Ok);
    tool.outputEnding.clear();

    script("crash", "kill -SEGV $$\n");
    EXPECT_EQ(tool.run("crash", {}, "", 10000, {}).status, ExternalTool::Status::Crashed);
}

TEST_F(ExternalToolTest, timeLimitStopsTheChildWhilePumping)
{
    script("slow", "exec sleep 30\n");
    int pumps = 0;
    const auto r = tool.run("slow", {}, "", 300, [&] { ++pumps; });
    EXPECT_EQ(r.status, ExternalTool::Status::TimedOut);
    EXPECT_GE(pumps, 2);
}
