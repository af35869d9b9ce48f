#pragma once
// The real window on an in-process simulated device, offscreen, in a scratch
// home and working directory (settings file, "VR60Test.ini", port aliases).
// Boxes, questions and file dialogs are answered by RecordingDialogs; time
// runs on a virtual clock, so waits and sleeps cost no real time.

#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <stdlib.h>

#include "support/Files.h"
#include "support/WorkingFolder.h"
#include "program/Program.h"
#include "sim/SimDevice.h"
#include "sim/SimTransport.h"
#include "ui/Dialogs.h"
#include "ui/MainWindow.h"
#include "ui/WindowHost.h"
#include "ui_MainWindow.h"

inline QApplication& TestApplication()
{
    static QApplication* app = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "vr60tests";
        static char* argv[] = {name, nullptr};
        return new QApplication(argc, argv);
    }();
    return *app;
}

struct RecordingDialogs : Dialogs {
    std::vector<std::string> boxes;
    std::vector<std::string> questions;
    std::deque<bool> answers;
    std::deque<std::string> files;   // answers of the file dialogs ("" = cancel)

    void messageBox(QWidget*, const QString& text) override { boxes.push_back(text.toStdString()); }
    bool askYesNo(QWidget*, const QString& text) override
    {
        questions.push_back(text.toStdString());
        const bool a = !answers.empty() && answers.front();
        if (!answers.empty())
            answers.pop_front();
        return a;
    }
    QString openFile(QWidget*, const FileQuestion&) override { return next(); }
    QString saveFile(QWidget*, const FileQuestion&) override { return next(); }
    QString next()
    {
        if (files.empty())
            return {};
        const std::string f = files.front();
        files.pop_front();
        return QString::fromStdString(f);
    }
};

// Virtual time; every pump also runs onPump (a test's click in the middle of a wait).
class TestWindowHost : public WindowHost {
public:
    using WindowHost::WindowHost;
    void sleepMs(int ms) override { nowMicros += int64_t(ms) * 1000; }
    int64_t clockMicros() override { return nowMicros += 250; }
    void pumpMessages() override
    {
        WindowHost::pumpMessages();
        if (onPump)
            onPump();
    }
    int64_t nowMicros = 0;
    std::function<void()> onPump;
};

// HOME, XDG_CONFIG_HOME, the settings path, the alias folder and the working directory in one scratch folder.
struct ScratchHome {
    ScratchDir scratch;
    std::filesystem::path root = scratch.path;
    std::optional<WorkingFolder> workingFolder;
    ScratchHome()
    {
        std::filesystem::create_directories(root / "config");
        std::filesystem::create_directories(root / "ports");
        std::filesystem::create_directories(root / "work");
        setenv("HOME", root.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
        setenv("VR60_PORT_DIR", (root / "ports").c_str(), 1);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString((root / "config").string()));
        workingFolder.emplace(root / "work");
    }
    std::filesystem::path settingsFile() const { return root / "config" / "TRAXELO" / "VR40LINK.conf"; }
    std::filesystem::path work(const std::string& name) const { return root / "work" / name; }
    void alias(int number, const std::string& target = "/dev/null") const
    {
        std::filesystem::create_symlink(target, root / "ports" / ("COM" + std::to_string(number)));
    }
    void removeAlias(int number) const { std::filesystem::remove(root / "ports" / ("COM" + std::to_string(number))); }
};

inline std::string ReadText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

struct WindowRig {
    ScratchHome home;
    RecordingDialogs dialogs;
    TestWindowHost host{dialogs};
    SimDevice device;
    std::unique_ptr<Program> program;
    std::unique_ptr<MainWindow> window;

    // Settings or files the start-up reads are put in place by prepare before the window is created.
    explicit WindowRig(const std::function<void(ScratchHome&)>& prepare = {})
    {
        TestApplication();
        if (prepare)
            prepare(home);
        program = std::make_unique<Program>(host, [this](const std::string&) -> std::unique_ptr<Transport> {
            return std::make_unique<SimTransport>(device, [this] { return host.nowMicros; });
        });
        window = std::make_unique<MainWindow>(*program, host);
        window->timer1().stop();   // ticks are run by the tests
    }
    ~WindowRig()
    {
        window.reset();
        program.reset();
    }

    Ui::MainWindow& ui() { return window->form(); }
    Program& p() { return *program; }
    std::string log() { return ui().Memo_MP->toPlainText().toStdString(); }
    void show()
    {
        window->show();
        QApplication::processEvents();
    }
    void choosePort(int number)
    {
        p().form.connection.comPortText = "COM" + std::to_string(number);
        window->refresh();
    }
    void connect()
    {
        choosePort(7);
        ui().BitBtn_connect->click();
    }
};
