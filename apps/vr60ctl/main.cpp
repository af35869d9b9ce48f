// vr60ctl: every device and file operation of the utility without the window.

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "CommandOptions.h"
#include "CtlCommand.h"
#include "CtlDocs.h"
#include "CtlHost.h"
#include "CtlInterrupt.h"
#include "CtlStores.h"
#include "program/Program.h"
#include "platform/ResultCode.h"
#include "platform/SystemTransport.h"
#include "platform/TracingTransport.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "platform/WideText.h"
#endif

namespace {

int PrintCommandUsage(const CtlCommand& command)
{
    PrintCommandHelp(std::cout, command);
    return 0;
}

const CtlCommand* FindCommand(const std::string& name)
{
    for (const CtlCommand& command : CtlCommands())
        if (name == command.name)
            return &command;
    return nullptr;
}

int UnknownCommand(const std::string& name)
{
    std::cerr << "vr60ctl: unknown command '" << name << "' (see vr60ctl --help)\n";
    return kUsageError;
}

bool IsHelp(const std::string& arg)
{
    return arg == "--help" || arg == "-h";
}

// --help or -h among the command's options (not after "--").
bool AsksForHelp(const std::vector<std::string>& args)
{
    for (const std::string& arg : args) {
        if (arg == "--")
            return false;
        if (IsHelp(arg))
            return true;
    }
    return false;
}

// An unwritable trace file would lose the bytes a bug report needs: say so before starting.
bool TraceFileWritable()
{
    const char* file = std::getenv("VR60_TRACE");
    if (!file || !*file)
        return true;
    std::FILE* f = std::fopen(file, "a");
    if (!f) {
        std::cerr << "vr60ctl: VR60_TRACE: cannot write " << file << ": " << std::strerror(errno) << "\n";
        return false;
    }
    std::fclose(f);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
#ifdef _WIN32
    // Texts and names are UTF-8 inside: the console shows them so, and the words come so.
    // The output is the Linux program's byte for byte (no CR added), so files made from it compare.
    SetConsoleOutputCP(CP_UTF8);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    const std::vector<std::string> words = Utf8Arguments();
    std::vector<char*> wordPointers;
    for (const std::string& word : words)
        wordPointers.push_back(const_cast<char*>(word.c_str()));
    wordPointers.push_back(nullptr);
    if (int(words.size()) == argc)
        argv = wordPointers.data();
#endif
#ifdef SIGXFSZ
    // A file-size limit then fails the write that passes it, which is reported, instead of ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    NameSettingsStore();

    CtlOptions options;
    int i = 1;
    for (; i < argc && argv[i][0] == '-'; ++i) {
        const std::string arg = argv[i];
        if (IsHelp(arg)) {
            PrintUsage(std::cout);
            return 0;
        }
        // Not in --help: the build makes the manual page and the completion with these.
        if (arg == "--help-man" || (arg == "--completion" && i + 1 < argc && std::strcmp(argv[i + 1], "bash") == 0)) {
            if (arg == "--help-man")
                PrintManPage(std::cout);
            else
                PrintBashCompletion(std::cout);
            return 0;
        }
        if (arg == "--version") {
            std::cout << "vr60ctl " << kProgramVersion << "\n";
            return 0;
        }
        if (arg == "--yes") {
            options.yes = true;
            continue;
        }
        if (arg == "--db") {
            // An empty URL names the default database.
            std::string error;
            if (i + 1 >= argc || !CheckDatabaseUrl(argv[i + 1], error)) {
                std::cerr << "vr60ctl: --db: " << (i + 1 >= argc ? "needs a URL" : error) << "\n";
                return kUsageError;
            }
            options.db = argv[++i];
            options.dbGiven = true;
            continue;
        }
        if (arg != "--port" && arg != "--baud") {
            std::cerr << "vr60ctl: unknown option " << arg << " (see vr60ctl --help)\n";
            return kUsageError;
        }
        // A missing value, an empty one, or the next option in its place.
        if (i + 1 >= argc || argv[i + 1][0] == '\0' || argv[i + 1][0] == '-') {
            std::cerr << "vr60ctl: " << arg
                      << (arg == "--port" ? " needs a port: COMn or a device path" : " needs a baud rate")
                      << " (see vr60ctl --help)\n";
            return kUsageError;
        }
        const std::string value = argv[++i];
        if (arg == "--port") {
            options.port = value;
        } else {
            char* end = nullptr;
            options.baud = std::strtol(value.c_str(), &end, 10);
            if (*end != '\0') {
                std::cerr << "vr60ctl: '" << value << "' is not a baud rate\n";
                return kUsageError;
            }
        }
    }
    if (i >= argc) {
        std::cerr << "vr60ctl: no COMMAND given (see vr60ctl --help)\n";
        return kUsageError;
    }
    const std::string name = argv[i++];
    const std::vector<std::string> args(argv + i, argv + argc);

    if (name == "help") {
        if (args.empty()) {
            PrintUsage(std::cout);
            return 0;
        }
        if (args.size() > 1) {
            std::cerr << "vr60ctl: help: unexpected '" << args[1] << "' (help takes one COMMAND)\n";
            return kUsageError;
        }
        const CtlCommand* command = FindCommand(args[0]);
        if (!command)
            return UnknownCommand(args[0]);
        return PrintCommandUsage(*command);
    }
    const CtlCommand* command = FindCommand(name);
    if (!command)
        return UnknownCommand(name);
    if (AsksForHelp(args))
        return PrintCommandUsage(*command);
    // Every word is checked before anything is opened or sent.
    CommandOptions line(*command);
    if (const int bad = line.parse(args))
        return bad;
    if (!TraceFileWritable())
        return kUsageError;

    CtlHost host(options.yes);
    auto program = std::make_unique<Program>(
        host, [](const std::string&) -> std::unique_ptr<Transport> { return MakeTracedIfAsked(MakeSystemTransport()); });
    StopWaitsOnSignals(program->link);
    const std::unique_ptr<StorageSink> records = OpenRecords(options);
    program->storage = records.get();
    CtlContext ctx{*program, host, options, {}};
    const int result = command->run(ctx, line);
    if (const int signal = InterruptSignal()) {
        std::cerr << "vr60ctl: interrupted by " << (signal == SIGINT ? "SIGINT" : "SIGTERM") << "\n";
        return InterruptedStatus(signal);
    }
    return result;
}
