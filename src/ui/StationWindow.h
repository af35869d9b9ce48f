#pragma once
// The station's window (vr60util --station): one tile a slot with its port, the unit's
// serial number and user name once read, the step in progress, the verdict in large
// colour with the failed items, and the time the run took. Closing it stops the
// station: the window goes once every worker has ended its run.

#include <vector>

#include <QFrame>
#include <QWidget>

class QGridLayout;
class QLabel;
class Station;
struct StationSlot;

class StationTile : public QFrame {
public:
    explicit StationTile(QWidget* parent = nullptr);
    void showSlot(const StationSlot& slot);

    QLabel* port;
    QLabel* unit;      // serial and user name
    QLabel* verdict;   // the step while testing, then the outcome, in its colour
    QLabel* items;     // the failed items
    QLabel* took;
};

class StationWindow : public QWidget {
public:
    explicit StationWindow(Station& station, QWidget* parent = nullptr);
    const std::vector<StationTile*>& tiles() const { return tiles_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void slotChanged(size_t index);

    Station& station_;
    QGridLayout* grid_;
    std::vector<StationTile*> tiles_;
};
