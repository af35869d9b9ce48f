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
#include "shell/StationRecords.h"
#include "ui/Dialogs.h"
#include "ui/MainWindow.h"
#include "ui/WindowHost.h"
#include "ui_MainWindow.h"

namespace {

void Usage()
{
    std::printf("usage: vr60util [--port PORT]\n"
                "  PORT: a COM name (COM7) or a device path, chosen in the port list at start\n");
}

} // namespace

int main(int argc, char** argv)
{
#ifdef SIGXFSZ
    // A file-size limit then fails the write that passes it, which is reported, instead of ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    std::string port;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--port") == 0 && i + 1 < argc) {
            port = argv[++i];
        } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            Usage();
            return 0;
        } else if (std::strncmp(argv[i], "-", 1) == 0 && std::strcmp(argv[i], "-platform") != 0) {
            std::fprintf(stderr, "vr60util: unknown option %s\n", argv[i]);
            Usage();
            return kUsageError;
        }
    }

    QApplication app(argc, argv);
    QtDialogs dialogs;
    WindowHost host(dialogs);
    Program program(host, [](const std::string&) -> std::unique_ptr<Transport> {
        return MakeTracedIfAsked(MakeSystemTransport());
    });
    // The records database: VR60_DB, else the setting "RecordsDatabase", else the default.
    const std::optional<std::string> setting = ReadLinkSetting("RecordsDatabase");
    StationRecords records(ConfiguredTarget(!std::getenv("VR60_DB") && setting ? &*setting : nullptr));
    program.records = &records;
    MainWindow window(program, host);
    if (!port.empty()) {
        const int number = PortNumberForArgument(port);
        if (number > 0) {
            program.form.connection.comPortText = PortItemText(number);
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
