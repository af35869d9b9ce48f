#include "ui/StationWindow.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "shell/Station.h"

namespace {

constexpr int kColumns = 4;

// Background of the verdict: the outcome's colour, or the run's while testing.
const char* VerdictStyle(const StationSlot& slot)
{
    if (slot.phase == SlotPhase::Testing)
        return "background:#fff3b0;color:#333";
    if (slot.outcome == "PASS")
        return "background:#2e9d3a;color:white";
    if (slot.outcome == "FAIL")
        return "background:#c62828;color:white";
    if (slot.outcome.empty())
        return "background:#eeeeee;color:#777";
    if (slot.outcome == "interrupted")
        return "background:#9e9e9e;color:white";
    return "background:#ef8a17;color:white";   // no answer, BIT timeout
}

QString Text(const std::string& s)
{
    return QString::fromStdString(s);
}

} // namespace

StationTile::StationTile(QWidget* parent)
    : QFrame(parent), port(new QLabel(this)), unit(new QLabel(this)), verdict(new QLabel(this)),
      items(new QLabel(this)), took(new QLabel(this))
{
    setFrameShape(QFrame::StyledPanel);
    setMinimumSize(220, 170);
    auto* layout = new QVBoxLayout(this);
    QFont bold = port->font();
    bold.setBold(true);
    port->setFont(bold);
    QFont large = verdict->font();
    large.setPointSize(large.pointSize() * 2);
    large.setBold(true);
    verdict->setFont(large);
    verdict->setAlignment(Qt::AlignCenter);
    verdict->setMinimumHeight(56);
    items->setWordWrap(true);
    for (QLabel* label : {port, unit, verdict, items, took})
        layout->addWidget(label);
    layout->addStretch();
}

void StationTile::showSlot(const StationSlot& slot)
{
    port->setText(Text(slot.port) + (slot.present ? QString() : QStringLiteral("  (unplugged)")));
    QString who = Text(SlotSerialText(slot.serial));
    if (!slot.userName.empty())
        who += QStringLiteral("  \"") + Text(slot.userName) + QStringLiteral("\"");
    if (!slot.sharedSerialWith.empty())
        who += QStringLiteral("\nsame serial on ") + Text(slot.sharedSerialWith);
    unit->setText(who);
    const bool testing = slot.phase == SlotPhase::Testing;
    verdict->setText(testing ? Text(slot.step) : slot.outcome.empty() ? QStringLiteral("waiting") : Text(slot.outcome));
    verdict->setStyleSheet(QString::fromLatin1(VerdictStyle(slot)));
    QString failed;
    if (!testing)
        for (const std::string& item : slot.failedItems)
            failed += (failed.isEmpty() ? QString() : QStringLiteral(", ")) + Text(item);
    items->setText(failed);
    took->setText(!testing && slot.tookMs > 0 ? QStringLiteral("%1 s").arg(double(slot.tookMs) / 1000, 0, 'f', 1)
                                              : QString());
}

StationWindow::StationWindow(Station& station, QWidget* parent)
    : QWidget(parent), station_(station), grid_(new QGridLayout(this))
{
    setWindowTitle(QStringLiteral("VR60 Test station"));
    station_.slotChanged = [this](size_t index) { slotChanged(index); };
    for (size_t i = 0; i < station_.slotList().size(); ++i)
        slotChanged(i);
}

void StationWindow::slotChanged(size_t index)
{
    while (tiles_.size() <= index) {
        auto* tile = new StationTile(this);
        const int n = int(tiles_.size());
        grid_->addWidget(tile, n / kColumns, n % kColumns);
        tiles_.push_back(tile);
    }
    if (index < station_.slotList().size())
        tiles_[index]->showSlot(station_.slotList()[index]);
}

void StationWindow::closeEvent(QCloseEvent* event)
{
    if (station_.done()) {
        event->accept();
        return;
    }
    // Every worker ends its run as interrupted first; the station's finish closes the window.
    event->ignore();
    station_.stop();
}
