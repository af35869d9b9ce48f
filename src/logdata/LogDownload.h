#pragma once
// "Log Download ": copies the used stretch of the device's log ring into the
// file named in Edit_Filename, block by block, decoding each block into the
// point grid as it arrives, and runs the full clear afterwards when "Auto
// clear" is ticked. The device log is cleared only once every byte of the
// file has been written and synced to disk.

struct Program;

// Results of a download.
inline constexpr int kDownloadOk = 0;
inline constexpr int kDownloadNoLink = 1;        // no link, or it went away before the transfer
inline constexpr int kDownloadNoLogData = 2;     // nothing logged; no file created
inline constexpr int kDownloadFailed = 4;        // a block got no usable answer, or the area answer was absurd
inline constexpr int kDownloadDeclined = 6;      // the file exists and the operator kept it
inline constexpr int kDownloadFileError = 140;   // the file could not be created or written
// After a complete download, a failing Auto clear returns its own result (1, 3 or 4).

int Button_downloadlogClick(Program& p);

// Answers of the wrong length to one block are discarded and the block asked again;
// this many of them cost the block one of its four attempts.
inline constexpr int kWrongLengthAnswersPerAttempt = 3;
