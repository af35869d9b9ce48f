// vr60util: the window. --port COMn preselects a port (else the saved one applies).

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include <QApplication>
#include <QTimer>

#include "program/Program.h"
#include "platform/LinkSettingsStore.h"
#include "link/PortList.h"
#include "platform/PortTable.h"
#include "platform/ResultCode.h"
#include "platform/SystemTransport.h"
#include "platform/TracingTransport.h"
#include "shell/Station.h"
#include "shell/StationRecords.h"
#include "ui/Dialogs.h"
#include "ui/MainWindow.h"
#include "ui/StationWindow.h"
#include "ui/WindowHost.h"
#include "ui_MainWindow.h"

namespace {

void Usage()
{
    std::printf("usage: vr60util [--port PORT]\n"
                "       vr60util --station --ports LIST | --all [--count N]\n"
                "  PORT: a COM name (COM7) or a device path, chosen in the port list at start\n"
                "  --station: the test station's window, one tile a port (LIST: ports or device\n"
                "  paths, by commas; --all: every USB serial port and alias); each unit is tested\n"
                "  when its port appears, by vr60ctl beside this program; --count N: end after N units\n");
}

// The station's window: its workers are vr60ctl processes, with the records database the
// window would use.
int RunStation(QApplication& app, StationOptions options, const std::optional<std::string>& dbSetting)
{
    options.worker = (QCoreApplication::applicationDirPath() + QStringLiteral("/vr60ctl")).toStdString();
    if (!std::getenv("VR60_DB") && dbSetting)
        options.globalArgs = {"--db", *dbSetting};
    Station station(options);
    StationWindow window(station);
    station.finished = [&] { window.close(); };
    window.show();
    station.start();
    return app.exec();
}

} // namespace

int main(int argc, char** argv)
{
#ifdef SIGXFSZ
    // A file-size limit then fails the write that passes it, which is reported, instead of ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    std::string port;
    bool station = false;
    StationOptions stationOptions;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--port") == 0 && i + 1 < argc) {
            port = argv[++i];
        } else if (std::strcmp(argv[i], "--station") == 0) {
            station = true;
        } else if (std::strcmp(argv[i], "--all") == 0) {
            stationOptions.all = true;
        } else if (std::strcmp(argv[i], "--ports") == 0 && i + 1 < argc) {
            for (const QString& name : QString::fromLocal8Bit(argv[++i]).split(QLatin1Char(','), Qt::SkipEmptyParts))
                stationOptions.ports.push_back(name.toStdString());
        } else if (std::strcmp(argv[i], "--count") == 0 && i + 1 < argc) {
            stationOptions.count = std::atoi(argv[++i]);
            if (stationOptions.count <= 0) {
                std::fprintf(stderr, "vr60util: --count needs a number of units from 1\n");
                return kUsageError;
            }
        } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            Usage();
            return 0;
        } else if (std::strncmp(argv[i], "-", 1) == 0 && std::strcmp(argv[i], "-platform") != 0) {
            std::fprintf(stderr, "vr60util: unknown option %s\n", argv[i]);
            Usage();
            return kUsageError;
        }
    }

    if (station && stationOptions.ports.empty() == !stationOptions.all) {
        std::fprintf(stderr, "vr60util: --station needs its ports: --ports LIST or --all\n");
        return kUsageError;
    }

    QApplication app(argc, argv);
    if (station)
        return RunStation(app, stationOptions, ReadLinkSetting("RecordsDatabase"));
    QtDialogs dialogs;
    WindowHost host(dialogs);
    Program program(host, [](const std::string&) -> std::unique_ptr<Transport> {
        return MakeTracedIfAsked(MakeSystemTransport());
    });
    // The records database: VR60_DB, else the setting "RecordsDatabase", else the default.
    const std::optional<std::string> setting = ReadLinkSetting("RecordsDatabase");
    StationRecords records(ConfiguredTarget(!std::getenv("VR60_DB") && setting ? &*setting : nullptr));
    program.storage = &records;
    MainWindow window(program, host);
    if (!port.empty()) {
        const PortRef given = ResolveGivenPort(port, program.ports.commandLinePorts);
        if (given.number > 0) {
            program.form.connection.comPortText = PortItemText(program.ports.commandLinePorts, given.number);
            window.refresh();
        }
    }
    window.show();
    // Today's count asks the records database, which may be a server on the network: once the
    // window is up, so that an unreachable one does not hold it back.
    QTimer::singleShot(0, &window, [&] {
        program.form.test.recordsToday = TodayLine(records.store());
        window.refresh();
    });
    // For `make screenshots` only: the Test page is hidden in every configuration.
    if (std::getenv("VR60_SHOW_TEST_PAGE")) {
        QTabWidget* pages = window.form().PageControl;
        pages->setTabVisible(pages->indexOf(window.form().TabBIT), true);
        pages->setCurrentWidget(window.form().TabBIT);
    }
    return app.exec();
}
