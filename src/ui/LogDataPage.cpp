// Page "Log Data": download, clear, convert, the file selection and the top-10 tables.

#include "program/Program.h"
#include "device/TopSpeeds.h"
#include "logdata/LogBrowser.h"
#include "logdata/LogClear.h"
#include "logdata/LogDownload.h"
#include "logdata/LogConvert.h"
#include "ui/FormBinder.h"
#include "ui/MainWindow.h"
#include "ui_MainWindow.h"

void MainWindow::bindLogDataPage()
{
    bindRows({
        {ui_->Button_downloadlog, [](MainWindow&, Program& p) { Button_downloadlogClick(p); }},
        {ui_->Button_clearlog, [](MainWindow&, Program& p) { Button_clearlogClick(p, &p.form.logData.clearLogEnabled); }},
        {ui_->BitBtn_offline_convert, [](MainWindow&, Program& p) { BitBtn_offline_convertClick(p); }},
        {ui_->Button_Browse,
         [](MainWindow& w, Program& p) {
             const std::string chosen = w.askOpenSbpFile();
             w.enterFolderOf(chosen);
             Button_BrowseClick(p, chosen);
         }},
        {ui_->Button_TOP10_Read, [](MainWindow&, Program& p) { Button_TOP10_ReadClick(p); }},
        {ui_->Button_TOP10_Clear, [](MainWindow&, Program& p) { Button_TOP10_ClearClick(p); }},
    });
}

void MainWindow::Button_QuickClearClick()
{
    runHandler(nullptr, [this] { ::Button_QuickClearClick(p_); });
}

void MainWindow::Button_Clear_LogClick()
{
    runHandler(nullptr, [this] { ::Button_Clear_LogClick(p_); });
}
