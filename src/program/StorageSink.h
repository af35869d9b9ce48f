#pragma once
// Where what lasts goes: a self test's verdict and a completed log download.
// The application installs one (storage/, the database); without one, as in
// most tests, nothing is kept. A sink reports through the message log
// where the record went and never changes the operation's result.

#include <string>

struct Program;

class StorageSink {
public:
    virtual ~StorageSink() = default;
    // The self test has ended with its verdict (a result code of BitBtn_TestClick's), after
    // the configured clear and power-off (Program::selfTest says what became of them).
    virtual void selfTestJudged(Program& p, int verdict) = 0;
    // A log download is complete and safely on disk in `file`.
    virtual void logDownloaded(Program& p, const std::string& file) = 0;
};
