// "Connection" and "Common Commands": connect/disconnect, exit, the port list.

#include "connection/ConnectionSequence.h"
#include "connection/PortHotPlug.h"
#include "device/ControlCommands.h"
#include "program/Program.h"
#include "ui/MainWindow.h"
#include "ui_MainWindow.h"

void MainWindow::bindConnectionGroup()
{
    bindRows({
        {ui_->BitBtn_connect,
         [](MainWindow& w, Program& p) {
             if (w.DisconnectAfterStop())
                 return;
             BitBtn_connectClick(p);
             if (p.connected == 0) {
                 w.refresh();
                 w.form().BitBtn_connect->setFocus();
             }
         }},
        {ui_->BitBtn_Exit, [](MainWindow& w, Program&) { w.BitBtn_ExitClick(w.form().BitBtn_Exit); }},
        {ui_->Button_debug, [](MainWindow&, Program& p) { Button_debugClick(p); }},
        {ui_->Button_Power_Off,
         [](MainWindow&, Program& p) { Button_Power_OffClick(p, &p.form.connection.powerOffEnabled); }},
    });
    connect(ui_->ComboBox_COM, &PortComboBox::aboutToShowPopup, this,
            [this] { runHandler(nullptr, [this] { ComboBox_COMDropDown(p_); }); });
}
