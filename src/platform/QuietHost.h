#pragma once
// A Host that shows nothing and asks nobody: for benchmarks, fuzzers and other
// runs without an operator. Questions get the answer given at construction;
// sleeping and the clock are real.

#include <chrono>
#include <thread>

#include "platform/Host.h"

class QuietHost : public Host {
public:
    explicit QuietHost(bool answer = false) : answer_(answer) {}

    void logLine(const std::string&) override {}
    void messageBox(const std::string&) override {}
    bool askYesNo(const std::string&) override { return answer_; }
    void setBusyCursor(bool) override {}
    void pumpMessages() override {}
    void sleepMs(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
    int64_t clockMicros() override
    {
        using namespace std::chrono;
        return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
    }

private:
    bool answer_;
};
