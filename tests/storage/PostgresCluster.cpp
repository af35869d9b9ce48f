#include "storage/PostgresCluster.h"

#include <cstdlib>
#include <pwd.h>
#include <stdlib.h>
#include <unistd.h>

#include <netinet/in.h>
#include <sys/socket.h>

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace {

int FreePort()
{
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof a;
    int port = 0;
    if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        getsockname(s, reinterpret_cast<sockaddr*>(&a), &length) == 0)
        port = ntohs(a.sin_port);
    close(s);
    return port;
}

} // namespace

PostgresCluster::PostgresCluster()
{
    char name[] = "/tmp/vr60-pg.XXXXXX";
    if (!mkdtemp(name)) {
        error_ = "no scratch folder";
        return;
    }
    dir_ = name;
    if (getuid() == 0) {
        const passwd* nobody = getpwnam("nobody");
        if (!nobody || chown(dir_.c_str(), nobody->pw_uid, nobody->pw_gid) != 0) {
            error_ = "cannot hand the scratch folder to nobody";
            return;
        }
    }
    port_ = FreePort();
    if (!run(binDir() + "/initdb -D " + dir_ + "/data -U vr60 --auth=trust -E UTF8 --no-sync --no-instructions")) {
        error_ = "initdb failed (" + dir_ + "/log)";
        return;
    }
    if (!start())
        error_ = "the server did not start (" + dir_ + "/log)";
}

PostgresCluster::~PostgresCluster()
{
    stop();
    std::error_code ec;
    if (!dir_.empty())
        std::filesystem::remove_all(dir_, ec);
}

bool PostgresCluster::run(const std::string& command)
{
    const std::string as = getuid() == 0 ? "runuser -u nobody -- " : "";
    return std::system((as + command + " >>" + dir_ + "/log 2>&1").c_str()) == 0;
}

bool PostgresCluster::start()
{
    return run(binDir() + "/pg_ctl -D " + dir_ + "/data -l " + dir_ + "/server.log -w -t 60 -o \"-p " +
               std::to_string(port_) + " -k " + dir_ + " -c listen_addresses=127.0.0.1 -c fsync=off\" start");
}

bool PostgresCluster::stop()
{
    return !dir_.empty() && run(binDir() + "/pg_ctl -D " + dir_ + "/data -m fast -w stop");
}

std::string PostgresCluster::newDatabase(const std::string& name)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("pg-admin"));
        db.setHostName(QStringLiteral("127.0.0.1"));
        db.setPort(port_);
        db.setUserName(QStringLiteral("vr60"));
        db.setDatabaseName(QStringLiteral("postgres"));
        if (db.open())
            QSqlQuery(db).exec(QStringLiteral("CREATE DATABASE ") + QString::fromStdString(name));
        else
            error_ = db.lastError().text().toStdString();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("pg-admin"));
    return url(name);
}
