#pragma once
// TForm1, the program's one window. Its controls come from MainWindow.ui with
// the names the operators' manuals use; each page's handlers are table rows in
// their own file (ConnectionGroup.cpp, SettingsPage.cpp, LogDataPage.cpp,
// BrowsePage.cpp, TestPage.cpp, UnseenControls.cpp, ServiceGestures.cpp).
// The records in Program are the model; FormBinder keeps the controls in step.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QTimer>
#include <QWidget>

#include "ui/Dialogs.h"

class QAbstractButton;

struct Program;
class DeviceChangeWatch;
class FormBinder;
class PointGridModel;
class WindowHost;

namespace Ui {
class MainWindow;
}

// Asked when Exit or the window's close comes during a file transfer.
inline constexpr const char* kStopTransferQuestion =
    "A transfer is running. Stop it and exit?\r\nThe file keeps what has arrived; No lets the transfer go on.";

class MainWindow : public QWidget {
    Q_OBJECT
public:
    // A control's click and what it runs (the uic member, so the compiler checks the name);
    // run == nullptr: nothing bound yet.
    struct HandlerRow {
        QAbstractButton* control;
        void (*run)(MainWindow& window, Program& program);
    };

    // FormCreate.
    MainWindow(Program& program, WindowHost& host, QWidget* parent = nullptr);
    ~MainWindow() override;

    Ui::MainWindow& form() { return *ui_; }
    Program& program() { return p_; }
    WindowHost& host() { return host_; }
    FormBinder& binder() { return *binder_; }

    // The message log, the lamp, and the exit.
    void appendLog(const std::string& text);
    void BitBtn_ExitClick(QWidget* sender);
    // Disconnect pressed while an operation runs: stops it; the disconnect follows when it has
    // ended. False when nothing runs (the click disconnects at once).
    bool DisconnectAfterStop();
    // True once the program is leaving: the exit steps ran, or are waiting for an operation to stop.
    bool ending() const { return exitRequested_ || exitDone_; }
    bool exitDone() const { return exitDone_; }

    // Runs an operation as the handler of sender: the sender is disabled meanwhile
    // (unless an operation decides its state), the controls refreshed afterwards.
    void runHandler(QWidget* sender, const std::function<void()>& operation);
    // Copies the records to the controls.
    void refresh();

    void Timer1Timer();
    QTimer& timer1() { return timer1_; }

    // The file dialogs of the browser and the grid save; empty when cancelled.
    std::string askOpenSbpFile();
    std::string askSaveCsvFile();
    // The open dialog leaves the working directory at the chosen file's folder.
    void enterFolderOf(const std::string& file);

    // The service gestures.
    void Image2DblClick();
    void Common_CommandDblClick();
    void Memo_MPDblClick();
    void FormKeyDown(int key);

    // Handlers that no control invokes.
    void Button_scan_portClick();
    void Button_utc_offset_testClick();
    void Button_QuickClearClick();
    void Button_Clear_LogClick();
    void GridSaveToFileClick();

    // The flags of the gestures, as they stand.
    struct ServiceFlags {
        bool extraFunctions = false;
        bool commonCommands = false;
    };
    const ServiceFlags& serviceFlags() const { return flags_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormShow();
    void applyStartUpLayout();
    void bindRows(const std::vector<HandlerRow>& rows);
    void bindConnectionGroup();
    void bindSettingsPage();
    void bindLogDataPage();
    void bindBrowsePage();
    void bindTestPage();
    void bindUnseenControls();
    void bindServiceGestures();
    void runExitSteps(QWidget* sender);
    void runStoppedDisconnect();
    void loadPictures();

    Program& p_;
    WindowHost& host_;
    std::unique_ptr<Ui::MainWindow> ui_;
    std::unique_ptr<PointGridModel> gridModel_;
    std::unique_ptr<FormBinder> binder_;
    std::unique_ptr<DeviceChangeWatch> deviceWatch_;
    QTimer timer1_;
    ServiceFlags flags_;
    std::string startFolder_;
    bool shownOnce_ = false;
    bool exitRequested_ = false;   // Exit or close while an operation runs: stop it, then leave
    bool disconnectRequested_ = false;   // Disconnect while an operation runs: stop it, then disconnect
    bool exitDone_ = false;
    int handlerDepth_ = 0;
};
