// Gestures that reveal service controls or select test items, and the
// handlers no control invokes. No flag is remembered between runs.

#include <QApplication>

#include "connection/PortHotPlug.h"
#include "program/Program.h"
#include "ui/MainWindow.h"
#include "ui/WindowHost.h"
#include "ui_MainWindow.h"

namespace {

const QColor kServiceGreen(0, 128, 0);

} // namespace

void MainWindow::bindServiceGestures()
{
    for (QObject* watched : std::initializer_list<QObject*>{ui_->Image2, ui_->Common_Command, ui_->Memo_MP->viewport(),
                                                            ui_->Label_PCBA_Test, ui_->Label_VIS_TEST})
        watched->installEventFilter(this);
}

void MainWindow::Image2DblClick()
{
    flags_.extraFunctions = !flags_.extraFunctions;
    const bool on = flags_.extraFunctions;
    if (TestItemBox* ttff = p_.form.test.find("CheckBox_TTFF"))
        ttff->visible = on;   // stays disabled
    for (QWidget* control : {static_cast<QWidget*>(ui_->Button_VCON_ON), static_cast<QWidget*>(ui_->Button_GPSVCOM_OFF),
                             static_cast<QWidget*>(ui_->Button_GPSPWROFF), static_cast<QWidget*>(ui_->Button_GPSPWRON),
                             static_cast<QWidget*>(ui_->Button_GPS_ColdStart), static_cast<QWidget*>(ui_->Button_Reboot)})
        control->setVisible(on);
}

void MainWindow::Common_CommandDblClick()
{
    flags_.commonCommands = !flags_.commonCommands;
    ui_->Button_Power_Off->setVisible(flags_.commonCommands);
    ui_->Button_clearlog->setVisible(flags_.commonCommands);
}

void MainWindow::Memo_MPDblClick()
{
    ui_->Memo_MP->clear();
}

void MainWindow::FormKeyDown(int key)
{
    if (key != 112)
        return;
    QPalette colours = palette();
    const bool green = colours.color(QPalette::Window) == kServiceGreen;
    colours.setColor(QPalette::Window, green ? QApplication::palette().color(QPalette::Button) : kServiceGreen);
    setPalette(colours);
    setAutoFillBackground(true);
}

void MainWindow::Button_scan_portClick()
{
    RequestPortRescan(p_);
}
