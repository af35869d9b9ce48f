// vr60view FILE.sbp: the session window for one downloaded log.

#include <cstdio>
#include <cstring>

#include <QApplication>
#include <QMessageBox>

#include "analysisview/SessionWindow.h"

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::printf("usage: vr60view FILE.sbp\n\nShows the best speeds of a log, its speed over time and its track.\n");
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
    std::unique_ptr<SessionWindow> window = OpenSessionWindow(args[1], error);
    if (!window) {
        std::fprintf(stderr, "vr60view: %s\n", qPrintable(error));
        QMessageBox::critical(nullptr, QStringLiteral("vr60view"), error);
        return 1;
    }
    window->show();
    return QApplication::exec();
}
