#pragma once
// Logs of other loggers read into the one point model: every reader turns its
// format into 32-byte SBP records (sbp/SbpRecord.h) in memory, so whatever
// reads an .sbp log reads these too. Plain C++, no Qt.
//
// A reader keeps every point before whatever stopped it and says in `problem`
// what that was; frames whose check fails are skipped, counted and named there
// too. A GPX file's speed error is read from an extension element whose local
// name is `speedError` (m/s), in whatever namespace it is declared.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class LogFormat { Sbp, Sbn, Ubx, Oao, Gpy, Gpx, Unknown };

// "SBP", "SBN", "UBX", "OAO", "GPY", "GPX" ("?" for Unknown).
const char* LogFormatName(LogFormat f);

// By content first (the name's extension only breaks a tie). Unknown when
// nothing in the bytes looks like any of the formats.
LogFormat RecogniseLogFormat(const uint8_t* bytes, size_t size, const std::string& name);

struct PointLog {
    int status = 0;               // kOk, kCannotOpen, kEmptyFile, kNotALog (result codes of the program)
    LogFormat format = LogFormat::Unknown;
    std::vector<uint8_t> sbp;     // the points as 32-byte SBP records, oldest first, no header block
    std::string problem;          // empty when read whole; else what stopped the reader (points before it kept)
    std::string serial, userName; // when the file tells them

    size_t points() const { return sbp.size() / 32; }
};

PointLog ReadPointLogImage(const std::vector<uint8_t>& bytes, const std::string& name);
// The file's bytes (the name as the system takes it), then the above.
PointLog ReadPointLog(const std::string& name);
