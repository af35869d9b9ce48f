// Port names from outside: entries of the port-alias folder, the command line's
// --port and the port list's text. Any text must parse without harm, and a
// number read from a name must come back from that name's display form.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "connection/TextFields.h"
#include "platform/PortTable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    (void)PortNumberOfText(text);
    const int number = PortNumberOfName(text);
    if (number < -1)
        std::abort();
    if (number >= 0) {
        const std::string shown = PortDisplayName(number);
        if (PortNumberOfName(shown) != number || PortNumberOfText(shown) != uint8_t(number))
            std::abort();
    }
    return 0;
}
