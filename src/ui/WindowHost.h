#pragma once
// The window's side of the Host seam: log lines into Memo_MP, boxes through the
// swappable Dialogs, the hourglass as a state, pumping through the Qt event loop.

#include <QString>

#include "platform/Host.h"

class Dialogs;
class MainWindow;

class WindowHost : public Host {
public:
    explicit WindowHost(Dialogs& dialogs) : dialogs_(&dialogs) {}
    ~WindowHost() override;

    void attach(MainWindow* window) { window_ = window; }
    void setDialogs(Dialogs& dialogs) { dialogs_ = &dialogs; }
    Dialogs& dialogs() { return *dialogs_; }
    bool busyCursor() const { return busy_; }

    void logLine(const std::string& text) override;
    void messageBox(const std::string& text) override;
    bool askYesNo(const std::string& text) override;
    void setBusyCursor(bool busy) override;
    void pumpMessages() override;
    void sleepMs(int ms) override;
    int64_t clockMicros() override;

private:
    Dialogs* dialogs_;
    MainWindow* window_ = nullptr;
    bool busy_ = false;
};
