#pragma once
// The point grid as a Qt table model for the window's view. Row 0 of the grid
// is its header row and is shown as a row of the table, as the grid shows it;
// every cell is formatted on demand (FormatGridCell).

#include <QAbstractTableModel>

class PointGrid;

class PointGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit PointGridModel(const PointGrid& grid, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // Call after a prepare or after decoding rows (a download fills rows block by block).
    void gridReset();
    void rowsDecoded();

private:
    const PointGrid& grid_;
    int shownRows_ = 0;
};
