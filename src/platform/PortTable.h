#pragma once
// The serial ports present, as COM numbers with their system path.
// Linux: USB serial devices (ttyACM*, ttyUSB*), real ttyS* ports, and aliases:
// symlinks named COMn in the port-alias folder, pointing at any tty (this is
// how the simulator's pty and a user's own mapping appear). Real devices get a
// stable number remembered in the settings store, keyed by their by-id name.

#include <string>
#include <vector>

struct PortEntry {
    int number = 0;            // n of COMn
    std::string systemPath;    // /dev/ttyACM0, /dev/pts/3, \\.\COM3
    std::string description;
};

// The alias folder: $VR60_PORT_DIR, else $XDG_RUNTIME_DIR/vr60-ports, else /tmp/vr60-ports-<uid>.
std::string PortAliasFolder();

// Every port present, sorted by number; at most 256 entries.
std::vector<PortEntry> ListPorts();

// "COM%3d": COM3 becomes "COM  3".
std::string PortDisplayName(int number);
// The number of a "COMn" or "COM  n" name, or -1.
int PortNumberOfName(const std::string& name);

// Path for COMn, empty when no such port.
std::string ResolvePortNumber(int number);
// Number for a path or a COMn name (symlinks followed); a path that is not listed
// (or does not exist) gets the first free number for this process.
int PortNumberForArgument(const std::string& portArgument);

// Publishes path as COMn in the alias folder (replacing a stale link); false on failure.
bool PublishPortAlias(int number, const std::string& path, std::string* error);
void RemovePortAlias(int number);
// Registers a path under a number for this process only (the command line's device paths).
void AddProcessPort(int number, const std::string& path);
