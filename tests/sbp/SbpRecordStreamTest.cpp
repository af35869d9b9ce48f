// An .sbp file read block by block: the same records as the file holds, the
// header block and a partial record left out (the partial one counted), and
// what cannot be read said so.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "logdata/SbpTestRecords.h"
#include "platform/ResultCode.h"
#include "sbp/SbpRecordStream.h"
#include "support/Files.h"

namespace {

TEST(SbpRecordStream, yieldsTheWholeRecordsAfterAnyHeaderBlock)
{
    const std::vector<uint8_t> records = SampleTrack(5000);   // two full blocks and a part
    const std::vector<uint8_t> header = SbpHeaderBlock();
    std::vector<uint8_t> headed(header.size() + records.size() + 31, 0x55);
    std::copy(header.begin(), header.end(), headed.begin());
    std::copy(records.begin(), records.end(), headed.begin() + long(header.size()));
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        int status;
        std::vector<uint8_t> expected;
        size_t trailingBytes;
    };
    const Case cases[] = {
        {"plain records", records, kOk, records, 0},
        {"header block, records and a partial record", headed, kOk, records, 31},
        {"a header block alone", SbpHeaderBlock(), kOk, {}, 0},
        {"less than a record", std::vector<uint8_t>(31, 1), kOk, {}, 31},
        {"empty", {}, kEmptyFile, {}, 0},
    };
    ScratchDir dir;
    for (const Case& c : cases) {
        const std::string file = dir.file("log.sbp");
        std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(c.bytes.data()), std::streamsize(c.bytes.size()));
        SbpRecordStream stream(file);
        ASSERT_EQ(stream.status(), c.status) << c.name;
        std::vector<uint8_t> read;
        const uint8_t* block = nullptr;
        while (const size_t n = stream.next(&block)) {
            EXPECT_LE(n, SbpRecordStream::kBlockRecords) << c.name;
            read.insert(read.end(), block, block + 32 * n);
        }
        EXPECT_EQ(read, c.expected) << c.name;
        EXPECT_EQ(stream.trailingBytes(), c.trailingBytes) << c.name;
        EXPECT_EQ(stream.readError(), 0) << c.name;
        EXPECT_EQ(stream.sizeHint(), c.bytes.size() / 32) << c.name;
    }
    for (const std::string& name : {dir.file("missing.sbp"), dir.path.string(), std::string()}) {
        SbpRecordStream stream(name);
        EXPECT_EQ(stream.status(), kCannotOpen) << name;
        const uint8_t* block = nullptr;
        EXPECT_EQ(stream.next(&block), 0u) << name;
    }
}

} // namespace
