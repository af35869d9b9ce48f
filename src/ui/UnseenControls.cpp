// The controls placed beyond the window's edge: they exist and operations use
// them, but the operator never sees them.

#include "program/Program.h"
#include "device/TopSpeeds.h"
#include "prodtest/TestConfig.h"
#include "ui/MainWindow.h"

void MainWindow::bindUnseenControls()
{
    bindRows({
        {"Button_ini_test",
         [](MainWindow&, Program& p) {
             LoadTestConfig(p);
             std::string error;
             if (SaveTestConfig(p, &error) != 0)
                 p.host.messageBox(error);
         }},
        {"Button_Log_info", [](MainWindow&, Program& p) { Button_Log_infoClick(p); }},

        // Connected when the operation exists.
        {"Button_off_and_clear", nullptr},
        {"TRK_Download", nullptr},
        {"TRK_Erase", nullptr},
        {"TRK_Upload", nullptr},
        {"Button_TRK_TO_RMC", nullptr},
        {"Button5", nullptr},
        {"BitBtn1", nullptr},
        {"Button_POI_download", nullptr},
        {"Button_POI_delete", nullptr},
        {"Button_POI_upload", nullptr},
    });
}
