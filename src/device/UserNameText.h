#pragma once
// The user name as the device stores it: the text without its blanks, 1 to 15
// bytes of UTF-8 (a letter such as "Ä" takes two), and no control characters,
// which the device would store and show as they are.

#include <cstddef>
#include <cstdint>
#include <string>

enum class UserNameFault { None, Empty, TooLong, NotUtf8, ControlCharacter };

struct UserNameCheck {
    std::string name;           // the text without its blanks
    UserNameFault fault = UserNameFault::None;
    size_t bytes = 0;
    size_t characters = 0;      // counted when the name is UTF-8
    uint32_t codePoint = 0;     // the control character
    uint8_t badByte = 0;        // the first byte that is not UTF-8
    size_t at = 0;              // where: the character (control) or the byte (not UTF-8), from 1
};

inline constexpr size_t kUserNameBytesMax = 15;

UserNameCheck InspectUserName(const std::string& text);
// What is wrong, as a phrase: "control character U+0009 (TAB) at character 4".
std::string UserNameFaultText(const UserNameCheck& check);
