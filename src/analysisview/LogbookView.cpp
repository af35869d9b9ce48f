#include "analysisview/LogbookView.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include "analysis/ResultText.h"
#include "analysisview/LogbookChart.h"
#include "analysisview/SessionWindow.h"
#include "storage/Database.h"
#include "storage/DatabaseStore.h"
#include "storage/LogbookRemoval.h"

namespace {

constexpr int kFirstCategoryColumn = 2;

} // namespace

int LogbookColumn(Category category)
{
    return kFirstCategoryColumn + int(category);
}

LogbookView::LogbookView(std::vector<SessionEntry> sessions, const QString& source, QWidget* parent)
    : QWidget(parent), sessions_(std::move(sessions)), table_(new QTableWidget(this)), category_(new QComboBox(this)),
      chart_(new LogbookChart(this)), remove_(new QPushButton(tr("Remove from logbook..."), this))
{
    setWindowTitle(tr("VR60 logbook") + (source.isEmpty() ? QString() : QStringLiteral(" - ") + source));
    resize(1200, 720);
    QStringList headers{tr("start (UTC)"), tr("km")};
    for (const CategoryInfo& c : Categories()) {
        headers << QString::fromLatin1(c.label) + tr(" (kn)");
        category_->addItem(QString::fromLatin1(c.label), int(c.category));
    }
    headers << tr("file");
    table_->setColumnCount(int(headers.size()));
    table_->setHorizontalHeaderLabels(headers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    fillTable();

    auto* chartPane = new QWidget(this);
    auto* chartLayout = new QVBoxLayout(chartPane);
    chartLayout->setContentsMargins(0, 0, 0, 0);
    chartLayout->addWidget(category_);
    chartLayout->addWidget(chart_, 1);
    auto* tablePane = new QWidget(this);
    auto* tableLayout = new QVBoxLayout(tablePane);
    tableLayout->setContentsMargins(0, 0, 0, 0);
    tableLayout->addWidget(table_, 1);
    tableLayout->addWidget(remove_, 0, Qt::AlignLeft);
    remove_->setToolTip(tr("Takes the chosen session out of the logbook; its log file stays where it is (Delete)"));
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(tablePane);
    split->addWidget(chartPane);
    split->setSizes({460, 260});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(split);

    connect(category_, &QComboBox::currentIndexChanged, this,
            [this](int index) { showCategory(Category(category_->itemData(index).toInt())); });
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int row) { openSession(row); });
    connect(table_, &QTableWidget::itemSelectionChanged, this, [this] { updateRemoveButton(); });
    connect(remove_, &QPushButton::clicked, this, [this] { removeSession(table_->currentRow()); });
    auto* removeKey = new QShortcut(QKeySequence::Delete, table_);
    connect(removeKey, &QShortcut::activated, this, [this] {
        if (remove_->isEnabled())
            removeSession(table_->currentRow());
    });
    ask_ = [this](const QString& question) {
        return QMessageBox::question(this, windowTitle(), question) == QMessageBox::Yes;
    };
    updateRemoveButton();
    showCategory(Category::TwoSeconds);
}

void LogbookView::setDatabase(const DatabaseTarget& target)
{
    database_ = target;
    updateRemoveButton();
}

void LogbookView::updateRemoveButton()
{
    remove_->setEnabled(database_ && !table_->selectedItems().isEmpty());
}

bool LogbookView::removeSession(int row)
{
    if (!database_ || row < 0 || row >= int(sessions_.size()))
        return false;
    const SessionEntry& e = sessions_[size_t(row)];
    const QString start = e.startMs ? QString::fromStdString(UtcTableText(*e.startMs).substr(0, 19)) : tr("no fix");
    if (!ask_(tr("Remove the session of %1 (UTC), %2, from the logbook?\nThe log file stays where it is.")
                  .arg(start, QString::fromStdString(e.file))))
        return false;
    std::string error;
    std::unique_ptr<Database> db = Database::open(*database_, error);
    if (!db || !RemoveSessions(*db, {e.sha256}, error)) {
        QMessageBox::warning(this, windowTitle(), tr("The session was not removed: %1").arg(QString::fromStdString(error)));
        return false;
    }
    sessions_.erase(sessions_.begin() + row);
    table_->clearSelection();
    fillTable();
    showCategory(Category(category_->currentData().toInt()));
    updateRemoveButton();
    return true;
}

LogbookView::~LogbookView() = default;

void LogbookView::fillTable()
{
    const std::vector<PersonalBest> bests = PersonalBests(sessions_);
    table_->setRowCount(int(sessions_.size()));
    for (int row = 0; row < int(sessions_.size()); ++row) {
        const SessionEntry& e = sessions_[size_t(row)];
        const auto set = [&](int column, const QString& text, Qt::Alignment align) {
            auto* item = new QTableWidgetItem(text);
            item->setTextAlignment(align | Qt::AlignVCenter);
            table_->setItem(row, column, item);
            return item;
        };
        set(0, e.startMs ? QString::fromStdString(UtcTableText(*e.startMs).substr(0, 19)) : QStringLiteral("-"),
            Qt::AlignLeft);
        set(1, QString::number(e.results.distanceMetres / 1000, 'f', 2), Qt::AlignRight);
        for (const CategoryInfo& c : Categories()) {
            const auto& best = e.results[c.category];
            QTableWidgetItem* item = set(LogbookColumn(c.category),
                                         best ? QString::number(Knots(best->speed), 'f', 2) : QStringLiteral("-"),
                                         Qt::AlignRight);
            for (const PersonalBest& b : bests)
                if (b.category == c.category && b.sha256 == e.sha256) {
                    QFont bold = item->font();
                    bold.setBold(true);
                    item->setFont(bold);
                    item->setBackground(QColor(255, 236, 179));
                    item->setToolTip(tr("personal best"));
                }
        }
        set(LogbookColumn(Category::Alpha500) + 1, QString::fromStdString(e.file), Qt::AlignLeft);
    }
    table_->resizeColumnsToContents();
}

void LogbookView::showCategory(Category category)
{
    const int index = category_->findData(int(category));
    if (index != category_->currentIndex()) {
        category_->setCurrentIndex(index);   // comes back here through the signal
        return;
    }
    std::vector<LogbookChart::Point> points;
    for (const SessionEntry& e : sessions_)
        if (e.startMs && e.results[category])
            points.push_back({*e.startMs, Knots(e.results[category]->speed)});
    chart_->setPoints(std::move(points));
}

bool LogbookView::openSession(int row)
{
    if (row < 0 || row >= int(sessions_.size()))
        return false;
    QString error;
    std::unique_ptr<SessionWindow> window = OpenSessionWindow(sessions_[size_t(row)].file, error);
    if (!window) {
        QMessageBox::warning(this, windowTitle(), error);
        return false;
    }
    window->show();
    opened_.push_back(std::move(window));
    return true;
}

std::unique_ptr<LogbookView> OpenLogbookView(QString& error)
{
    const DatabaseTarget target = ConfiguredTarget(nullptr);
    std::string why;
    std::unique_ptr<Database> db = Database::openForReading(target, why);
    std::vector<SessionEntry> sessions;
    if (!db || !ListSessions(*db, sessions, why)) {
        error = QString::fromStdString(target.invalid.empty() ? why : target.invalid);
        return nullptr;
    }
    RecomputeUnderRules(sessions, kDefaultRuleSet);   // personal bests never mix rules
    auto view = std::make_unique<LogbookView>(std::move(sessions), QString::fromStdString(target.display()));
    view->setDatabase(target);
    return view;
}
