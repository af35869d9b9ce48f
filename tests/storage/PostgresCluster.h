#pragma once
// A throw-away PostgreSQL cluster for the tests: initdb and pg_ctl from the
// distribution's server package, in a scratch folder, on a free local port,
// trusting local connections. The server refuses to run as root, so as root it
// runs as "nobody", which then owns the folder.

#include <cstdlib>
#include <filesystem>
#include <string>

class PostgresCluster {
public:
    static std::string binDir() { return "/usr/lib/postgresql/15/bin"; }
    static bool available()
    {
        return std::filesystem::exists(binDir() + "/initdb") && std::filesystem::exists(binDir() + "/pg_ctl");
    }
    // VR60_REQUIRE_POSTGRES=1: a missing server fails the PostgreSQL tests instead of skipping them.
    static bool required()
    {
        const char* value = std::getenv("VR60_REQUIRE_POSTGRES");
        return value && std::string(value) == "1";
    }

    PostgresCluster();   // initdb and start; error() says what failed
    ~PostgresCluster();
    PostgresCluster(const PostgresCluster&) = delete;
    PostgresCluster& operator=(const PostgresCluster&) = delete;

    const std::string& error() const { return error_; }
    bool start();
    bool stop();
    int port() const { return port_; }
    // A new, empty database on the cluster, and its URL.
    std::string newDatabase(const std::string& name);
    std::string url(const std::string& database) const
    {
        return "postgresql://vr60@127.0.0.1:" + std::to_string(port_) + "/" + database;
    }

private:
    bool run(const std::string& command);
    std::string dir_;
    int port_ = 0;
    std::string error_;
};
