#pragma once
// UTF-8 names and texts to and from the UTF-16 of the Win32 API, without Qt
// (the Windows command-line program has none). Built only on Windows.

#ifdef _WIN32
#include <string>
#include <vector>

std::wstring WideFromUtf8(const std::string& text);
std::string Utf8FromWide(const wchar_t* text, size_t length);
// The program's command line as UTF-8 words (argv has them in the ANSI code page,
// which cannot hold every file name).
std::vector<std::string> Utf8Arguments();
#endif
