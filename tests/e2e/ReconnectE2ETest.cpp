// The window's link after the cable came out in the middle of a download: the
// logger comes back as a new simulator on the same pseudo-terminal path, and
// Connect must work without a restart. A Program on the real serial transport
// stands in for the window (one process that keeps its link records throughout).

#include <gtest/gtest.h>

#include "connection/ConnectionSequence.h"
#include "logdata/LogDownload.h"
#include "platform/PortTable.h"
#include "platform/QuietHost.h"
#include "platform/ResultCode.h"
#include "platform/SystemTransport.h"
#include "program/Program.h"
#include "support/Files.h"
#include "support/Processes.h"

namespace {

void ChoosePort(Program& p, const std::string& path)
{
    p.form.connection.comPortText = PortDisplayName(ResolveGivenPort(path, p.ports.commandLinePorts).number);
    p.form.connection.comBaudIndex = 7;
}

TEST(ReconnectE2E, connectWorksAgainAfterTheCableDroppedMidDownload)
{
    ScratchDir work;
    QuietHost host(true);
    Program p(host, [](const std::string&) { return MakeSystemTransport(); });
    std::string path;
    {
        // The cable comes out 3000 bytes into the first 8 KB block.
        SimProcess sim({"--no-alias", "--points", "1000", "--fault", "hangup-bytes=4:3000"});
        path = sim.ptyPath();
        ChoosePort(p, path);
        ASSERT_EQ(BitBtn_connectClick(p), kOk);
        p.form.logData.logFileName = work.file("cut.sbp");
        EXPECT_EQ(Button_downloadlogClick(p), kTimeOut);
        BitBtn_connectClick(p);   // Disconnect
        ASSERT_EQ(p.connected, 0);
    }
    SimProcess again({"--no-alias", "--points", "1000"});
    if (again.ptyPath() != path)
        std::printf("note: the logger came back on %s, not %s\n", again.ptyPath().c_str(), path.c_str());
    ChoosePort(p, again.ptyPath());
    EXPECT_EQ(BitBtn_connectClick(p), kOk);
    EXPECT_EQ(p.connected, 1);
    p.form.logData.logFileName = work.file("whole.sbp");
    EXPECT_EQ(Button_downloadlogClick(p), kOk);
    EXPECT_EQ(ReadFileBytes(work.file("whole.sbp")).size(), 1000u * 32);
    BitBtn_connectClick(p);
}

} // namespace
