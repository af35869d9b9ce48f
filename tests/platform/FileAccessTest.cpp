#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>


#include "platform/FileAccess.h"
#include "support/Files.h"
#include "platform/ResultCode.h"
#include "platform/TracingTransport.h"

namespace {

namespace fs = std::filesystem;

class FileAccessTest : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return dir.path.string() + "/" + name; }
    void put(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(path(name), std::ios::binary) << bytes;
    }
    std::string get(const std::string& name) const { return ReadText(path(name)); }

    ScratchDir dir;
};

TEST_F(FileAccessTest, readWholeFileResultsAndLimit)
{
    std::vector<uint8_t> image = {9};
    EXPECT_EQ(ReadWholeFile(path("missing"), 16, image), kCannotOpen);
    EXPECT_TRUE(image.empty());
    EXPECT_EQ(ReadWholeFile(dir.path.string(), 16, image), kCannotOpen);
    EXPECT_EQ(ReadWholeFile("", 16, image), kCannotOpen);
    put("empty", "");
    EXPECT_EQ(ReadWholeFile(path("empty"), 16, image), kEmptyFile);
    put("ten", "0123456789");
    EXPECT_EQ(ReadWholeFile(path("ten"), 16, image), kOk);
    EXPECT_EQ(std::string(image.begin(), image.end()), "0123456789");
    EXPECT_EQ(ReadWholeFile(path("ten"), 4, image), kOk);
    EXPECT_EQ(std::string(image.begin(), image.end()), "0123");
    put("caf\xE9.sbp", "latin-1 name");   // names are bytes, not necessarily UTF-8
    EXPECT_EQ(ReadWholeFile(path("caf\xE9.sbp"), 16, image), kOk);
    // A file whose size the system does not know is read up to the limit.
    EXPECT_EQ(ReadWholeFile("/dev/zero", 100, image), kOk);
    EXPECT_EQ(image.size(), 100u);
}

TEST_F(FileAccessTest, aFailedWriteIsKeptAndReportedAtClose)
{
    OutputFile out("/dev/full", {.syncOnClose = true});
    ASSERT_TRUE(out.open());
    EXPECT_FALSE(out.write("abc", 3));
    EXPECT_FALSE(out.write("d", 1));
    EXPECT_FALSE(out.close());
    EXPECT_EQ(out.errorCode(), ENOSPC);
    EXPECT_EQ(out.errorText(), "No space left on device");

    // A device that cannot be synced is not a failure.
    OutputFile null("/dev/null", {.syncOnClose = true});
    ASSERT_TRUE(null.open());
    EXPECT_TRUE(null.write("abc", 3));
    EXPECT_TRUE(null.close());
    EXPECT_EQ(null.errorCode(), 0);
}

TEST_F(FileAccessTest, existingFilesAreTruncatedOrReplacedAndFailuresRemoved)
{
    // A second name for the file shows whether it was written through or replaced by a new one.
    put("t", "old contents");
    fs::create_hard_link(path("t"), path("t.link"));
    OutputFile truncated(path("t"));
    ASSERT_TRUE(truncated.open());
    truncated.write("new", 3);
    EXPECT_TRUE(truncated.close());
    EXPECT_EQ(get("t"), "new");
    EXPECT_EQ(get("t.link"), "new");

    OutputFile replaced(path("t"), {.removeExisting = true});
    ASSERT_TRUE(replaced.open());
    replaced.write("fresh", 5);
    EXPECT_TRUE(replaced.close());
    EXPECT_EQ(get("t"), "fresh");
    EXPECT_EQ(get("t.link"), "new");

    // A file that failed is removed when asked, kept otherwise.
    for (const bool remove : {false, true}) {
        fs::create_symlink("/dev/full", path("full"));
        OutputFile failed(path("full"), {.removeOnFailure = remove});
        ASSERT_TRUE(failed.open());
        failed.write("x", 1);
        EXPECT_FALSE(failed.close());
        EXPECT_EQ(fs::is_symlink(path("full")), !remove);
        fs::remove(path("full"));
    }

    // A folder in the way is an error; it is not removed as a failed file would be.
    fs::create_directory(path("folder"));
    OutputFile blocked(path("folder"), {.removeExisting = true, .removeOnFailure = true});
    EXPECT_FALSE(blocked.open());
    EXPECT_FALSE(blocked.write("x", 1));
    EXPECT_FALSE(blocked.close());
    EXPECT_EQ(blocked.errorText(), "Is a directory");
    EXPECT_TRUE(fs::is_directory(path("folder")));

    OutputFile missingFolder(path("no/such/file"));
    EXPECT_FALSE(missingFolder.open());
    EXPECT_EQ(missingFolder.errorCode(), ENOENT);
}

TEST_F(FileAccessTest, replaceFileAtomicallyOverAnExistingFile)
{
    put("target", "old");
    put("target~", "new");
    EXPECT_TRUE(ReplaceFileAtomically(path("target~"), path("target")));
    EXPECT_EQ(get("target"), "new");
    EXPECT_FALSE(fs::exists(path("target~")));

    EXPECT_FALSE(ReplaceFileAtomically(path("gone~"), path("target")));
    EXPECT_EQ(get("target"), "new");
}

// What the download target and the converters ask of a name, for each kind of thing it can be.
TEST_F(FileAccessTest, namesOfFilesFoldersAndLinks)
{
    put("log.sbp", "12345");
    fs::create_directory(path("folder"));
    fs::create_symlink(path("log.sbp"), path("link.sbp"));
    fs::create_symlink(path("gone.sbp"), path("dangling.sbp"));
    const struct {
        const char* name;
        bool exists;
        long long size;          // -1: not a regular file
        const char* canonical;   // "": none
    } cases[] = {
        {"log.sbp", true, 5, "log.sbp"},
        {"folder", true, -1, "folder"},
        {"link.sbp", true, 5, "log.sbp"},
        {"dangling.sbp", false, -1, ""},
        {"missing.sbp", false, -1, ""},
    };
    const std::string real = fs::canonical(dir.path).string() + "/";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FileExists(path(c.name)), c.exists);
        EXPECT_EQ(RegularFileSize(path(c.name)), c.size);
        EXPECT_EQ(CanonicalFileName(path(c.name)), *c.canonical ? real + c.canonical : "");
    }
    EXPECT_FALSE(FileExists(""));
    EXPECT_EQ(AbsoluteFileName(path("folder/../link.sbp")), path("link.sbp"));   // links kept, ".." taken out
    EXPECT_EQ(AbsoluteFileName("rel.sbp"), (fs::current_path() / "rel.sbp").string());
    EXPECT_TRUE(RemoveFile(path("link.sbp")));
    EXPECT_TRUE(FileExists(path("log.sbp")));
    EXPECT_FALSE(RemoveFile(path("missing.sbp")));
}

} // namespace

namespace {

// Accepts every write and reads nothing: enough for the trace to have something to say.
class SilentTransport : public Transport {
public:
    bool open(const std::string&, const std::string&) override { return true; }
    int read(uint8_t*, int) override { return 0; }
    bool write(const uint8_t*, int) override { return true; }
    void abortReads() override {}
    void close() override {}
    bool hungUp() const override { return false; }
};

TEST(TracingTransport, everyLineIsInTheFileBeforeTheTransportEnds)
{
    ScratchDir dir;
    TracingTransport trace(std::make_unique<SilentTransport>(), dir.file("trace"));
    ASSERT_TRUE(trace.open("/dev/ttyACM0", "460800,N,8,1"));
    const uint8_t frame[] = {0xA0, 0xA2, 0x01, 0x00, 0x0B};
    trace.write(frame, sizeof frame);
    // A process killed here leaves what the system already has.
    const std::string text = ReadText(dir.file("trace"));
    EXPECT_NE(text.find("open /dev/ttyACM0 460800,N,8,1: ok\n"), std::string::npos) << text;
    EXPECT_NE(text.find(" > 5: A0 A2 01 00 0B\n"), std::string::npos) << text;
}

} // namespace
