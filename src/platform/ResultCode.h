#pragma once
// The one set of result codes every operation returns (and vr60ctl exits with).
// Plain ints, never exceptions; each operation has told the operator already.
// 2 is left out: the programs exit with it for a bad command line (kUsageError), as Unix tools do.

enum ResultCode : int {
    kOk = 0,
    kNoLink = 1,             // no port open, the link is busy, or the port went away
    kNoAck = 3,              // a command was not acknowledged
    kTimeOut = 4,            // an answer did not come (in full) within its budget
    kNoAnswer = 5,           // no answer in the connection steps
    kDeclined = 6,           // the operator answered No
    kConverterFailed = 7,    // an external converter failed or left no output
    kTestFailed = 8,         // the self test ran and an item failed
    kWriteFailed = 9,        // a file could not be written in full
    kIncomplete = 10,        // some steps of a multi-step operation failed
    kRefused = 11,           // not attempted: the input or the device state does not allow it
    kEmptyFile = 12,         // nothing to read: an empty file, or no log data on the device
    kNotALog = 12,           // a file whose records are not a log's: nothing to read either
    kInterrupted = 130,      // the operator asked to stop (vr60ctl: 128 + the signal)
    kCannotOpen = 140,       // a file could not be opened or created
};

// The exit status of a program given a bad command line; no operation returns it.
inline constexpr int kUsageError = 2;

// Every failure code, in the order --help and the manual page list them.
inline constexpr int kFailureCodes[] = {kNoLink, kNoAck, kTimeOut, kNoAnswer, kDeclined, kConverterFailed,
                                        kTestFailed, kWriteFailed, kIncomplete, kRefused, kEmptyFile,
                                        kCannotOpen};

// A short English phrase for the code, for --help and summaries.
const char* ResultCodeMeaning(int code);
