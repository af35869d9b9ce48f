#include "CtlHost.h"
#include "TerminalText.h"

#include <chrono>
#include <iostream>
#include <thread>
#include <unistd.h>

namespace {

// A box or question on one line: embedded line breaks become blanks.
std::string OneLine(std::string text)
{
    for (char& c : text)
        if (c == '\r' || c == '\n')
            c = ' ';
    return TerminalText(text);
}

} // namespace

void CtlHost::logLine(const std::string& text)
{
    (logToStderr_ ? std::cerr : std::cout) << TerminalText(text) << '\n' << std::flush;
}

void CtlHost::messageBox(const std::string& text)
{
    std::cerr << OneLine(text) << '\n' << std::flush;
}

void CtlHost::successBox(const std::string& text)
{
    (logToStderr_ ? std::cerr : std::cout) << OneLine(text) << '\n' << std::flush;
}

bool CtlHost::askYesNo(const std::string& text)
{
    std::cerr << OneLine(text) << " [y/N] " << std::flush;
    if (answerYes_) {
        std::cerr << "y (--yes)\n";
        return true;
    }
    if (!isatty(STDIN_FILENO)) {
        std::cerr << "n (stdin is not a terminal; use --yes)\n";
        return false;
    }
    std::string answer;
    std::getline(std::cin, answer);
    return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y');
}

void CtlHost::sleepMs(int ms)
{
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

int64_t CtlHost::clockMicros()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}
