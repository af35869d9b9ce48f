#include "ui/MainWindow.h"
#include "prodtest/TestItemGroups.h"

#include <filesystem>

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QScreen>

#include "connection/ConnectionSequence.h"
#include "connection/PortHotPlug.h"
#include "logdata/LogBrowser.h"
#include "platform/DeviceChangeWatch.h"
#include "program/Program.h"
#include "shell/AppShell.h"
#include "ui/FormBinder.h"
#include "ui/JpegImage.h"
#include "ui/PointGridModel.h"
#include "ui/WindowHost.h"
#include "ui_MainWindow.h"

static void InitUiResources()
{
    Q_INIT_RESOURCE(vr60ui);
}

MainWindow::MainWindow(Program& program, WindowHost& host, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      p_(program), host_(host), ui_(std::make_unique<Ui::MainWindow>())
{
    InitUiResources();
    ui_->setupUi(this);
    setFixedSize(650, 579);
    host_.attach(this);
    startFolder_ = QDir::currentPath().toStdString();
    loadPictures();

    gridModel_ = std::make_unique<PointGridModel>(p_.grid, this);
    ui_->StringGrid1->setModel(gridModel_.get());
    // Row 0 of the grid is its own header row; the view's header only sizes the columns.
    ui_->StringGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    ui_->StringGrid1->verticalHeader()->hide();
    ui_->StringGrid1->verticalHeader()->setDefaultSectionSize(20);
    ui_->StringGrid1->setWordWrap(false);
    binder_ = std::make_unique<FormBinder>(*ui_, p_, *gridModel_);

    // FormCreate, in its order.
    deviceWatch_ = std::make_unique<DeviceChangeWatch>(this);
#ifdef _WIN32
    void* nativeWindow = reinterpret_cast<void*>(winId());
#else
    void* nativeWindow = nullptr;
#endif
    if (!deviceWatch_->start([this] { RequestPortRescan(p_); }, nativeWindow))
        ReportDeviceNotificationFailure(p_);
    StartUpRecords(p_);
    QPalette grey = ui_->MaskEdit_sno->palette();
    grey.setColor(QPalette::Text, palette().color(QPalette::Disabled, QPalette::Text));
    ui_->MaskEdit_sno->setPalette(grey);
    applyStartUpLayout();

    bindConnectionGroup();
    bindSettingsPage();
    bindLogDataPage();
    bindBrowsePage();
    bindTestPage();
    bindUnseenControls();
    bindServiceGestures();

    connect(&timer1_, &QTimer::timeout, this, [this] { runHandler(nullptr, [this] { Timer1Timer(); }); });
    timer1_.start(1000);
    refresh();
}

MainWindow::~MainWindow()
{
    host_.attach(nullptr);
}

void MainWindow::loadPictures()
{
    QFile logo(QStringLiteral(":/images/logo.jpg"));
    QString error = QStringLiteral("cannot read the picture");
    const QImage image = logo.open(QIODevice::ReadOnly) ? DecodeJpeg(logo.readAll(), &error) : QImage();
    if (image.isNull())
        appendLog("The logo cannot be shown: " + error.toStdString());
    else
        ui_->Image2->setPixmap(QPixmap::fromImage(image));
    ui_->ImageGRAY->setPixmap(QPixmap(QStringLiteral(":/images/lamp_gray.bmp")));
    ui_->ImageGREEN->setPixmap(QPixmap(QStringLiteral(":/images/lamp_green.bmp")));
    ui_->ImageRED->setPixmap(QPixmap(QStringLiteral(":/images/lamp_red.bmp")));
    ui_->ImageYELLOWx->setPixmap(QPixmap(QStringLiteral(":/images/lamp_yellow.bmp")));
}

void MainWindow::applyStartUpLayout()
{
    Ui::MainWindow& u = *ui_;
    u.Panel_TRK->setVisible(true);
    u.BitBtn_update_sno->setVisible(false);
    u.CheckBox_SNO_AUTO_INCREASE->setVisible(false);
    u.MaskEdit_sno->setVisible(false);
    u.Edit_ver_match->setVisible(false);
    u.Label2_ver->move(u.Label2_ver->x(), u.Edit_ver_match->y());
    u.CheckBox_auto_log_clear->setVisible(false);
    u.CheckBox_auto_poweroff->setVisible(false);
    u.Button_Power_Off->setVisible(true);
    u.Button_clearlog->setVisible(true);
    u.CheckBox_VER->setVisible(false);
    u.Load_SBP->setVisible(false);
}

void MainWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        FormShow();
    }
}

void MainWindow::FormShow()
{
    Ui::MainWindow& u = *ui_;
    // TESTFUNCTION was reduced modulo 10 with the configuration's start-up.
    QTabWidget* pages = u.PageControl;
    for (QWidget* page : {u.TabSheet_sno, u.TabSheet_logdata, u.TabSheet_Browse})
        pages->setTabVisible(pages->indexOf(page), true);
    pages->setCurrentWidget(u.TabSheet_sno);
    pages->setTabVisible(pages->indexOf(u.TabBIT), false);
    p_.TitlePrefix = "VR60 UTIL ";
    p_.form.connection.windowCaption = p_.TitlePrefix + kProgramVersion;
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    refresh();
    u.BitBtn_connect->setFocus();
}

void MainWindow::refresh()
{
    binder_->push();
}

void MainWindow::appendLog(const std::string& text)
{
    ui_->Memo_MP->appendPlainText(QString::fromStdString(text));
    // Lines must show while an operation waits without pumping.
    if (ui_->Memo_MP->isVisible())
        ui_->Memo_MP->viewport()->repaint();
}

void MainWindow::runHandler(QWidget* sender, const std::function<void()>& operation)
{
    const bool ownsSender = sender && sender->isEnabled() && !binder_->enabledIsBound(sender);
    if (ownsSender)
        sender->setEnabled(false);
    ++handlerDepth_;
    operation();
    --handlerDepth_;
    if (ownsSender)
        sender->setEnabled(true);
    refresh();
    // An exit or disconnect asked for while an operation ran: that operation has now stopped.
    if (handlerDepth_ == 0 && p_.link.busyDepth == 0) {
        if (exitRequested_ && !exitDone_)
            runExitSteps(ui_->BitBtn_Exit);
        else if (disconnectRequested_)
            runStoppedDisconnect();
    }
}

bool MainWindow::DisconnectAfterStop()
{
    if (p_.link.busyDepth == 0 || p_.connected != 1)
        return false;
    if (!disconnectRequested_) {
        disconnectRequested_ = true;
        p_.link.stopRequested = true;
        appendLog("Stopping the running operation; the device is disconnected when it has stopped.");
    }
    return true;
}

void MainWindow::runStoppedDisconnect()
{
    disconnectRequested_ = false;
    ++handlerDepth_;
    if (p_.connected == 1)
        BitBtn_connectClick(p_);
    --handlerDepth_;
    // The stop was for the operation that ran; the next one starts afresh.
    p_.link.stopRequested = false;
    refresh();
}

void MainWindow::bindRows(const std::vector<HandlerRow>& rows)
{
    for (const HandlerRow& row : rows) {
        QAbstractButton* control = row.control;
        if (!control || !row.run)
            continue;
        auto run = row.run;
        connect(control, &QAbstractButton::clicked, this,
                [this, control, run] { runHandler(control, [this, run] { run(*this, p_); }); });
    }
}

void MainWindow::BitBtn_ExitClick(QWidget* sender)
{
    if (exitDone_)
        return;
    if (p_.link.busyDepth > 0) {
        // Called from inside a running operation's wait: stop it; the exit follows when it has ended.
        if (!exitRequested_) {
            // A transfer is stopped only when the operator says so; No lets it go on.
            if (p_.link.transferRunning &&
                !host_.dialogs().askYesNo(this, QString::fromUtf8(kStopTransferQuestion)))
                return;
            exitRequested_ = true;
            p_.link.stopRequested = true;
            appendLog("Stopping the running operation; the program ends when it has stopped.");
        }
        return;
    }
    runExitSteps(sender);
}

void MainWindow::runExitSteps(QWidget* sender)
{
    const bool disableSender = sender && sender != this;
    if (disableSender)
        sender->setEnabled(false);
    // The browser's dialogs moved the working directory; "VR60Test.ini" belongs where the program started.
    QDir::setCurrent(QString::fromStdString(startFolder_));
    ExitSteps(p_);
    exitDone_ = true;
    timer1_.stop();
    refresh();
    if (disableSender)
        sender->setEnabled(true);
    if (sender != this)
        close();
    QCoreApplication::quit();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!exitDone_)
        BitBtn_ExitClick(this);
    // While an operation stops, the window stays until the exit steps have run.
    if (exitDone_)
        event->accept();
    else
        event->ignore();
}

void MainWindow::keyPressEvent(QKeyEvent* event)
{
    QWidget* focus = focusWidget();
    if (!focus || focus == this)
        FormKeyDown(event->key() == Qt::Key_F1 ? 112 : 0);
    QWidget::keyPressEvent(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    const Ui::MainWindow& u = *ui_;
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (watched == u.Image2) {
            runHandler(nullptr, [this] { Image2DblClick(); });
            return true;
        }
        if (watched == u.Common_Command) {
            runHandler(nullptr, [this] { Common_CommandDblClick(); });
            return true;
        }
        if (watched == u.Memo_MP->viewport()) {
            runHandler(nullptr, [this] { Memo_MPDblClick(); });
            return true;
        }
    }
    if (event->type() == QEvent::MouseButtonRelease) {
        if (watched == u.Label_PCBA_Test) {
            runHandler(nullptr, [this] { ::Label_PCBA_TestClick(p_); });
            return true;
        }
        if (watched == u.Label_VIS_TEST) {
            runHandler(nullptr, [this] { ::Label_VIS_TESTClick(p_); });
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::Timer1Timer()
{
    ::Timer1Timer(p_);
}

std::string MainWindow::askOpenSbpFile()
{
    const FileQuestion question{QString(), QLatin1String(kSbpDialogFilter), QLatin1String(kSbpDialogDefaultExt),
                                QLatin1String(kSbpDialogFileName)};
    return host_.dialogs().openFile(this, question).toStdString();
}

std::string MainWindow::askSaveCsvFile()
{
    const FileQuestion question{QString(), QStringLiteral("*.csv"), QStringLiteral("CSV"), QString()};
    return host_.dialogs().saveFile(this, question).toStdString();
}

void MainWindow::enterFolderOf(const std::string& file)
{
    if (!file.empty())
        QDir::setCurrent(QFileInfo(QString::fromStdString(file)).absolutePath());
}
