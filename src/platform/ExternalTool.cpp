#include "platform/ExternalTool.h"

#include <algorithm>

#ifndef VR60_NO_QT
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QStringList>
#endif

#ifndef VR60_NO_QT
namespace {

bool EndsWithText(const std::string& file, const std::string& ending)
{
    QFile f(QString::fromStdString(file));
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const qint64 tail = 256 + qint64(ending.size());
    f.seek(std::max<qint64>(0, f.size() - tail));
    const QByteArray last = f.readAll().trimmed();
    return last.endsWith(QByteArray::fromStdString(ending));
}

} // namespace

std::string ExternalTool::find(const std::string& name) const
{
#ifdef _WIN32
    const QString program = QString::fromStdString(name) + QStringLiteral(".exe");
#else
    const QString program = QString::fromStdString(name);
#endif
    QStringList paths;
    for (const std::string& p : searchPath)
        paths << QString::fromStdString(p);
    return QStandardPaths::findExecutable(program, paths).toStdString();
}

ExternalTool::Result ExternalTool::run(const std::string& name, const std::vector<std::string>& args,
                                       const std::string& expectedOutput, int timeoutMs,
                                       const std::function<void()>& pump)
{
    Result result;
    result.program = find(name);
    if (result.program.empty()) {
        result.program = name;
        result.status = Status::NotFound;
        return result;
    }

    QStringList arguments;
    for (const std::string& a : args)
        arguments << QString::fromStdString(a);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const auto& [key, value] : environment)
        env.insert(QString::fromStdString(key), QString::fromStdString(value));

    // A stale output from an earlier run must not pass for this run's.
    if (!expectedOutput.empty())
        QFile::remove(QString::fromStdString(expectedOutput));

    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(QString::fromStdString(result.program), arguments, QIODevice::ReadOnly);
    if (!process.waitForStarted(10000)) {
        result.status = Status::StartFailed;
        result.errorText = process.errorString().toStdString();
        return result;
    }
    QElapsedTimer timer;
    timer.start();
    QByteArray errors;
    while (!process.waitForFinished(50)) {
        errors += process.readAllStandardError();
        if (process.state() == QProcess::NotRunning)
            break;
        if (pump)
            pump();
        if (timer.elapsed() > timeoutMs) {
            process.kill();
            process.waitForFinished(5000);
            result.status = Status::TimedOut;
            return result;
        }
    }
    errors += process.readAllStandardError();
    result.errorText = errors.trimmed().left(400).toStdString();
    result.exitCode = process.exitCode();
    if (process.exitStatus() != QProcess::NormalExit) {
        result.status = Status::Crashed;
        return result;
    }
    if (result.exitCode != 0) {
        result.status = Status::ExitCode;
        return result;
    }
    if (!expectedOutput.empty()) {
        const QFileInfo out(QString::fromStdString(expectedOutput));
        if (!out.exists() || out.size() == 0) {
            result.status = Status::NoOutput;
            return result;
        }
        if (!outputEnding.empty() && !EndsWithText(expectedOutput, outputEnding)) {
            QFile::remove(QString::fromStdString(expectedOutput));
            result.status = Status::Truncated;
            return result;
        }
    }
    result.status = Status::Ok;
    return result;
}

#else
// The build without Qt (the Windows command-line program) starts no child processes.
std::string ExternalTool::find(const std::string&) const
{
    return {};
}

ExternalTool::Result ExternalTool::run(const std::string& name, const std::vector<std::string>&, const std::string&,
                                       int, const std::function<void()>&)
{
    Result result;
    result.status = Status::StartFailed;
    result.program = name;
    result.errorText = "this build of the program starts no other programs";
    return result;
}
#endif

std::string DescribeToolFailure(const ExternalTool::Result& r, const std::string& output)
{
    const std::string detail = r.errorText.empty() ? std::string() : " (" + r.errorText.substr(0, r.errorText.find('\n')) + ")";
    switch (r.status) {
    case ExternalTool::Status::Ok:
        return {};
    case ExternalTool::Status::NotFound:
        return r.program + " was not found on PATH, so " + output +
               " was not made. Install GPSBabel (for example: apt install gpsbabel) and convert again.";
    case ExternalTool::Status::StartFailed:
        return r.program + " could not be started, so " + output + " was not made" + detail + ".";
    case ExternalTool::Status::Crashed:
        return r.program + " crashed while making " + output + ".";
    case ExternalTool::Status::ExitCode:
        return r.program + " failed with exit status " + std::to_string(r.exitCode) + " while making " + output +
               detail + ".";
    case ExternalTool::Status::TimedOut:
        return r.program + " took too long making " + output + " and was stopped.";
    case ExternalTool::Status::NoOutput:
        return r.program + " finished but " + output + " is missing or empty" + detail + ".";
    case ExternalTool::Status::Truncated:
        return r.program + " finished but " + output + " was cut short (is the disk full?) and has been removed.";
    }
    return {};
}
