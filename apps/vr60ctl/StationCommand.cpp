// station: the self test on many ports at once, each unit in a worker of its own
// (selftest --station-slot), started when its port appears.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QTimer>

#include "CommandOptions.h"
#include "CtlCommand.h"
#include "TerminalText.h"
#include "basics/Text.h"
#include "link/LinkContext.h"
#include "platform/ResultCode.h"
#include "program/Program.h"
#include "shell/Station.h"

namespace {

std::string SlotLine(const StationSlot& slot)
{
    std::string line = slot.port;
    line.resize(std::max<size_t>(line.size() + 1, 14), ' ');
    line += SlotSerialText(slot.serial);
    if (!slot.userName.empty())
        line += " \"" + slot.userName + "\"";
    line += "  " + SlotVerdictText(slot);
    if (slot.phase == SlotPhase::Done) {
        char took[32];
        std::snprintf(took, sizeof took, " (%.1f s)", double(slot.tookMs) / 1000);
        line += took;
    }
    if (!slot.sharedSerialWith.empty())
        line += "  [same serial on " + slot.sharedSerialWith + "]";
    return TerminalText(line);
}

} // namespace

int RunStation(CtlContext& ctx, const CommandOptions& options)
{
    StationOptions so;
    if (options.isSet("ports") == options.isSet("all"))
        return options.fail("give the ports: --ports LIST or --all");
    so.all = options.isSet("all");
    if (!so.all) {
        std::set<std::string> seen;
        for (const std::string& port : SplitText(options.value("ports"), ',')) {
            if (port.empty())
                return options.fail("--ports: an empty port name in '" + options.value("ports") + "'");
            if (!seen.insert(port).second)
                return options.fail("--ports: " + port + " twice");
            so.ports.push_back(port);
        }
    }
    if (options.isSet("count")) {
        const std::string text = options.value("count");
        if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos ||
            std::atoi(text.c_str()) == 0)
            return options.fail("--count needs a number of units from 1 ('" + text + "')");
        so.count = std::atoi(text.c_str());
    }
    if (options.isSet("items")) {
        const std::vector<std::string> known = SelfTestItemNames();
        for (const std::string& item : SplitText(options.value("items"), ','))
            if (std::find(known.begin(), known.end(), item) == known.end())
                return options.fail("'" + item + "' is not a test item");
        so.testArgs = {"--items", options.value("items")};
    }
    for (const char* flag : {"snr", "no-snr", "clear", "no-clear", "power-off", "no-power-off"})
        if (options.isSet(flag))
            so.testArgs.push_back(std::string("--") + flag);
    if (ctx.options.dbGiven)
        so.globalArgs = {"--db", ctx.options.db};
    so.globalArgs.push_back("--baud");
    so.globalArgs.push_back(std::to_string(ctx.options.baud));

    int argc = 1;
    char name[] = "vr60ctl";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    so.worker = QCoreApplication::applicationFilePath().toStdString();

    Station station(so);
    std::vector<std::string> shown;
    station.slotChanged = [&](size_t i) {
        shown.resize(station.slotList().size());
        const std::string line = SlotLine(station.slotList()[i]);
        if (line != shown[i]) {
            shown[i] = line;
            std::printf("%s\n", line.c_str());
            std::fflush(stdout);
        }
    };
    station.note = [](const std::string& line) { std::fprintf(stderr, "vr60ctl: %s\n", TerminalText(line).c_str()); };
    station.finished = [&] { app.quit(); };
    // Ctrl-C and SIGTERM reach the station here; it passes the stop on to its workers.
    QTimer stopWatch;
    QObject::connect(&stopWatch, &QTimer::timeout, &stopWatch, [&] {
        if (ctx.program.link.stopRequested.load())
            station.stop();
    });
    stopWatch.start(50);
    station.start();
    if (!station.done())
        app.exec();

    std::printf("Station: %d %s tested, %d passed\n", station.unitsTested(), station.unitsTested() == 1 ? "unit" : "units",
                station.unitsPassed());
    return station.unitsPassed() == station.unitsTested() ? kOk : kTestFailed;
}
