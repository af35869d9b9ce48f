// Page "Test": the self test and the service commands the logo reveals.

#include "program/Program.h"
#include "prodtest/TestRun.h"
#include "ui/MainWindow.h"

void MainWindow::bindTestPage()
{
    bindRows({
        {"BitBtn_Test", [](MainWindow&, Program& p) { BitBtn_TestClick(p); }},
        // Connected when the operation exists.
        {"Button_Reboot", nullptr},
        {"Button_VCON_ON", nullptr},
        {"Button_GPSVCOM_OFF", nullptr},
        {"Button_GPS_ColdStart", nullptr},
        {"Button_GPSPWRON", nullptr},
        {"Button_GPSPWROFF", nullptr},
        {"Button1", nullptr},
    });
}
