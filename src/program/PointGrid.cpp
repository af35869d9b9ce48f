#include "program/PointGrid.h"

#include <utility>

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

size_t PointGrid::decodeImage(std::vector<uint8_t>&& image, size_t count)
{
    if (!records_.empty())
        return decode(image.data(), count);
    image.resize(count * kSbpRecordBytes);
    records_ = std::move(image);
    if (rowCounter() + 1 > preparedRows_)
        preparedRows_ = rowCounter() + 1;
    return rowCounter();
}

const uint8_t* PointGrid::record(size_t row) const
{
    if (row == 0 || row > rowCounter())
        return nullptr;
    return records_.data() + (row - 1) * kSbpRecordBytes;
}
