#include "ui/PointGridModel.h"

#include "logdata/PointGridText.h"
#include "program/PointGrid.h"

PointGridModel::PointGridModel(const PointGrid& grid, QObject* parent)
    : QAbstractTableModel(parent), grid_(grid), shownRows_(int(grid.rowCount()))
{
}

int PointGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : shownRows_;
}

int PointGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kGridColumns;
}

QVariant PointGridModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= shownRows_)
        return {};
    char text[kGridCellChars];
    const size_t n = FormatGridCell(grid_, size_t(index.row()), index.column(), text);
    return QString::fromLatin1(text, qsizetype(n));
}

void PointGridModel::gridReset()
{
    beginResetModel();
    shownRows_ = int(grid_.rowCount());
    endResetModel();
}

void PointGridModel::rowsDecoded()
{
    // Prepared rows are already shown (empty); only their texts changed.
    const int rows = int(grid_.rowCount());
    if (rows != shownRows_) {
        gridReset();
        return;
    }
    if (rows > 1)
        Q_EMIT dataChanged(index(1, 0), index(rows - 1, kGridColumns - 1));
}
