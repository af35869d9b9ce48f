#pragma once
// Fault injection for the simulated device. Requests are keyed by their id,
// or for id 5 by 0x500 + sub-command (5/6 is 0x506).

#include <cstdint>
#include <map>
#include <string>

inline constexpr int kFaultForever = -1;

struct SimFaults {
    std::map<int, int> dropAnswers;        // key -> how many requests go unanswered (-1: all)
    std::map<int, int> corruptChecksum;    // key -> how many answers carry a wrong checksum
    std::map<int, int> hangUpOn;           // key -> hang up when the Nth such request arrives (1: the first)
    int64_t hangUpAfterBytes = -1;         // hang up once this many answer bytes went out (-1: never) ...
    int hangUpBytesKey = -1;               // ... counted from the first request with this key (-1: from the start)
    bool unexpectedFrames = false;         // a frame with another id before every answer
    bool junkBetweenFrames = false;        // junk bytes before every answer

    // Any immediate answer
    std::map<int, int> wrongLength;        // key -> how many answers carry 32 data bytes too few (too many when short)
    std::map<int, int> cutAnswers;         // key -> how many answers stop halfway through their frame

    // Log clearing and the self test
    std::map<int, int> noCompletion;       // key -> how many delayed completions never come (the full
                                           // clear's 0x84, the self test's 0x93)

    // Any request
    std::map<int, int> lateAnswers;        // key -> how many requests are answered lateMs late
    int64_t lateMs = 3000;
    std::map<int, int> shortAnswers;       // key -> how many answers keep only their first data byte
    std::map<int, int> badEcho;            // key -> how many identity writes echo something else (not stored)

    // Random faults: each request, with this chance in percent, gets one fault of a
    // random kind (no answer, bad checksum, short, late, cut or wrong-length block).
    int randomPercent = 0;
    uint32_t randomState = 1;
    // Arms one counted fault for the request key, by the chance above.
    void armRandomFault(int key);

    // Parses one fault text: "drop=KEY[:COUNT]", "corrupt=KEY[:COUNT]", "hangup=KEY[:NTH]",
    // "hangup-bytes=[KEY:]BYTES",
    // "unexpected", "junk", "wronglen=KEY[:COUNT]", "cut=KEY[:COUNT]", "nocompletion=KEY[:COUNT]",
    // "late=KEY[:COUNT]", "short=KEY[:COUNT]", "badecho=KEY[:COUNT]", "random=PERCENT[:SEED]".
    // KEY is an id in decimal or 0x hex, or 5/SUB. False when not understood.
    bool parse(const std::string& text, std::string* error);
};

// "31" -> 31, "0x1F" -> 31, "5/6" -> 0x506; -1 when not understood.
int ParseRequestKey(const std::string& text);
