#pragma once
// The SBP decoder of the point grid: its cell formatter and its two modes.

#include <cstddef>
#include <cstdint>

class PointGrid;

// Cell text of data row `row` (1-based) formatted from its raw record (columns 0-14).
size_t FormatSbpGridCell(const uint8_t* record, size_t row, int column, char* out);

// The two modes of the decoder: records == nullptr prepares for count records.
size_t DecodeSbpRecords(PointGrid& grid, const uint8_t* records, size_t count);
