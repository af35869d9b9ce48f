// vr60view FILE.sbp: the session window for one downloaded log.

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

#include "analysisview/LogbookView.h"
#include "analysisview/SessionWindow.h"

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::printf("usage: vr60view [FILE.sbp [--rules R] | --logbook]\n\nShows the best speeds of a log, its speed over time and its track;\n"
                    "without FILE it asks for one. --logbook: the sessions of the logbook (VR60_DB, else the local\n"
                    "records database). R: the rule set, gp3s (the default), gpstc or vr60.\n");
        return 0;
    }
    const bool display = std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY") || std::getenv("QT_QPA_PLATFORM");
    if (argc < 2 && !display) {   // before the window system is needed
        std::fprintf(stderr, "usage: vr60view [FILE.sbp | --logbook]\n");
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vr60view"));
    QStringList args = QApplication::arguments();
    if (args.size() == 1) {   // started from the menu: ask for a log
        const QString file = QFileDialog::getOpenFileName(nullptr, QStringLiteral("Open a VR60 log"), QString(),
                                                          QStringLiteral("VR60 logs (*.sbp);;All files (*)"));
        if (file.isEmpty())
            return 0;
        args << file;
    }
    // --rules R after the file, a small local option until the view has a parser of its own.
    RuleSet rules = kDefaultRuleSet;
    if (args.size() == 4 && args[2] == QStringLiteral("--rules")) {
        const std::optional<RuleSet> named = RuleSetNamed(args[3].toStdString());
        if (!named) {
            std::fprintf(stderr, "vr60view: '%s' is not a rule set (%s)\n", qPrintable(args[3]), RuleSetNames());
            return 2;
        }
        rules = *named;
        args.resize(2);
    }
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: vr60view [FILE.sbp [--rules R] | --logbook]\n");
        return 2;
    }
    QString error;
    if (args[1] == QStringLiteral("--logbook")) {
        std::unique_ptr<LogbookView> logbook = OpenLogbookView(error);
        if (!logbook) {
            std::fprintf(stderr, "vr60view: %s\n", qPrintable(error));
            QMessageBox::critical(nullptr, QStringLiteral("vr60view"), error);
            return 1;
        }
        logbook->show();
        return QApplication::exec();
    }
    std::unique_ptr<SessionWindow> window = OpenSessionWindow(args[1], error, rules);
    if (!window) {
        std::fprintf(stderr, "vr60view: %s\n", qPrintable(error));
        QMessageBox::critical(nullptr, QStringLiteral("vr60view"), error);
        return 1;
    }
    window->show();
    return QApplication::exec();
}
