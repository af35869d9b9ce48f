// The window: start to the first shown window, and a 262 144-point log shown
// in the Browse page (the view only: the file is loaded before timing).

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>

#include "logdata/LogBrowser.h"
#include "program/Program.h"
#include "ui/Dialogs.h"
#include "ui/FormBinder.h"
#include "ui/MainWindow.h"
#include "ui/WindowHost.h"
#include "ui_MainWindow.h"

namespace {

struct NoDialogs : Dialogs {
    void messageBox(QWidget*, const QString&) override {}
    bool askYesNo(QWidget*, const QString&) override { return false; }
    QString openFile(QWidget*, const FileQuestion&) override { return {}; }
    QString saveFile(QWidget*, const FileQuestion&) override { return {}; }
};

// Offscreen, with settings, port aliases and the working directory in a scratch folder.
struct WindowBench {
    QTemporaryDir dir;
    NoDialogs dialogs;
    WindowBench()
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qputenv("VR60_PORT_DIR", (dir.path() + "/ports").toUtf8());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
        static int argc = 1;
        static char name[] = "vr60bench";
        static char* argv[] = {name, nullptr};
        app = std::make_unique<QApplication>(argc, argv);
        QDir::setCurrent(dir.path());
    }
    std::unique_ptr<QApplication> app;
};

WindowBench& Bench()
{
    static WindowBench bench;
    return bench;
}

struct Session {
    WindowHost host{Bench().dialogs};
    Program program{host, [](const std::string&) { return std::unique_ptr<Transport>(); }};
    MainWindow window{program, host};
};

std::string BigLogFile()
{
    const std::string file = Bench().dir.path().toStdString() + "/big.sbp";
    std::vector<uint8_t> bytes(262144u * 32);
    for (size_t i = 0; i < 262144; ++i) {
        uint8_t* r = &bytes[i * 32];
        const uint32_t t = (14u * 12 + 12) << 22 | 7u << 17 | uint32_t(i % 60);
        const int32_t lat = int32_t(225000000 + i * 37), lon = int32_t(1140000000 - i * 53);
        r[0] = uint8_t(5 + i % 9);
        r[1] = uint8_t(4 + i % 8);
        for (int k = 0; k < 4; ++k) {
            r[4 + k] = uint8_t(t >> (8 * k));
            r[12 + k] = uint8_t(uint32_t(lat) >> (8 * k));
            r[16 + k] = uint8_t(uint32_t(lon) >> (8 * k));
        }
    }
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return file;
}

} // namespace

static void BM_WindowStartToFirstShown(benchmark::State& state)
{
    Bench();
    for (auto _ : state) {
        auto session = std::make_unique<Session>();
        session->window.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(session->window.isVisible());
        state.PauseTiming();
        session->window.hide();
        session.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_WindowStartToFirstShown)->Unit(benchmark::kMillisecond);

static void BM_BrowseShows262144Points(benchmark::State& state)
{
    Bench();
    const std::string file = BigLogFile();
    Session session;
    Ui::MainWindow& u = session.window.form();
    session.window.show();
    u.PageControl->setCurrentWidget(u.TabSheet_Browse);
    QApplication::processEvents();
    for (auto _ : state) {
        state.PauseTiming();
        Load_SBPClick(session.program, file);
        state.ResumeTiming();
        session.window.binder().gridReplaced();
        session.window.refresh();
        u.StringGrid1->viewport()->repaint();
    }
    state.counters["rows"] = double(u.StringGrid1->model()->rowCount());
}
BENCHMARK(BM_BrowseShows262144Points)->Unit(benchmark::kMillisecond);
