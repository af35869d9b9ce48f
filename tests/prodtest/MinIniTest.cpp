// The INI reader and writer: reading rules, the rewrite, deleting, creating,
// and what happens when the file system says no.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>

#include "prodtest/MinIni.h"
#include "support/Files.h"

namespace fs = std::filesystem;

namespace {

class MinIniTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("vr60-ini-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        file = (dir / "VR60Test.ini").string();
    }
    void TearDown() override
    {
        fs::permissions(dir, fs::perms::owner_all);
        fs::remove_all(dir);
    }
    void write(const std::string& text)
    {
        std::ofstream(file, std::ios::binary) << text;
    }
    std::string read() const { return ReadText(file); }
    std::string get(const char* section, const char* key, const char* def = "(default)", int size = 512)
    {
        std::string buffer(size_t(size), '\0');
        const int n = IniGetString(section, key, def, buffer.data(), size, file.c_str());
        buffer.resize(size_t(n));
        return buffer;
    }

    fs::path dir;
    std::string file;
};

TEST_F(MinIniTest, namesIgnoreCaseAndWhiteSpaceAroundTheSeparator)
{
    write("[vr60test]\r\nTEST1 = 7\r\n");
    EXPECT_EQ(get("VR60TEST", "test1"), "7");
    EXPECT_EQ(IniGetLong("VR60TEST", "Test1", 0, file.c_str()), 7);
}

TEST_F(MinIniTest, headersMatchOnlyWithoutWhiteSpaceInsideTheBrackets)
{
    write("[ VR60TEST ]\nk=spaced\n[VR60TEST] anything here\nk=plain\n");
    EXPECT_EQ(get("VR60TEST", "k"), "plain");
    write("[VR60TESTX]\nk=1\n");
    EXPECT_EQ(get("VR60TEST", "k"), "(default)");
}

TEST_F(MinIniTest, valuesLoseSurroundingWhiteSpaceAndOnePairOfQuotes)
{
    write("[S]\na=  \"abc\"  \nb=abc ; word\nc=\"\nd=\"\"x\"\"\ne:colon=ok\nf=x=y\n");
    EXPECT_EQ(get("S", "a"), "abc");
    EXPECT_EQ(get("S", "b"), "abc ; word");
    EXPECT_EQ(get("S", "c"), "");
    EXPECT_EQ(get("S", "d"), "\"x\"");
    // '=' wins over an earlier ':', so this key is "e:colon".
    EXPECT_EQ(get("S", "e:colon"), "ok");
    EXPECT_EQ(get("S", "f"), "x=y");
}

TEST_F(MinIniTest, bytesAbove0x7FCountAsWhiteSpace)
{
    write("[S]\nk=\xC3\xA9t\xC3\xA9\nl=\xE2\x82\xAC\n");
    EXPECT_EQ(get("S", "k"), "t");   // the é on both sides is trimmed
    EXPECT_EQ(get("S", "l"), "");
}

TEST_F(MinIniTest, keysAreFoundOnlyInTheirOwnSectionAndCommentsAreOrdinaryLines)
{
    write("k=top\n[A]\nx=1\n[B]\nk=b\n;k=commented\n");
    EXPECT_EQ(get("A", "k"), "(default)");
    EXPECT_EQ(get("", "k"), "top");
    EXPECT_EQ(get(nullptr, "k"), "top");
    EXPECT_EQ(get("B", ";k"), "commented");
}

TEST_F(MinIniTest, readsCutAtTheBufferAndMissingFilesGiveDefaults)
{
    write("[S]\nk=abcdef\n");
    EXPECT_EQ(get("S", "k", "", 4), "abc");
    EXPECT_EQ(get("S", "missing", "defaultvalue", 5), "defa");
    char untouched[4] = "xyz";
    EXPECT_EQ(IniGetString("S", "k", "", untouched, 0, file.c_str()), 0);
    EXPECT_EQ(IniGetString("S", nullptr, "", untouched, 4, file.c_str()), 0);
    EXPECT_STREQ(untouched, "xyz");
    fs::remove(file);
    EXPECT_EQ(get("S", "k", "d"), "d");
}

TEST_F(MinIniTest, numbersStopAtTheFirstNonDigitAndSaturate)
{
    write("[S]\na=12abc\nb=abc\nc=\nd=-42\ne=99999999999\nf=-99999999999\ng=+5\n");
    EXPECT_EQ(IniGetLong("S", "a", 9, file.c_str()), 12);
    EXPECT_EQ(IniGetLong("S", "b", 9, file.c_str()), 0);
    EXPECT_EQ(IniGetLong("S", "c", 9, file.c_str()), 9);
    EXPECT_EQ(IniGetLong("S", "d", 9, file.c_str()), -42);
    EXPECT_EQ(IniGetLong("S", "e", 9, file.c_str()), 2147483647);
    EXPECT_EQ(IniGetLong("S", "f", 9, file.c_str()), -2147483648L);
    EXPECT_EQ(IniGetLong("S", "g", 9, file.c_str()), 5);
    EXPECT_EQ(IniGetLong("S", "none", -3, file.c_str()), -3);
}

TEST_F(MinIniTest, longLinesAreReadAsPiecesOf511Bytes)
{
    const std::string filler(511, 'x');
    write("[S]\n" + filler + "k=hidden\n");
    EXPECT_EQ(get("S", "k"), "hidden");   // the second piece is a line of its own
    write("[S]\nk=" + std::string(600, 'v') + "\n");
    EXPECT_EQ(get("S", "k").size(), 509u);
}

TEST_F(MinIniTest, rewriteFollowsTheLayoutRules)
{
    fs::copy_file(std::string(VR60_TEST_DATA_DIR) + "/ini/rewrite_before.ini", file,
                  fs::copy_options::overwrite_existing);
    ASSERT_EQ(IniPutString("VR60TEST", "test1", "9", file.c_str()), 1);
    std::ifstream expected(std::string(VR60_TEST_DATA_DIR) + "/ini/rewrite_after.ini", std::ios::binary);
    std::stringstream s;
    s << expected.rdbuf();
    EXPECT_EQ(read(), s.str());
    // The old line with blanks around '=' is not replaced, so a read still finds it first.
    EXPECT_EQ(get("VR60TEST", "test1"), "7");
}

TEST_F(MinIniTest, newKeysGoToTheEndOfTheirSection)
{
    write("[A]\na=1\n[B]\nb=1\n");
    ASSERT_EQ(IniPutString("A", "n", "2", file.c_str()), 1);
    EXPECT_EQ(read(), "[A]\na=1\nn=2\r\n\r\n[B]\nb=1\n");
    ASSERT_EQ(IniPutString("B", "m", "3", file.c_str()), 1);
    EXPECT_EQ(read(), "[A]\na=1\nn=2\r\n\r\n[B]\nb=1\n\r\nm=3\r\n");
    ASSERT_EQ(IniPutString("C", "c", "4", file.c_str()), 1);
    EXPECT_EQ(read(), "[A]\na=1\nn=2\r\n\r\n[B]\nb=1\nm=3\r\n\r\n[C]\r\nc=4\r\n");
    ASSERT_EQ(IniPutString("A", "A", "replaced", file.c_str()), 1);
    EXPECT_EQ(read(), "[A]\nA=replaced\r\nn=2\r\n\r\n[B]\nb=1\nm=3\r\n\r\n[C]\r\nc=4\r\n");
}

TEST_F(MinIniTest, deletingKeysAndSections)
{
    write("x=0\n[A]\na=1\nb=2\n[B]\nc=3\n[C]\nd=4\n");
    ASSERT_EQ(IniPutString("A", "a", nullptr, file.c_str()), 1);
    EXPECT_EQ(read(), "x=0\n\r\n[A]\nb=2\n\r\n[B]\nc=3\n\r\n[C]\nd=4\n");
    ASSERT_EQ(IniPutString("B", nullptr, nullptr, file.c_str()), 1);
    EXPECT_EQ(read(), "x=0\n\r\n[A]\nb=2\n\r\n[C]\nd=4\n");
    ASSERT_EQ(IniPutString("", "x", nullptr, file.c_str()), 1);
    EXPECT_EQ(read(), "[A]\nb=2\n\r\n[C]\nd=4\n");
    // Deleting what is not there changes nothing but the layout.
    ASSERT_EQ(IniPutString("Z", nullptr, nullptr, file.c_str()), 1);
    EXPECT_EQ(read(), "[A]\nb=2\n\r\n[C]\nd=4\n");
}

TEST_F(MinIniTest, writingCreatesAMissingFileWithTwoLines)
{
    ASSERT_EQ(IniPutLong("VR60TEST", "SNR", -40, file.c_str()), 1);
    EXPECT_EQ(read(), "[VR60TEST]\r\nSNR=-40\r\n");
    fs::remove(file);
    ASSERT_EQ(IniPutString("", "k", "v", file.c_str()), 1);
    EXPECT_EQ(read(), "k=v\r\n");
    fs::remove(file);
    EXPECT_EQ(IniPutString("S", "k", nullptr, file.c_str()), 1);
    EXPECT_FALSE(fs::exists(file));
}

TEST_F(MinIniTest, writeLimitsCutSectionKeyAndValue)
{
    const std::string key(600, 'k');
    ASSERT_EQ(IniPutString(std::string(600, 's').c_str(), key.c_str(), "value", file.c_str()), 1);
    EXPECT_EQ(read(), "[" + std::string(507, 's') + "]\r\n" + std::string(508, 'k') + "=\r\n");
    fs::remove(file);
    ASSERT_EQ(IniPutString("S", "k", std::string(600, 'v').c_str(), file.c_str()), 1);
    EXPECT_EQ(read(), "[S]\r\nk=" + std::string(507, 'v') + "\r\n");
}

TEST_F(MinIniTest, aLineWithoutItsEndIsNeverGluedToANewLine)
{
    write("[S]\na=1");
    ASSERT_EQ(IniPutString("S", "b", "2", file.c_str()), 1);
    EXPECT_EQ(read(), "[S]\na=1\r\n\r\nb=2\r\n");
    EXPECT_EQ(get("S", "a"), "1");
}

TEST_F(MinIniTest, nulBytesAndLongLinesSurviveARewrite)
{
    const std::string longLine = "note=" + std::string(1000, 'n') + "\n";
    write(std::string("[S]\nraw=a\0b\n", 12) + longLine);
    ASSERT_EQ(IniPutString("T", "k", "v", file.c_str()), 1);
    const std::string after = read();
    EXPECT_NE(after.find(std::string("raw=a\0b\n", 8)), std::string::npos);
    EXPECT_NE(after.find(longLine), std::string::npos);
}

TEST_F(MinIniTest, failuresLeaveTheOriginalUntouchedAndNoTemporaryFile)
{
    write("[S]\nk=1\n");
    const std::string temp = file.substr(0, file.size() - 1) + "~";
    // The temporary file cannot be created: a directory stands in its way.
    fs::create_directory(temp);
    EXPECT_EQ(IniPutString("S", "k", "2", file.c_str()), 0);
    EXPECT_EQ(read(), "[S]\nk=1\n");
    fs::remove(temp);

    // A directory where the file should be: reads give defaults, writes fail.
    const std::string folder = (dir / "folder.ini").string();
    fs::create_directory(folder);
    char buffer[16];
    EXPECT_EQ(IniGetString("S", "k", "d", buffer, sizeof buffer, folder.c_str()), 1);
    EXPECT_EQ(IniPutString("S", "k", "2", folder.c_str()), 0);
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_FALSE(fs::exists((dir / "folder.in~")));
}

TEST_F(MinIniTest, anExistingFileThatCannotBeOpenedIsNeverReplaced)
{
    // Permissions do not stop root, so a path through a regular file (ENOTDIR) stands in for
    // a file that exists but cannot be read.
    write("[S]\nk=1\n");
    const std::string through = file + "/inner.ini";
    EXPECT_EQ(IniPutString("S", "k", "2", through.c_str()), 0);
    EXPECT_EQ(read(), "[S]\nk=1\n");
}

TEST_F(MinIniTest, fullDiskKeepsTheOldFile)
{
    // Point the temporary file at /dev/full: every write to it fails.
    write("[S]\nk=1\n");
    const std::string temp = file.substr(0, file.size() - 1) + "~";
    fs::create_symlink("/dev/full", temp);
    EXPECT_EQ(IniPutString("S", "k", "2", file.c_str()), 0);
    EXPECT_EQ(read(), "[S]\nk=1\n");
    ASSERT_TRUE(fs::exists("/dev/full"));
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
}

TEST_F(MinIniTest, anEditWritesWhatSeparateWritesWouldInOneReplace)
{
    const std::string single = (dir / "single.ini").string();
    for (const std::string& start : {std::string("[S]\nold=1\n[T]\nx=y\n"), std::string()}) {
        std::filesystem::remove(single);
        std::filesystem::remove(file);
        if (!start.empty()) {
            std::ofstream(single, std::ios::binary) << start;
            write(start);
        }
        IniPutString("S", "k", "v", single.c_str());
        IniPutLong("T", "n", -5, single.c_str());
        IniPutString("S", "old", nullptr, single.c_str());

        IniEdit edit(file);
        EXPECT_TRUE(edit.putString("S", "k", "v"));
        EXPECT_TRUE(edit.putLong("T", "n", -5));
        EXPECT_TRUE(edit.putString("S", "old", nullptr));
        EXPECT_EQ(fs::exists(file) ? read() : "", start) << "the file changes only at commit";
        ASSERT_TRUE(edit.commit());
        EXPECT_EQ(read(), ReadText(single));
        EXPECT_FALSE(fs::exists(file + ".edit"));
    }

    // A write that fails drops the whole edit; the file stays as it was.
    write("[S]\nk=1\n");
    {
        IniEdit dropped(file);
        dropped.putString("S", "k", "2");
    }
    fs::create_symlink("/dev/full", file + ".edi~");
    IniEdit failing(file);
    EXPECT_FALSE(failing.putString("S", "k", "3"));
    EXPECT_FALSE(failing.commit());
    EXPECT_EQ(read(), "[S]\nk=1\n");
    EXPECT_FALSE(fs::exists(file + ".edit"));
}

} // namespace
