// Page "Test": the self test and the service commands the logo reveals.

#include "device/ControlCommands.h"
#include "device/TrackStore.h"
#include "program/Program.h"
#include "prodtest/TestRun.h"
#include "ui/MainWindow.h"
#include "ui_MainWindow.h"

void MainWindow::bindTestPage()
{
    bindRows({
        {ui_->BitBtn_Test, [](MainWindow&, Program& p) { BitBtn_TestClick(p); }},
        {ui_->Button_Reboot, [](MainWindow&, Program& p) { Button_RebootClick(p); }},
        {ui_->Button_VCON_ON, [](MainWindow&, Program& p) { Button_VCON_ONClick(p); }},
        {ui_->Button_GPSVCOM_OFF, [](MainWindow&, Program& p) { Button_GPSVCOM_OFFClick(p); }},
        {ui_->Button_GPS_ColdStart, [](MainWindow&, Program& p) { Button_GPS_ColdStartClick(p); }},
        {ui_->Button_GPSPWRON, [](MainWindow&, Program& p) { Button_GPSPWRONClick(p); }},
        {ui_->Button_GPSPWROFF, [](MainWindow&, Program& p) { Button_GPSPWROFFClick(p); }},
        {ui_->Button1, [](MainWindow&, Program& p) { TRK_EraseClick(p); }},
    });
}
