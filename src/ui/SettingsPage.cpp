// Page "Settings": the device settings and the identity.

#include "connection/SettingsRead.h"
#include "program/Program.h"
#include "device/IdentityWrites.h"
#include "device/SettingsOperations.h"
#include "ui/MainWindow.h"
#include "ui_MainWindow.h"

void MainWindow::bindSettingsPage()
{
    bindRows({
        {ui_->Button_Read_Config, [](MainWindow&, Program& p) { Button_Read_ConfigClick(p); }},
        {ui_->Button_Set_language, [](MainWindow&, Program& p) { Button_Set_languageClick(p); }},
        {ui_->Button_Factory_Reset, [](MainWindow&, Program& p) { Button_Factory_ResetClick(p); }},
        {ui_->Button_update_username_bin, [](MainWindow&, Program& p) { Button_update_username_binClick(p); }},
        {ui_->BitBtn_update_sno, [](MainWindow&, Program& p) { BitBtn_update_snoClick(p); }},
    });
}

void MainWindow::Button_utc_offset_testClick()
{
    runHandler(nullptr, [this] { ::Button_utc_offset_testClick(p_); });
}
