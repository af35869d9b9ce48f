#pragma once
// A Host for tests: records every log line, box and question in order, answers
// questions from a script, and runs on a virtual clock that advances a little
// on every reading, so waits end without real time passing.

#include <deque>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/Host.h"

class FakeHost : public Host {
public:
    struct Event {
        enum Kind { Log, Box, Question } kind;
        std::string text;
        bool operator==(const Event& o) const { return kind == o.kind && text == o.text; }
        // How a failing expectation shows an event.
        friend void PrintTo(const Event& e, std::ostream* os)
        {
            static const char* const kinds[] = {"log ", "box ", "ask ", "open ", "save "};
            *os << kinds[e.kind] << '"' << e.text << '"';
        }
    };

    void logLine(const std::string& text) override { events.push_back({Event::Log, text}); }
    void messageBox(const std::string& text) override { events.push_back({Event::Box, text}); }
    bool askYesNo(const std::string& text) override
    {
        events.push_back({Event::Question, text});
        if (answers.empty())
            return false;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
    void setBusyCursor(bool busy) override { busyCursor = busy; }
    void pumpMessages() override
    {
        ++pumps;
        if (onPump)
            onPump();
    }
    void sleepMs(int ms) override
    {
        sleeps.push_back(ms);
        nowMicros += int64_t(ms) * 1000;
    }
    int64_t clockMicros() override
    {
        nowMicros += tickMicros;
        return nowMicros;
    }

    std::vector<std::string> logs() const { return texts(Event::Log); }
    std::vector<std::string> boxes() const { return texts(Event::Box); }
    std::vector<std::string> texts(Event::Kind kind) const
    {
        std::vector<std::string> out;
        for (const Event& e : events)
            if (e.kind == kind)
                out.push_back(e.text);
        return out;
    }

    std::vector<Event> events;
    std::deque<bool> answers;
    std::vector<int> sleeps;
    std::function<void()> onPump;
    int pumps = 0;
    bool busyCursor = false;
    int64_t nowMicros = 0;
    int64_t tickMicros = 250;   // each clock reading advances the virtual clock
};
