#include "logdata/PointGrid.h"

// Placeholder formatting; the SBP decoder fills in cell().

void PointGrid::prepare(size_t count)
{
    records_.clear();
    records_.reserve(count * kSbpRecordBytes);
    preparedRows_ = count + 1;
}

size_t PointGrid::decode(const uint8_t* records, size_t count)
{
    records_.insert(records_.end(), records, records + count * kSbpRecordBytes);
    if (rowCounter() + 1 > preparedRows_)
        preparedRows_ = rowCounter() + 1;
    return rowCounter();
}

std::string PointGrid::cell(size_t row, int column) const
{
    return {};
}

int PointGrid::columnWidth(int column) const
{
    return column >= 11 && column <= 13 ? 20 : column == 14 ? 430 : -1;
}

const uint8_t* PointGrid::record(size_t row) const
{
    if (row == 0 || row > rowCounter())
        return nullptr;
    return records_.data() + (row - 1) * kSbpRecordBytes;
}

size_t DecodeSbpRecords(PointGrid& grid, const uint8_t* records, size_t count)
{
    if (!records) {
        grid.prepare(count);
        return 0;
    }
    return grid.decode(records, count);
}
