#pragma once
// The log browser: loading a .sbp file into the point grid, choosing the log
// file name, and the web-map link of a selected point.
// File dialogs belong to the window: these take the name the dialog returned
// (empty when it was cancelled).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/FileAccess.h"

#include "platform/ResultCode.h"

struct Program;

// OpenDialog1 as the browser sets it up (filter, default extension, file name).
inline constexpr const char* kSbpDialogFilter = "*.sbp";
inline constexpr const char* kSbpDialogDefaultExt = "sbp";
inline constexpr const char* kSbpDialogFileName = "*.sbp";

// "Load SBP file" after its dialog. Returns kOk, or the ReadWholeFile result after the "Load SBP failed!" box.
ResultCode Load_SBPClick(Program& p, const std::string& chosenFile);
// A log line when the image's records do not look like a log's (SbpLogCheck.h);
// `going` says what happens to it anyway ("loaded as it is").
void WarnWhenNotALog(Program& p, const std::string& file, const std::vector<uint8_t>& image, const char* going);
// "Browse" after its dialog: sets Edit_Filename.
void Button_BrowseClick(Program& p, const std::string& chosenFile);
// Grid selection: remembers the row and rebuilds the map link; always allows the selection.
bool StringGrid1SelectCell(Program& p, int column, size_t row);
// Double click: opens the map link of the selected point. Returns true when something was opened.
bool StringGrid1DblClick(Program& p);
