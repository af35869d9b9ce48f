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
#include "ui_MainWindow.h"

void MainWindow::bindUnseenControls()
{
    bindRows({
        {ui_->Button_ini_test,
         [](MainWindow&, Program& p) {
             LoadTestConfig(p);
             std::string error;
             if (SaveTestConfig(p, &error) != 0)
                 p.host.messageBox(error);
         }},
        {ui_->Button_Log_info, [](MainWindow&, Program& p) { Button_Log_infoClick(p); }},
        {ui_->Button_off_and_clear,
         [](MainWindow&, Program& p) { Button_off_and_clearClick(p, &p.form.unseen.offAndClearEnabled); }},
        {ui_->TRK_Download, [](MainWindow&, Program& p) { TRK_DownloadClick(p); }},
        {ui_->TRK_Erase, [](MainWindow&, Program& p) { TRK_EraseClick(p); }},
        {ui_->TRK_Upload, [](MainWindow&, Program& p) { TRK_UploadClick(p); }},
        {ui_->Button_TRK_TO_RMC, [](MainWindow&, Program& p) { Button_TRK_TO_RMCClick(p); }},
        {ui_->Button5, [](MainWindow&, Program& p) { Button5Click(p); }},
        {ui_->BitBtn1, [](MainWindow&, Program& p) { BitBtn1Click(p); }},
        {ui_->Button_POI_download, [](MainWindow&, Program& p) { Button_POI_downloadClick(p); }},
        {ui_->Button_POI_delete, [](MainWindow&, Program& p) { Button_POI_deleteClick(p); }},
        {ui_->Button_POI_upload, [](MainWindow&, Program& p) { Button_POI_uploadClick(p); }},
        {ui_->CheckBox_POI2, [](MainWindow&, Program& p) { CheckBox_POI2Click(p); }},
    });
}
