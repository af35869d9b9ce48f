// vr60view FILE.sbp: the session window for one downloaded log.

#include <cstdio>
#include <cstring>

#include <QApplication>
#include <QMessageBox>

#include "analysisview/LogbookView.h"
#include "analysisview/SessionWindow.h"

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::printf("usage: vr60view FILE.sbp | --logbook\n\nShows the best speeds of a log, its speed over time and its track;\n"
                    "--logbook: the sessions of the logbook (VR60_DB, else the local records database).\n");
        return 0;
    }
    if (argc < 2) {   // before the window system is needed
        std::fprintf(stderr, "usage: vr60view FILE.sbp\n");
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vr60view"));
    const QStringList args = QApplication::arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: vr60view FILE.sbp\n");
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
    std::unique_ptr<SessionWindow> window = OpenSessionWindow(args[1], error);
    if (!window) {
        std::fprintf(stderr, "vr60view: %s\n", qPrintable(error));
        QMessageBox::critical(nullptr, QStringLiteral("vr60view"), error);
        return 1;
    }
    window->show();
    return QApplication::exec();
}
