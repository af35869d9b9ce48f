// vr60ctl ini and testconfig as a user runs them: the exit status says whether a
// write went through; the reading rules themselves are checked in-process
// (tests/prodtest/IniModelTest.cpp).

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/Files.h"
#include "support/Processes.h"

namespace fs = std::filesystem;

TEST(CtlIniE2E, writesReportSuccessAndFailureInTheExitStatus)
{
    ScratchDir scratch;
    const fs::path& dir = scratch.path;
    const std::string path = scratch.file("t.ini");
    EXPECT_EQ(RunCtl({"ini", "put", path, "S", "k", "v"}).status, 0);
    EXPECT_EQ(RunCtl({"ini", "putlong", path, "", "n", "-12"}).status, 0);
    EXPECT_EQ(RunCtl({"ini", "getlong", path, "", "n", "5"}).out, "-12\n");
    EXPECT_EQ(RunCtl({"ini", "get", path, "s", "K"}).out, "v\n");
    EXPECT_EQ(RunCtl({"ini", "delete", path, "S", "k"}).status, 0);
    EXPECT_EQ(RunCtl({"ini", "get", path, "S", "k", "gone"}).out, "gone\n");
    EXPECT_EQ(RunCtl({"ini", "delete", path, "S"}).status, 0);
    EXPECT_EQ(ReadText(path), "n=-12\r\n");
    // A directory where the temporary file would go: the write fails with status 1.
    fs::create_directory(dir / "t.in~");
    EXPECT_EQ(RunCtl({"ini", "put", path, "S", "k", "v"}).status, 1);
    EXPECT_EQ(RunCtl({"ini", "frobnicate", path, "S"}).status, 2);
}

TEST(CtlIniE2E, testconfigSaveWritesTheConfigurationInTheWorkingDirectory)
{
    ScratchDir scratch;
    const fs::path& dir = scratch.path;
    const CtlResult r = RunCtl({"testconfig", "save"}, {}, dir.string());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("batt_base_volt 423"), std::string::npos) << r.out;
    EXPECT_TRUE(fs::exists(dir / "VR60Test.ini"));
    const CtlResult shown = RunCtl({"testconfig"}, {}, dir.string());
    EXPECT_NE(shown.out.find("test1 59 (0000003bh)"), std::string::npos) << shown.out;
}
