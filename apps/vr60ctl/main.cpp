// vr60ctl: every device and file operation of the utility without the window.

#include <csignal>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include <QCoreApplication>

#include "CtlCommand.h"
#include "CtlHost.h"
#include "program/Program.h"
#include "platform/ResultCode.h"
#include "platform/SystemTransport.h"
#include "platform/TracingTransport.h"

namespace {

void PrintUsage(std::ostream& out)
{
    out << "usage: vr60ctl [--port PORT] [--baud RATE] [--yes] COMMAND [ARGS]\n"
           "\n"
           "  --port PORT  COMn (as listed by 'ports') or a device path such as /dev/ttyACM0;\n"
           "               default: the first listed port\n"
           "  --baud RATE  4800 9600 19200 38400 57600 115200 230400 460800 (default 460800)\n"
           "  --yes        answer Yes to questions (without it, No when stdin is not a terminal)\n"
           "\n"
           "Message-log lines go to stdout, message boxes to stderr. The exit status is 0 on\n"
           "success, 2 for a bad command line, else the failing step's result code:\n";
    for (int code : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 140})
        out << "  " << (code < 10 ? "  " : code < 100 ? " " : "") << code << "  " << ResultCodeMeaning(code) << "\n";
    out << "\n"
           "commands:\n";
    for (const CtlCommand& c : CtlCommands())
        out << c.usage << "\n";
}

} // namespace

int main(int argc, char** argv)
{
#ifdef SIGXFSZ
    // A file-size limit then fails the write that passes it, which is reported, instead of ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    QCoreApplication::setOrganizationName(QStringLiteral("TRAXELO"));
    QCoreApplication::setApplicationName(QStringLiteral("VR40LINK"));

    CtlOptions options;
    int i = 1;
    for (; i < argc && argv[i][0] == '-' && argv[i][1] == '-'; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help") {
            PrintUsage(std::cout);
            return 0;
        }
        if (arg == "--yes") {
            options.yes = true;
        } else if ((arg == "--port" || arg == "--baud") && i + 1 < argc) {
            const std::string value = argv[++i];
            if (arg == "--port") {
                options.port = value;
            } else {
                char* end = nullptr;
                options.baud = std::strtol(value.c_str(), &end, 10);
                if (value.empty() || *end != '\0') {
                    std::cerr << "vr60ctl: '" << value << "' is not a baud rate\n";
                    return 2;
                }
            }
        } else {
            std::cerr << "vr60ctl: unknown option " << arg << " (see --help)\n";
            return 2;
        }
    }
    if (i >= argc) {
        PrintUsage(std::cerr);
        return 2;
    }
    const std::string name = argv[i++];
    const std::vector<std::string> args(argv + i, argv + argc);

    for (const CtlCommand& command : CtlCommands()) {
        if (name != command.name)
            continue;
        CtlHost host(options.yes);
        auto program = std::make_unique<Program>(
            host, [](const std::string&) -> std::unique_ptr<Transport> { return MakeTracedIfAsked(MakeSystemTransport()); });
        CtlContext ctx{*program, host, options};
        return command.run(ctx, args);
    }
    std::cerr << "vr60ctl: unknown command '" << name << "' (see --help)\n";
    return 2;
}
