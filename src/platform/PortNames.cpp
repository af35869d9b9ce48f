// COM names as the port list shows them, on every platform.

#include <cstdio>

#include "platform/PortTable.h"

std::string PortDisplayName(int number)
{
    char text[16];
    std::snprintf(text, sizeof text, "COM%3d", number);
    return text;
}

int PortNumberOfName(const std::string& name)
{
    if (name.size() < 4 || name.compare(0, 3, "COM") != 0)
        return -1;
    size_t i = 3;
    while (i < name.size() && name[i] == ' ')
        ++i;
    if (i == name.size())
        return -1;
    int value = 0;
    for (; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9' || value > 9999)
            return -1;
        value = value * 10 + (name[i] - '0');
    }
    return value;
}
