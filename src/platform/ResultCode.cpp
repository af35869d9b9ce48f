#include "platform/ResultCode.h"

const char* ResultCodeMeaning(int code)
{
    switch (code) {
    case kOk: return "success";
    case kNoLink: return "no link (no port open, the link is busy, or the port went away)";
    case kEmptyFile: return "empty file, a file that is not a log, or no log data on the device";
    case kNoAck: return "no acknowledgement";
    case kTimeOut: return "time-out: an answer did not come in full";
    case kNoAnswer: return "no answer in the connection steps";
    case kDeclined: return "declined (a question was answered No)";
    case kConverterFailed: return "converter failed";
    case kTestFailed: return "self test: an item failed";
    case kWriteFailed: return "write failed";
    case kIncomplete: return "incomplete: some steps failed";
    case kRefused: return "refused: not attempted";
    case kInterrupted: return "interrupted: the operator asked to stop";
    case kCannotOpen: return "cannot open or create the file";
    default: return "unknown";
    }
}
