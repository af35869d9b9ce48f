#pragma once
// The seam through which operations reach the operator and the event loop.
// The window, the command-line tool and the test fakes implement it; the
// operations produce every text themselves and only hand it over here.

#include <cstdint>
#include <string>

class Host {
public:
    virtual ~Host() = default;

    // One new line at the end of the message log (the text may carry its own '\n').
    virtual void logLine(const std::string& text) = 0;
    // A modal box with the text and an OK button.
    virtual void messageBox(const std::string& text) = 0;
    // A box that reports a success: the same box in the window; the command line
    // prints it with the command's own output.
    virtual void successBox(const std::string& text) { messageBox(text); }
    // A modal Yes/No question; true for Yes.
    virtual bool askYesNo(const std::string& text) = 0;
    // Hourglass while busy, arrow otherwise. A state, not a stack: setting it
    // twice is the same as setting it once, and one false restores the arrow.
    virtual void setBusyCursor(bool busy) = 0;
    // File dialogs are the window's own: operations take the chosen name.
    // Dispatch every pending window message (may re-enter handlers).
    virtual void pumpMessages() = 0;
    // Sleep without dispatching messages.
    virtual void sleepMs(int ms) = 0;
    // Monotonic high-resolution clock in microseconds.
    virtual int64_t clockMicros() = 0;
};
