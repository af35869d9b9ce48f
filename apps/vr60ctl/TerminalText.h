#pragma once
// Text from outside (file names, names read off a logger, database fields) on
// its way to a terminal: control characters (ESC above all, which would steer
// the terminal) and bytes that are not UTF-8 are shown as "\xNN" instead.
// Tabs and line ends stay.

#include <string>

std::string TerminalText(const std::string& text);
