#include "storage/ServerProbe.h"

#include <cstdio>

#include <QDeadlineTimer>
#include <QTcpSocket>

namespace {

constexpr int kStepMs = 50;   // how soon a stop is seen

bool Stopped(const std::atomic<bool>* stop)
{
    return stop && stop->load();
}

std::string Seconds(int ms)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g s", ms / 1000.0);
    return text;
}

} // namespace

ServerAnswer ProbePostgresServer(const std::string& host, int port, int timeoutMs, const std::atomic<bool>* stop,
                                 std::string& why)
{
    const QDeadlineTimer deadline(timeoutMs);
    QTcpSocket socket;
    socket.connectToHost(QString::fromStdString(host), quint16(port));
    while (socket.state() != QAbstractSocket::ConnectedState) {
        if (Stopped(stop))
            return ServerAnswer::Stopped;
        if (socket.waitForConnected(kStepMs))
            break;
        if (socket.state() == QAbstractSocket::UnconnectedState) {
            why = socket.errorString().toStdString();
            return ServerAnswer::Silent;
        }
        if (deadline.hasExpired()) {
            why = "no connection within " + Seconds(timeoutMs);
            return ServerAnswer::Silent;
        }
    }
    // Length 8, then the request code 80877103.
    static const char kSslRequest[] = {0, 0, 0, 8, 4, char(0xD2), 0x16, 0x2F};
    socket.write(kSslRequest, sizeof kSslRequest);
    while (socket.bytesAvailable() == 0) {
        if (Stopped(stop))
            return ServerAnswer::Stopped;
        if (socket.waitForReadyRead(kStepMs))
            break;
        if (socket.state() != QAbstractSocket::ConnectedState) {
            why = "the server closed the connection";
            return ServerAnswer::Silent;
        }
        if (deadline.hasExpired()) {
            why = "connected, but no answer within " + Seconds(timeoutMs);
            return ServerAnswer::Silent;
        }
    }
    socket.abort();
    return ServerAnswer::Answers;
}
