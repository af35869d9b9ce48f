#pragma once
// The session window: the results table, the speed chart and the track.
// Choosing a result marks its run (the five runs of 5 x 10 s) on both.

#include <memory>
#include <optional>
#include <string>

#include <QString>
#include <QWidget>

#include "analysis/SessionAnalysis.h"

class QLabel;
class QPushButton;
class QTableWidget;
class SpeedChart;
class TrackPlot;

class SessionWindow : public QWidget {
    Q_OBJECT
public:
    explicit SessionWindow(SessionAnalysis analysis, const QString& title = {}, QWidget* parent = nullptr);

    const SessionAnalysis& analysis() const { return analysis_; }
    void selectCategory(Category category);
    std::optional<Category> selectedCategory() const;

    QTableWidget* resultsTable() const { return table_; }
    SpeedChart* chart() const { return chart_; }
    TrackPlot* trackPlot() const { return track_; }
    QLabel* summary() const { return summary_; }
    QPushButton* postButton() const { return post_; }

    // The ranking site's form filled in from this session (PostPage.h) written
    // to `page`; false with a sentence in `error`. "Post…" writes it to a
    // temporary file and opens that in the browser.
    bool writePostPage(const QString& page, QString& error) const;

private:
    void fillTable();
    void showRow(int row);
    void post();

    SessionAnalysis analysis_;
    QTableWidget* table_;
    QLabel* summary_;
    SpeedChart* chart_;
    TrackPlot* track_;
    QPushButton* post_;
};

// Time moving as the summary reads it: "42.5 min", from an hour on "116 h 27 min".
QString MovingTimeText(double seconds);

// Reads and analyses an .sbp file and builds its window; on failure returns
// null and sets `error` to a sentence for the user. `status`: the file's
// ResultCode (kNotALog for a file that is not a log).
std::unique_ptr<SessionWindow> OpenSessionWindow(const QString& file, QString& error, RuleSet rules = kDefaultRuleSet,
                                                 int* status = nullptr);
// The same for a name as the system gives it (bytes that need not be UTF-8).
std::unique_ptr<SessionWindow> OpenSessionWindow(const std::string& file, QString& error,
                                                 RuleSet rules = kDefaultRuleSet, int* status = nullptr);
