// The controls placed beyond the window's edge: they exist and operations use
// them, but the operator never sees them.

#include "logdata/LogAreaQuery.h"
#include "program/Program.h"
#include "device/ControlCommands.h"
#include "device/PoiSlots.h"
#include "device/TrackConversion.h"
#include "device/TrackStore.h"
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
        {"Button_off_and_clear",
         [](MainWindow&, Program& p) { Button_off_and_clearClick(p, &p.form.unseen.offAndClearEnabled); }},
        {"TRK_Download", [](MainWindow&, Program& p) { TRK_DownloadClick(p); }},
        {"TRK_Erase", [](MainWindow&, Program& p) { TRK_EraseClick(p); }},
        {"TRK_Upload", [](MainWindow&, Program& p) { TRK_UploadClick(p); }},
        {"Button_TRK_TO_RMC", [](MainWindow&, Program& p) { Button_TRK_TO_RMCClick(p); }},
        {"Button5", [](MainWindow&, Program& p) { Button5Click(p); }},
        {"BitBtn1", [](MainWindow&, Program& p) { BitBtn1Click(p); }},
        {"Button_POI_download", [](MainWindow&, Program& p) { Button_POI_downloadClick(p); }},
        {"Button_POI_delete", [](MainWindow&, Program& p) { Button_POI_deleteClick(p); }},
        {"Button_POI_upload", [](MainWindow&, Program& p) { Button_POI_uploadClick(p); }},
        {"CheckBox_POI2", [](MainWindow&, Program& p) { CheckBox_POI2Click(p); }},
    });
}
