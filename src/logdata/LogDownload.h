#pragma once
// "Log Download ": copies the used stretch of the device's log ring into the
// file named in Edit_Filename, block by block, decoding each block into the
// point grid as it arrives, and runs the full clear afterwards when "Auto
// clear" is ticked. The blocks go into NAME.partial.sbp first (DownloadTarget):
// only a complete download replaces the named file, and the message log names
// what an incomplete one left. The device log is cleared only once every byte
// of the file has been written and synced to disk under its name.

#include "platform/ResultCode.h"

struct Program;

// The result of the download (kOk, kNoLink: no link or the port went away, kEmptyFile: nothing
// logged, kTimeOut: the log-area query or a block went unanswered, kDeclined, kCannotOpen,
// kWriteFailed), or after a complete download that of a failing Auto clear.
ResultCode Button_downloadlogClick(Program& p);
