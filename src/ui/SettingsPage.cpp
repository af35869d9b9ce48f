// Page "Settings": the device settings and the identity.

#include "program/Program.h"
#include "device/SettingsOperations.h"
#include "ui/MainWindow.h"

void MainWindow::bindSettingsPage()
{
    bindRows({
        {"Button_Read_Config", [](MainWindow&, Program& p) { Button_Read_ConfigClick(p); }},
        {"Button_Set_language", [](MainWindow&, Program& p) { Button_Set_languageClick(p); }},
        {"Button_Factory_Reset", [](MainWindow&, Program& p) { Button_Factory_ResetClick(p); }},

        // Connected when the operation exists.
        {"Button_update_username_bin", nullptr},
        {"BitBtn_update_sno", nullptr},
    });
}

void MainWindow::Button_utc_offset_testClick()
{
    runHandler(nullptr, [this] { ::Button_utc_offset_testClick(p_); });
}
