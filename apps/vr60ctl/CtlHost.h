#pragma once

#include <cstdio>
#include <string>

#include "platform/Host.h"

// Host for the command line: the log on stdout, message boxes on stderr.
class CtlHost : public Host {
public:
    explicit CtlHost(bool answerYes) : answerYes_(answerYes) {}

    void logLine(const std::string& text) override;
    void messageBox(const std::string& text) override;
    bool askYesNo(const std::string& text) override;
    void setBusyCursor(bool) override {}
    void pumpMessages() override {}
    void sleepMs(int ms) override;
    int64_t clockMicros() override;

    int messageBoxCount() const { return boxes_; }

private:
    bool answerYes_;
    int boxes_ = 0;
};
