// vr60view FILE: the session window for one log (.sbp, or another logger's .sbn, .ubx,
// .oao, .gpy, .gpx); with several files, the logs of one session compared.

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

#include "analysisview/CompareWindow.h"
#include "analysisview/LogbookView.h"
#include "analysisview/SessionWindow.h"
#include "platform/ResultCode.h"

namespace {

constexpr const char* kUsage =
    "usage: vr60view [FILE... [--rules R] | --logbook]  (a FILE that starts with '-': vr60view -- FILE)\n";

struct ViewArgs {
    bool help = false;
    bool logbook = false;
    std::string file;   // empty: ask for one
    std::vector<std::string> more;   // further files: compare them with the first
    std::optional<RuleSet> rules;   // --rules R; not given: the default
};

// False after saying what is wrong: an unknown option never becomes a file name.
bool ReadArgs(int argc, char** argv, ViewArgs& out)
{
    bool endOfOptions = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (!endOfOptions && arg == "--") {
            endOfOptions = true;
        } else if (!endOfOptions && (arg == "--help" || arg == "-h")) {
            out.help = true;
        } else if (!endOfOptions && arg == "--logbook") {
            out.logbook = true;
        } else if (!endOfOptions && (arg == "--rules" || arg.rfind("--rules=", 0) == 0)) {
            const bool joined = arg.size() > 7;
            if (!joined && i + 1 == argc) {
                std::fprintf(stderr, "vr60view: --rules needs a rule set (%s)\n%s", RuleSetNames(), kUsage);
                return false;
            }
            const std::string name = joined ? arg.substr(8) : argv[++i];
            out.rules = RuleSetNamed(name);
            if (!out.rules) {
                std::fprintf(stderr, "vr60view: '%s' is not a rule set (%s)\n", name.c_str(), RuleSetNames());
                return false;
            }
        } else if (!endOfOptions && arg.size() > 1 && arg[0] == '-') {
            std::fprintf(stderr, "vr60view: unknown option %s\n%s", arg.c_str(), kUsage);
            return false;
        } else if (!out.file.empty()) {
            out.more.push_back(arg);
        } else {
            out.file = arg;
        }
    }
    if (out.logbook && !out.file.empty()) {
        std::fprintf(stderr, "vr60view: FILE or --logbook, not both\n%s", kUsage);
        return false;
    }
    if (out.logbook && out.rules) {
        std::fprintf(stderr, "vr60view: --rules goes with a FILE; the logbook shows the default rules\n%s", kUsage);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    ViewArgs args;
    if (!ReadArgs(argc, argv, args))
        return kUsageError;
    if (args.help) {
        std::printf("%s\nShows the best speeds of a log, its speed over time and its track;\n"
                    "several FILEs (logs of one session) are compared: lined up in time, each category's results\n"
                    "side by side, speeds and tracks overlaid; without FILE it asks for one. --logbook: the sessions of the logbook (VR60_DB, else the local\n"
                    "records database). R: the rule set, gp3s (the default), gpstc or vr60.\n", kUsage);
        return 0;
    }
    const bool display = std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY") || std::getenv("QT_QPA_PLATFORM");
    if (args.file.empty() && !args.logbook && !display) {   // before the window system is needed
        std::fputs(kUsage, stderr);
        return kUsageError;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vr60view"));
    QString file = QString::fromLocal8Bit(args.file.c_str());
    if (!args.logbook && file.isEmpty()) {   // started from the menu: ask for a log
        file = QFileDialog::getOpenFileName(nullptr, QStringLiteral("Open a VR60 log"), QString(),
                                            QStringLiteral("Logs (*.sbp *.sbn *.ubx *.oao *.gpy *.gpx);;VR60 logs (*.sbp);;All files (*)"));
        if (file.isEmpty())
            return 0;
    }
    QString error;
    if (args.logbook) {
        std::unique_ptr<LogbookView> logbook = OpenLogbookView(error);
        if (!logbook) {
            std::fprintf(stderr, "vr60view: %s\n", qPrintable(error));
            QMessageBox::critical(nullptr, QStringLiteral("vr60view"), error);
            return 1;
        }
        logbook->show();
        return QApplication::exec();
    }
    int status = 0;
    if (!args.more.empty()) {
        std::vector<std::string> files = {args.file};
        files.insert(files.end(), args.more.begin(), args.more.end());
        std::unique_ptr<CompareWindow> compare = OpenCompareWindow(files, error, args.rules.value_or(kDefaultRuleSet), &status);
        if (!compare) {
            std::fprintf(stderr, "vr60view: %s\n", qPrintable(error));
            QMessageBox::critical(nullptr, QStringLiteral("vr60view"), error);
            return status == kNotALog ? kNotALog : 1;
        }
        compare->show();
        return QApplication::exec();
    }
    // A name from the command line is opened as the bytes it is.
    std::unique_ptr<SessionWindow> window =
        args.file.empty() ? OpenSessionWindow(file, error, args.rules.value_or(kDefaultRuleSet), &status)
                          : OpenSessionWindow(args.file, error, args.rules.value_or(kDefaultRuleSet), &status);
    if (!window) {
        std::fprintf(stderr, "vr60view: %s\n", qPrintable(error));
        QMessageBox::critical(nullptr, QStringLiteral("vr60view"), error);
        return status == kNotALog ? kNotALog : 1;
    }
    window->show();
    return QApplication::exec();
}
