#pragma once
// Text helpers below the features: device texts, date stamps, safe file names
// and strict integers.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Clock.h"

// Copies a NUL-terminated text out of received bytes: stops at the NUL, at the
// end of the bytes received and at fieldChars characters, whichever comes first.
// Control characters become '?': device texts go into log lines and captions.
std::string TextFromPayload(const uint8_t* data, int available, int fieldChars);

// a,b,c,d gives first "a" and rest "c,d": the second field is skipped.
void SplitVersionText(const char* source, char* first, size_t firstSize, char* rest, size_t restSize);

// Local date "%04d%02d%02d" or "%04d-%02d-%02d"; local time "%02d%02d%02d" or "%02d:%02d:%02d".
std::string FormatDateStamp(const LocalDateTime& t, bool separated);
std::string FormatTimeStamp(const LocalDateTime& t, bool separated);

// A device-reported name made safe as part of a file name: path separators,
// "..", control characters and characters no file system accepts become '_';
// bytes that are not UTF-8 are read as Latin-1, so the result is valid UTF-8.
std::string FileNameSafe(const std::string& name);

// Strict integer conversion of an edit box's text.
bool StrictInteger(const std::string& text, int32_t* value);

// The parts between the separators, empty ones kept: "a,,b" gives "a", "", "b".
std::vector<std::string> SplitText(const std::string& text, char separator);
