// A database server that accepts connections and never answers costs one short
// wait, and none at all once a stop is requested: the record goes to the outbox.

#include <gtest/gtest.h>

#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "storage/DatabaseStore.h"
#include "storage/RecordSamples.h"
#include "storage/ServerProbe.h"
#include "support/Files.h"

namespace {

// A socket on a free local port; the kernel completes connections to a listening
// socket even when nobody accepts them: a server that never answers.
struct LocalPort {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    int port = 0;
    explicit LocalPort(bool listening)
    {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof a;
        bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size);
        port = ntohs(a.sin_port);
        if (listening)
            listen(fd, 4);
    }
    ~LocalPort() { close(fd); }
};

TEST(ServerProbe, aServerIsAskedInShortStepsAndAStopEndsTheWait)
{
    LocalPort silent(true);
    LocalPort closed(false);
    LocalPort answering(true);
    std::thread server([&] {
        const int client = accept(answering.fd, nullptr, nullptr);
        char request[8];
        if (read(client, request, sizeof request) == 8)
            (void)!write(client, "N", 1);
        close(client);
    });
    const std::atomic<bool> stop{true}, go{false};
    const struct {
        const char* name;
        int port;
        const std::atomic<bool>* stop;
        ServerAnswer answer;
        const char* why;
    } cases[] = {
        {"answers", answering.port, &go, ServerAnswer::Answers, ""},
        {"silent", silent.port, &go, ServerAnswer::Silent, "connected, but no answer within 0.3 s"},
        {"stopped", silent.port, &stop, ServerAnswer::Stopped, ""},
        {"nobody there", closed.port, nullptr, ServerAnswer::Silent, "refused"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string why;
        EXPECT_EQ(ProbePostgresServer("127.0.0.1", c.port, 300, c.stop, why), c.answer);
        EXPECT_NE(why.find(c.why), std::string::npos) << why;
    }
    server.join();

    // The self test's record after a stop: into the outbox at once, the reason said.
    ScratchDir dir;
    DatabaseTarget local;
    local.kind = DatabaseTarget::Kind::Sqlite;
    local.path = dir.file("local.sqlite");
    const std::string url = "postgresql://line@127.0.0.1:" + std::to_string(silent.port) + "/records";
    DatabaseStore store(ConfiguredTarget(&url), local);
    store.stopWaitsWhen(&stop);
    const StoreReport report = store.saveTestRecord(SampleTestRecord(1, "2026-03-01T09:00:00Z", kOutcomeInterrupted));
    EXPECT_TRUE(report.queued);
    EXPECT_NE(report.line.find("(stopped before the records database postgresql://line@127.0.0.1:"), std::string::npos)
        << report.line;
    EXPECT_TRUE(store.targetFailed());
}

} // namespace
