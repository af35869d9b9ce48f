// vr60view FILE.sbp: the session window for one downloaded log.

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

#include "analysisview/SessionWindow.h"

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::printf("usage: vr60view [FILE.sbp]\n\nShows the best speeds of a log, its speed over time and its track.\n"
                    "Without FILE it asks for one.\n");
        return 0;
    }
    const bool display = std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY") || std::getenv("QT_QPA_PLATFORM");
    if (argc < 2 && !display) {   // before the window system is needed
        std::fprintf(stderr, "usage: vr60view FILE.sbp\n");
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
