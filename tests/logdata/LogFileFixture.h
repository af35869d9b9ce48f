#pragma once
// Shared set-up of the log-file tests: a Program with a recording host and
// desktop opener, run inside a fresh temporary working directory (outputs land in the
// working directory), a fake converter that records its argv, and golden files.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <QDir>
#include <QFile>

#include "platform/DesktopOpener.h"
#include "program/Program.h"
#include "support/FakeHost.h"
#include "support/Files.h"

class FakeOpener : public DesktopOpener {
public:
    bool open(const std::string& target) override
    {
        opened.push_back(target);
        return true;
    }
    std::vector<std::string> opened;
};

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline bool FileExists(const std::string& path)
{
    return QFile::exists(QString::fromStdString(path));
}

// Compares with tests/data/logdata/<name>; VR60_UPDATE_GOLDEN=1 rewrites the file instead.
inline void ExpectGolden(const std::string& name, const std::string& actual)
{
    const std::string path = std::string(VR60_TEST_DATA_DIR) + "/logdata/" + name;
    const char* update = std::getenv("VR60_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") {
        std::ofstream(path, std::ios::binary) << actual;
        return;
    }
    ASSERT_TRUE(FileExists(path)) << path << " is missing; run with VR60_UPDATE_GOLDEN=1";
    EXPECT_TRUE(ReadText(path) == actual) << name << " differs from its golden file";
}

class LogFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(dir.path.string())));
        program = std::make_unique<Program>(host, [](const std::string&) { return std::unique_ptr<Transport>(); });
        auto s = std::make_unique<FakeOpener>();
        opener = s.get();
        program->opener = std::move(s);
    }
    void TearDown() override { QDir::setCurrent(previous); }

    std::string path(const std::string& name) const { return dir.file(name); }

    // A gpsbabel in its own folder that appends its argv (one word a line, then "--") and TZ to argv.log
    // and writes "fake</EXT>" to the file after -F. FAKE_MODE=fail exits 1, FAKE_MODE=empty writes nothing.
    void useFakeConverter()
    {
        const std::string bin = path("fake bin");
        QDir().mkpath(QString::fromStdString(bin));
        const std::string script = bin + "/gpsbabel";
        std::ofstream(script) << "#!/bin/sh\n"
                                 "log=\"$(dirname \"$0\")/argv.log\"\n"
                                 "for a in \"$@\"; do printf '%s\\n' \"$a\" >> \"$log\"; done\n"
                                 "printf 'TZ=%s\\n--\\n' \"$TZ\" >> \"$log\"\n"
                                 "[ \"$FAKE_MODE\" = fail ] && { echo 'cannot open input' >&2; exit 1; }\n"
                                 "[ \"$FAKE_MODE\" = empty ] && exit 0\n"
                                 "prev=\"\"; for a in \"$@\"; do [ \"$prev\" = -F ] && printf 'fake</%s>\\n' \"${a##*.}\" > \"$a\"; prev=\"$a\"; done\n"
                                 "exit 0\n";
        QFile::setPermissions(QString::fromStdString(script),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        program->externalTool->searchPath = {bin};
        argvLog = bin + "/argv.log";
    }
    std::vector<std::string> converterArgv() const
    {
        std::vector<std::string> words;
        std::istringstream in(ReadText(argvLog));
        for (std::string line; std::getline(in, line);)
            words.push_back(line);
        return words;
    }

    ScratchDir dir;
    QString previous;
    FakeHost host;
    FakeOpener* opener = nullptr;
    std::unique_ptr<Program> program;
    std::string argvLog;
};
