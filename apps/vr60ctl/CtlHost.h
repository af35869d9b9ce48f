#pragma once

#include <cstdio>
#include <string>

#include "platform/Host.h"

// Host for the command line: the log on stdout, message boxes on stderr.
class CtlHost : public Host {
public:
    explicit CtlHost(bool answerYes) : answerYes_(answerYes) {}

    void logLine(const std::string& text) override;
    // Moves the message log to stderr, so that stdout carries nothing but a command's own output.
    void setLogToStderr(bool on) { logToStderr_ = on; }
    void messageBox(const std::string& text) override;
    void successBox(const std::string& text) override;
    bool askYesNo(const std::string& text) override;
    void setBusyCursor(bool) override {}
    // No dialogs on the command line: file names come as arguments.
    void pumpMessages() override {}
    void sleepMs(int ms) override;
    int64_t clockMicros() override;

private:
    bool answerYes_;
    bool logToStderr_ = false;
};
