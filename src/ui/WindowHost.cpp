#include "ui/WindowHost.h"

#include <chrono>

#include <QApplication>
#include <QThread>

#include "ui/Dialogs.h"
#include "ui/MainWindow.h"

WindowHost::~WindowHost()
{
    setBusyCursor(false);
}

void WindowHost::logLine(const std::string& text)
{
    if (window_)
        window_->appendLog(text);
}

void WindowHost::messageBox(const std::string& text)
{
    // Leaving the program during an operation: its closing boxes would only hold the exit up.
    if (window_ && window_->ending()) {
        logLine(text);
        return;
    }
    if (window_)
        window_->refresh();
    dialogs_->messageBox(window_, QString::fromStdString(text));
}

bool WindowHost::askYesNo(const std::string& text)
{
    if (window_ && window_->ending())
        return false;
    if (window_)
        window_->refresh();
    return dialogs_->askYesNo(window_, QString::fromStdString(text));
}

void WindowHost::setBusyCursor(bool busy)
{
    if (busy == busy_)
        return;
    busy_ = busy;
    if (!qApp)
        return;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void WindowHost::pumpMessages()
{
    if (window_)
        window_->refresh();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void WindowHost::sleepMs(int ms)
{
    if (ms > 0)
        QThread::msleep(static_cast<unsigned long>(ms));
}

int64_t WindowHost::clockMicros()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}
