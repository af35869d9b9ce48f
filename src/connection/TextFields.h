#pragma once
// The port number in a port combo box's text.

#include <cstdint>
#include <string>

// The number in a "COM%3d" text from its fourth character on, truncated to 8 bits.
uint8_t PortNumberOfText(const std::string& comboText);
