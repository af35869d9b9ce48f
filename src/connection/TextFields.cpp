#include "connection/TextFields.h"

uint8_t PortNumberOfText(const std::string& comboText)
{
    if (comboText.size() < 4)
        return 0;
    size_t i = 3;
    while (i < comboText.size() && (comboText[i] == ' ' || comboText[i] == '\t'))
        ++i;
    long value = 0;
    bool negative = false;
    if (i < comboText.size() && (comboText[i] == '-' || comboText[i] == '+'))
        negative = comboText[i++] == '-';
    for (; i < comboText.size() && comboText[i] >= '0' && comboText[i] <= '9'; ++i)
        value = (value * 10 + (comboText[i] - '0')) & 0xFFFF;
    return uint8_t(negative ? -value : value);
}
