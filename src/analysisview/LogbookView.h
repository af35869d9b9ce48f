#pragma once
// The logbook window of vr60view: every session with its results, the
// personal best of each category in bold, one category's results over time,
// a double-click that opens the session's own window, and the removal of a
// session (after a question) from the database it came from.

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <QString>
#include <QWidget>

#include "storage/DatabaseUrl.h"
#include "storage/Logbook.h"

class QComboBox;
class QPushButton;
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

    // Where removals go; without it the sessions can only be looked at.
    void setDatabase(const DatabaseTarget& target);
    // Asks a Yes/No question; by default a message box.
    void setAsk(std::function<bool(const QString& question)> ask) { ask_ = std::move(ask); }
    QPushButton* removeButton() const { return remove_; }
    // Asks, then removes the session of a row from the database and the view; false when
    // it was not removed (answered No, or the database refused, which a box then says).
    bool removeSession(int row);
    const std::vector<SessionEntry>& sessions() const { return sessions_; }

private:
    void fillTable();
    void updateRemoveButton();

    std::vector<SessionEntry> sessions_;
    QTableWidget* table_;
    QComboBox* category_;
    LogbookChart* chart_;
    QPushButton* remove_;
    std::optional<DatabaseTarget> database_;
    std::function<bool(const QString&)> ask_;
    std::vector<std::unique_ptr<SessionWindow>> opened_;
};

// The logbook of the configured database (VR60_DB, else the default); null
// with `error` set when it cannot be read.
std::unique_ptr<LogbookView> OpenLogbookView(QString& error);

// Column of a category in the table.
int LogbookColumn(Category category);
