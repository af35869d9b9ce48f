#include "platform/PortTable.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fcntl.h>
#include <fstream>
#include <linux/serial.h>
#include <map>
#include <sys/ioctl.h>
#include <unistd.h>

#include <QSettings>
#include <QString>

namespace fs = std::filesystem;

namespace {

constexpr size_t kMaxPorts = 256;

std::string Canonical(const std::string& path)
{
    std::error_code ec;
    fs::path p = fs::canonical(path, ec);
    return ec ? std::string() : p.string();
}

// A legacy port is worth listing only with hardware behind it: the serial driver's
// port type (sysfs, else TIOCGSERIAL on the node) is not "unknown".
bool IsRealLegacyPort(const std::string& name)
{
    std::ifstream type("/sys/class/tty/" + name + "/type");
    int value = 0;
    if (type >> value)
        return value != PORT_UNKNOWN;
    const int fd = ::open(("/dev/" + name).c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    serial_struct info{};
    const bool known = ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN;
    ::close(fd);
    return known;
}

struct HardwarePort {
    std::string path;
    std::string id;   // the by-id name, else the device name
    bool usb;
    bool operator<(const HardwarePort& o) const { return path < o.path; }
};

// USB serial devices and real ttyS ports, each with its by-id name when it has one.
std::vector<HardwarePort> HardwarePorts()
{
    std::map<std::string, std::string> byId;   // canonical path -> by-id name
    std::error_code ec;
    for (const auto& e : fs::directory_iterator("/dev/serial/by-id", ec))
        byId[Canonical(e.path().string())] = e.path().filename().string();

    std::vector<HardwarePort> found;
    for (const auto& e : fs::directory_iterator("/dev", ec)) {
        const std::string name = e.path().filename().string();
        const bool usb = name.rfind("ttyACM", 0) == 0 || name.rfind("ttyUSB", 0) == 0;
        const bool real = name.rfind("ttyS", 0) == 0 && IsRealLegacyPort(name);
        if (!usb && !real)
            continue;
        const std::string path = e.path().string();
        auto id = byId.find(path);
        found.push_back({path, id != byId.end() ? id->second : name, usb});
    }
    std::sort(found.begin(), found.end());
    return found;
}

// The aliases numbered 1..kHighestPortNumber, or (beyond) those numbered above it.
std::vector<PortEntry> AliasPorts(bool beyond = false)
{
    std::vector<PortEntry> ports;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(PortAliasFolder(), ec)) {
        const int number = PortNumberOfName(e.path().filename().string());
        if (number <= 0 || PortNumberUsable(number) == beyond)
            continue;
        const std::string target = Canonical(e.path().string());
        if (target.empty())
            continue;   // dangling link: its tty is gone
        ports.push_back({number, target, "alias " + e.path().string(), PortKind::Alias});
    }
    std::sort(ports.begin(), ports.end(), [](const PortEntry& a, const PortEntry& b) { return a.number < b.number; });
    return ports;
}

// A path given on the command line as given, with the device it leads to:
// "/dev/serial/by-id/x (/dev/ttyACM0)".
std::string PathLabel(const std::string& path)
{
    const std::string device = Canonical(path);
    return device.empty() || device == path ? path : path + " (" + device + ")";
}

} // namespace

std::string PortAliasFolder()
{
    if (const char* dir = std::getenv("VR60_PORT_DIR"); dir && *dir)
        return dir;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        return std::string(runtime) + "/vr60-ports";
    return "/tmp/vr60-ports-" + std::to_string(getuid());
}

std::vector<PortEntry> ListPorts(const std::vector<PortEntry>& commandLinePorts)
{
    std::vector<PortEntry> ports = AliasPorts();
    auto taken = [&](int n) {
        return std::any_of(ports.begin(), ports.end(), [n](const PortEntry& p) { return p.number == n; });
    };
    for (const PortEntry& given : commandLinePorts)
        if (!taken(given.number))
            ports.push_back({given.number, given.systemPath, "given on the command line", PortKind::CommandLine});

    QSettings store(QStringLiteral("TRAXELO"), QStringLiteral("VR40LINK"));
    store.beginGroup(QStringLiteral("ports"));
    for (const HardwarePort& hw : HardwarePorts()) {
        const QString key = QString::fromStdString(hw.id);
        int number = store.value(key, 0).toInt();
        if (!PortNumberUsable(number) || taken(number)) {
            number = 1;
            while (taken(number))
                ++number;
            if (!PortNumberUsable(number))
                continue;
            store.setValue(key, number);
        }
        ports.push_back({number, hw.path, hw.id, hw.usb ? PortKind::Usb : PortKind::Legacy});
    }
    std::sort(ports.begin(), ports.end(), [](const PortEntry& a, const PortEntry& b) { return a.number < b.number; });
    if (ports.size() > kMaxPorts)
        ports.resize(kMaxPorts);
    return ports;
}

std::vector<PortEntry> PortsBeyondHighestNumber()
{
    return AliasPorts(true);
}

PortRef ResolvePort(int number, const std::vector<PortEntry>& ports)
{
    PortRef ref;
    ref.number = number;
    ref.label = "COM" + std::to_string(number);
    ref.named = number > 0;
    const auto it = std::find_if(ports.begin(), ports.end(), [number](const PortEntry& p) { return p.number == number; });
    if (it != ports.end()) {
        ref.path = it->systemPath;
        ref.kind = it->kind;
        ref.listed = true;
        ref.label = it->kind == PortKind::CommandLine ? PathLabel(ref.path) : ref.label + " (" + ref.path + ")";
    }
    return ref;
}

PortRef ResolvePort(const std::string& given, const std::vector<PortEntry>& ports)
{
    if (const int named = PortNumberOfName(given); named > 0)
        return ResolvePort(named, ports);
    const std::string target = Canonical(given);
    for (const PortEntry& p : ports)
        if (!target.empty() && Canonical(p.systemPath) == target) {
            PortRef ref = ResolvePort(p.number, ports);
            ref.named = false;
            return ref;
        }
    PortRef ref;
    ref.number = 1;
    while (std::any_of(ports.begin(), ports.end(), [&ref](const PortEntry& p) { return p.number == ref.number; }))
        ++ref.number;
    if (!PortNumberUsable(ref.number))
        ref.number = -1;
    ref.path = given;
    ref.label = PathLabel(given);
    return ref;
}

PortRef ResolveGivenPort(const std::string& given, std::vector<PortEntry>& commandLinePorts)
{
    const PortRef ref = ResolvePort(given, ListPorts(commandLinePorts));
    if (!ref.named && !ref.listed && ref.number > 0)
        commandLinePorts.push_back({ref.number, ref.path, "given on the command line", PortKind::CommandLine});
    return ref;
}

bool PublishPortAlias(int number, const std::string& path, std::string* error)
{
    std::error_code ec;
    const fs::path folder = PortAliasFolder();
    fs::create_directories(folder, ec);
    const fs::path link = folder / ("COM" + std::to_string(number));
    fs::remove(link, ec);
    fs::create_symlink(path, link, ec);
    if (ec && error)
        *error = ec.message();
    return !ec;
}

void RemovePortAlias(int number)
{
    std::error_code ec;
    fs::remove(fs::path(PortAliasFolder()) / ("COM" + std::to_string(number)), ec);
}
