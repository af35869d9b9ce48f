#include "analysisview/SessionWindow.h"

#include <cmath>

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "analysis/PostPage.h"
#include "analysis/ResultText.h"
#include "analysisview/SpeedChart.h"
#include "analysisview/TimeTicks.h"
#include "analysisview/TrackPlot.h"
#include "platform/ResultCode.h"

namespace {

// "HH:MM:SS.m", with "YYYY-MM-DD " before it for a log that runs past a UTC midnight.
QString TableTime(int64_t ms, bool withDate)
{
    const std::string text = UtcTableText(ms);   // "YYYY-MM-DD HH:MM:SS.mmm"
    return QString::fromStdString(withDate ? text.substr(0, 21) : text.substr(11, 10));
}

QString UtcDate(int64_t ms)
{
    return QString::fromStdString(UtcTableText(ms).substr(0, 10));
}

} // namespace

SessionWindow::SessionWindow(SessionAnalysis analysis, const QString& title, QWidget* parent)
    : QWidget(parent), analysis_(std::move(analysis)), table_(new QTableWidget(this)), summary_(new QLabel(this)),
      chart_(new SpeedChart(this)), track_(new TrackPlot(this)), post_(new QPushButton(tr("Post\u2026"), this))
{
    setWindowTitle(title.isEmpty() ? tr("VR60 session") : title);
    resize(1100, 720);

    table_->setColumnCount(7);
    table_->setHorizontalHeaderLabels({tr("Category"), tr("knots"), tr("km/h"), QStringLiteral("\u00b1kn"), tr("run"),
                                       tr("start (UTC)"), tr("end (UTC)")});
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* left = new QWidget(this);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addWidget(table_, 1);
    leftLayout->addWidget(summary_);
    leftLayout->addWidget(post_, 0, Qt::AlignLeft);
    // gp3s and gpstc share their limits; the earlier definitions are not what the site ranks by.
    const RuleSet rules = analysis_.results.rules.set;
    post_->setEnabled(rules != RuleSet::Vr60 && !analysis_.track.points.empty() && !analysis_.results.truncated);
    post_->setToolTip(post_->isEnabled() ? tr("Open the ranking site's form filled in from this session")
                                         : tr("Needs a whole log analysed under gp3s or gpstc"));
    connect(post_, &QPushButton::clicked, this, [this] { post(); });

    auto* right = new QSplitter(Qt::Vertical, this);
    right->addWidget(chart_);
    right->addWidget(track_);
    right->setStretchFactor(1, 1);
    right->setSizes({260, 440});

    auto* split = new QSplitter(Qt::Horizontal, this);
    split->addWidget(left);
    split->addWidget(right);
    split->setStretchFactor(1, 1);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(split);

    chart_->setTrack(&analysis_.track);
    chart_->setSessionRuns(analysis_.results.runs);
    track_->setTrack(&analysis_.track);
    fillTable();
    connect(table_, &QTableWidget::currentCellChanged, this, [this](int row) { showRow(row); });
    // Start on the first category the log has a result in.
    for (const CategoryInfo& c : Categories())
        if (analysis_.results[c.category]) {
            selectCategory(c.category);
            break;
        }
    split->setSizes({table_->horizontalHeader()->length() + 8, 700});
}

QString MovingTimeText(double seconds)
{
    const int64_t minutes = std::llround(seconds / 60);
    if (minutes < 60)
        return QObject::tr("%1 min").arg(seconds / 60, 0, 'f', 1);
    return QObject::tr("%1 h %2 min").arg(minutes / 60).arg(minutes % 60);
}

void SessionWindow::fillTable()
{
    const SessionResults& r = analysis_.results;
    const std::vector<TrackPoint>& points = analysis_.track.points;
    const bool withDate = !points.empty() && OnDifferentUtcDays(points.front().timeMs, points.back().timeMs);
    table_->setRowCount(int(kCategoryCount));
    for (size_t row = 0; row < kCategoryCount; ++row) {
        const CategoryInfo& c = Categories()[row];
        const std::optional<CategoryResult>& best = r[c.category];
        const auto set = [&](int column, const QString& text, Qt::Alignment align) {
            auto* item = new QTableWidgetItem(text);
            item->setTextAlignment(align | Qt::AlignVCenter);
            if (!best)
                item->setForeground(palette().brush(QPalette::Disabled, QPalette::Text));
            table_->setItem(int(row), column, item);
        };
        set(0, QString::fromUtf8(c.label), Qt::AlignLeft);
        set(1, best ? QString::number(Knots(best->speed), 'f', 2) : QStringLiteral("-"), Qt::AlignRight);
        set(2, best ? QString::number(Kmh(best->speed), 'f', 2) : QStringLiteral("-"), Qt::AlignRight);
        // Never a ±0 that was not measured: "?" where the log gives no speed error.
        set(3, !best ? QString() : best->speedError ? QString::number(Knots(*best->speedError), 'f', 2) : QStringLiteral("?"),
            Qt::AlignRight);
        set(4, best && best->runs.size() == 1 && best->runs[0].run ? QString::number(best->runs[0].run) : QString(),
            Qt::AlignRight);
        set(5, best ? TableTime(best->startMs, withDate) : QString(), Qt::AlignLeft);
        set(6, best ? TableTime(best->endMs, withDate) : QString(), Qt::AlignLeft);
    }
    // Below the categories, the points left out by reason.
    table_->setRowCount(int(kCategoryCount + kFilterReasonCount));
    for (size_t k = 0; k < kFilterReasonCount; ++k) {
        const FilterReasonInfo& f = FilterReasons()[k];
        const int row = int(kCategoryCount + k);
        const size_t n = r.filteredBy[size_t(f.reason)];
        auto* label = new QTableWidgetItem(tr("left out: %1").arg(QString::fromUtf8(f.label)));
        auto* count = new QTableWidgetItem(n == 1 ? tr("1 point") : tr("%1 points").arg(n));
        for (QTableWidgetItem* item : {label, count}) {
            item->setFlags(Qt::ItemIsEnabled);
            if (n == 0)
                item->setForeground(palette().brush(QPalette::Disabled, QPalette::Text));
        }
        table_->setItem(row, 0, label);
        table_->setItem(row, 1, count);
        table_->setSpan(row, 1, 1, 6);
    }
    table_->resizeColumnsToContents();

    QString text = tr("Distance %1 km, moving %2\n%3 points used, %4 left out\nRules %5, %6 runs")
                       .arg(r.distanceMetres / 1000, 0, 'f', 2)
                       .arg(MovingTimeText(r.movingSeconds))
                       .arg(r.pointsUsed)
                       .arg(r.pointsFiltered)
                       .arg(QString::fromLatin1(RuleSetName(r.rules.set)))
                       .arg(r.runs.size());
    if (r.truncated)
        text += tr("\nOnly the first %1 records of the file were analysed.").arg(r.records);
    if (r.trailingBytes > 0)
        text += tr("\nThe file ends in a partial record: its last %1 bytes were left over.").arg(r.trailingBytes);
    if (!points.empty()) {
        const int64_t first = points.front().timeMs, last = points.back().timeMs;
        text += OnDifferentUtcDays(first, last) ? tr("\nUTC dates %1 to %2").arg(UtcDate(first), UtcDate(last))
                                                : tr("\nUTC date %1").arg(UtcDate(first));
    }
    summary_->setText(text);
}

void SessionWindow::showRow(int row)
{
    if (row >= int(kCategoryCount))   // a count of points left out: the marks stay
        return;
    std::vector<BestRun> runs;
    if (row >= 0)
        if (const auto& best = analysis_.results.best[size_t(row)])
            runs = best->runs;
    chart_->setMarkedRuns(runs);
    track_->setMarkedRuns(std::move(runs));
}

void SessionWindow::selectCategory(Category category)
{
    table_->setCurrentCell(int(category), 0);
    showRow(int(category));
}

std::optional<Category> SessionWindow::selectedCategory() const
{
    const int row = table_->currentRow();
    if (row < 0 || row >= int(kCategoryCount))
        return std::nullopt;
    return Categories()[size_t(row)].category;
}

bool SessionWindow::writePostPage(const QString& page, QString& error) const
{
    if (analysis_.track.points.empty()) {
        error = tr("The session has no point to post.");
        return false;
    }
    const std::string html =
        GpstcPostPage(analysis_.results, analysis_.track.points.front().timeMs, std::string());
    QFile out(page);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        out.write(html.data(), qint64(html.size())) != qint64(html.size()) || !out.flush()) {
        error = tr("Cannot write %1.").arg(page);
        return false;
    }
    return true;
}

void SessionWindow::post()
{
    const QString page = QDir::temp().filePath(QStringLiteral("vr60-session-gpstc.html"));
    QString error;
    if (!writePostPage(page, error)) {
        QMessageBox::warning(this, windowTitle(), error);
        return;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(page)))
        QMessageBox::warning(this, windowTitle(), tr("No browser could be started; open %1 yourself.").arg(page));
}

std::unique_ptr<SessionWindow> OpenSessionWindow(const std::string& file, QString& error, RuleSet rules, int* status)
{
    // The name is bytes as the system gives them; shown as the locale reads them.
    const QString shown = QString::fromLocal8Bit(file.c_str());
    SbpFileAnalysis f = AnalyzeSbpFile(file, RulesOf(rules));
    if (status)
        *status = f.status;
    if (f.notALog) {
        error = QString::fromLocal8Bit(NotALogText(file, f.tally).c_str()) + QObject::tr(".");
        return nullptr;
    }
    if (f.status == kCannotOpen) {
        error = QObject::tr("Cannot open %1.").arg(shown);
        return nullptr;
    }
    if (f.status == kEmptyFile && !f.problem.empty()) {
        error = QObject::tr("%1 (%2): %3.").arg(shown, QString::fromLatin1(LogFormatName(f.format)),
                                               QString::fromStdString(f.problem));
        return nullptr;
    }
    if (f.status == kEmptyFile) {
        error = QObject::tr("%1 is empty.").arg(shown);
        return nullptr;
    }
    QString title = QFileInfo(shown).fileName() + QObject::tr(" - VR60 session");
    if (f.format != LogFormat::Sbp)
        title += QObject::tr(" (%1 log)").arg(QString::fromLatin1(LogFormatName(f.format)));
    if (f.analysis.results.truncated)
        title += QObject::tr(" (only the first %1 records)").arg(f.analysis.results.records);
    if (!f.problem.empty())
        title += QObject::tr(" (read in part: %1)").arg(QString::fromStdString(f.problem));
    return std::make_unique<SessionWindow>(std::move(f.analysis), title);
}

std::unique_ptr<SessionWindow> OpenSessionWindow(const QString& file, QString& error, RuleSet rules, int* status)
{
    return OpenSessionWindow(QFile::encodeName(file).toStdString(), error, rules, status);
}
