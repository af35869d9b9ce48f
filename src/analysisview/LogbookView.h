#pragma once
// The logbook window of vr60view: every session with its results, the
// personal best of each category in bold, one category's results over time,
// and a double-click that opens the session's own window.

#include <memory>
#include <vector>

#include <QString>
#include <QWidget>

#include "storage/Logbook.h"

class QComboBox;
class QTableWidget;
class LogbookChart;
class SessionWindow;

class LogbookView : public QWidget {
    Q_OBJECT
public:
    // Sessions newest first, as ListSessions gives them.
    explicit LogbookView(std::vector<SessionEntry> sessions, const QString& source = {}, QWidget* parent = nullptr);
    ~LogbookView() override;

    QTableWidget* table() const { return table_; }
    LogbookChart* chart() const { return chart_; }
    void showCategory(Category category);
    // The session of a row in its own window; false with a message box when it cannot be read.
    bool openSession(int row);
    const std::vector<std::unique_ptr<SessionWindow>>& openedWindows() const { return opened_; }

private:
    void fillTable();

    std::vector<SessionEntry> sessions_;
    QTableWidget* table_;
    QComboBox* category_;
    LogbookChart* chart_;
    std::vector<std::unique_ptr<SessionWindow>> opened_;
};

// The logbook of the configured database (VR60_DB, else the default); null
// with `error` set when it cannot be read.
std::unique_ptr<LogbookView> OpenLogbookView(QString& error);

// Column of a category in the table.
int LogbookColumn(Category category);
