// Page "Browse": the point grid and its map link, the file load and the grid save.

#include <QTableView>

#include "program/Program.h"
#include "logdata/LogBrowser.h"
#include "logdata/GridCsv.h"
#include "ui/FormBinder.h"
#include "ui/MainWindow.h"
#include "ui_MainWindow.h"

void MainWindow::bindBrowsePage()
{
    QTableView* grid = ui_->StringGrid1;
    connect(grid->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& current) {
        if (current.isValid())
            runHandler(nullptr, [this, current] { StringGrid1SelectCell(p_, current.column(), size_t(current.row())); });
    });
    connect(grid, &QTableView::doubleClicked, this, [this] { runHandler(nullptr, [this] { StringGrid1DblClick(p_); }); });

    bindRows({
        {ui_->Load_SBP,
         [](MainWindow& w, Program& p) {
             const std::string chosen = w.askOpenSbpFile();
             w.enterFolderOf(chosen);
             Load_SBPClick(p, chosen);
             // A file of the same size as the last one keeps the row count: redraw all the same.
             w.binder().gridReplaced();
         }},
    });
}

void MainWindow::GridSaveToFileClick()
{
    runHandler(nullptr, [this] {
        if (GridSaveAllowed(p_))
            ::GridSaveToFileClick(p_, askSaveCsvFile());
    });
}
