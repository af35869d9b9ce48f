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
    CommandLine,   // a path given on the command line, known to the program it was given to
};

struct PortEntry {
    int number = 0;            // n of COMn
    std::string systemPath;    // /dev/ttyACM0, /dev/pts/3, \\.\COM3
    std::string description;
    PortKind kind = PortKind::Usb;
};

// The port number is 8-bit in the records: COM1 .. COM255.
inline constexpr int kHighestPortNumber = 255;
constexpr bool PortNumberUsable(long number)
{
    return number >= 1 && number <= kHighestPortNumber;
}

// A port as resolved once from what the user gave (COMn, "COM  n" or a device path): the
// transport opens path; lines about the port name it by label.
struct PortRef {
    int number = -1;          // n of COMn; -1 for a path when every usable number is taken
    std::string path;         // the system path; empty when COMn is not present
    std::string label;        // "COM7 (/dev/pts/3)"; a path as given, with the device it leads to; "COM7" when absent
    PortKind kind = PortKind::CommandLine;
    bool listed = false;      // among the ports it was resolved against
    bool named = false;       // given as COMn (n above 0), not as a path
};

// The alias folder: $VR60_PORT_DIR, else $XDG_RUNTIME_DIR/vr60-ports, else /tmp/vr60-ports-<uid>.
std::string PortAliasFolder();

// Every port present, with the paths a program was given on the command line (kind
// CommandLine, kept by the caller; an alias of the same number wins), sorted by number;
// at most 256 entries. Unusable numbers are left out (see PortsBeyondHighestNumber).
std::vector<PortEntry> ListPorts(const std::vector<PortEntry>& commandLinePorts);
// The ports present under a number above kHighestPortNumber, which cannot be used.
std::vector<PortEntry> PortsBeyondHighestNumber();

// "COM%3d": COM3 becomes "COM  3".
std::string PortDisplayName(int number);
// The number of a "COMn" or "COM  n" name, or -1.
int PortNumberOfName(const std::string& name);

// Port n among ports (as ListPorts gives them).
PortRef ResolvePort(int number, const std::vector<PortEntry>& ports);
// What the user gave, among ports: a COM name by its number, a path by the listed port it
// leads to (symlinks followed); a path not listed (or not there at all: the open reports
// that) as itself, lent the first number free among ports.
PortRef ResolvePort(const std::string& given, const std::vector<PortEntry>& ports);
// ResolvePort among ListPorts(commandLinePorts); a path not listed is added to
// commandLinePorts under the number it was lent.
PortRef ResolveGivenPort(const std::string& given, std::vector<PortEntry>& commandLinePorts);

// Publishes path as COMn in the alias folder (replacing a stale link); false on failure.
bool PublishPortAlias(int number, const std::string& path, std::string* error);
void RemovePortAlias(int number);
