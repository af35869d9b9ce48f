#pragma once
// The serial ports present, as COM numbers with their system path.
// Linux: USB serial devices (ttyACM*, ttyUSB*), real ttyS* ports, and aliases:
// symlinks named COMn in the port-alias folder, pointing at any tty (this is
// how the simulator's pty and a user's own mapping appear). Real devices get a
// stable number remembered in the settings store, keyed by their by-id name.

#include <string>
#include <vector>

enum class PortKind {
    Usb,           // a USB serial device (ttyACM, ttyUSB; on Windows any port not named Serial)
    Legacy,        // a real ttyS port (or a Windows \Device\Serial port)
    Alias,         // a COMn symlink in the port-alias folder
    CommandLine,   // a path given on the command line, known to this process only
};

struct PortEntry {
    int number = 0;            // n of COMn
    std::string systemPath;    // /dev/ttyACM0, /dev/pts/3, \\.\COM3
    std::string description;
    PortKind kind = PortKind::Usb;
};

// The port number is 8-bit in the records: COM1 .. COM255.
inline constexpr int kHighestPortNumber = 255;

// The alias folder: $VR60_PORT_DIR, else $XDG_RUNTIME_DIR/vr60-ports, else /tmp/vr60-ports-<uid>.
std::string PortAliasFolder();

// Every port present, sorted by number; at most 256 entries. Ports numbered above
// kHighestPortNumber are left out (see PortsBeyondHighestNumber).
std::vector<PortEntry> ListPorts();
// The ports present under a number above kHighestPortNumber, which cannot be used.
std::vector<PortEntry> PortsBeyondHighestNumber();
// How failure lines name port n: "COM7 (/dev/pts/3)"; a path given on the command line as
// given, with the device it leads to ("/dev/serial/by-id/x (/dev/ttyACM0)"); "COM7" when absent.
std::string PortLabel(int number);

// "COM%3d": COM3 becomes "COM  3".
std::string PortDisplayName(int number);
// The number of a "COMn" or "COM  n" name, or -1.
int PortNumberOfName(const std::string& name);

// Path for COMn, empty when no such port.
std::string ResolvePortNumber(int number);
// Number for a path or a COMn name (symlinks followed); a path that is not listed
// (or does not exist) gets the first free number for this process (-1: none is free).
int PortNumberForArgument(const std::string& portArgument);

// Publishes path as COMn in the alias folder (replacing a stale link); false on failure.
bool PublishPortAlias(int number, const std::string& path, std::string* error);
void RemovePortAlias(int number);
// Registers a path under a number for this process only (the command line's device paths).
void AddProcessPort(int number, const std::string& path);
