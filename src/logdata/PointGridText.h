#pragma once
// The point grid's text: the header row, each cell formatted from its raw record,
// the column widths, and the SBP decoder's two modes.

#include <cstddef>
#include <cstdint>
#include <string>

class PointGrid;

// Formatted text of one cell; row 0 is the header. Rows prepared but not yet decoded are empty.
std::string GridCell(const PointGrid& grid, size_t row, int column);
// The same text into out (kGridCellChars bytes, NUL-terminated); returns its length.
size_t FormatGridCell(const PointGrid& grid, size_t row, int column, char* out);
// Column width in pixels set by prepare, or -1 for the window's default.
int GridColumnWidth(int column);

// Cell text of data row `row` (1-based) formatted from its raw record (columns 0-14).
size_t FormatSbpGridCell(const uint8_t* record, size_t row, int column, char* out);

// The two modes of the decoder: records == nullptr prepares for count records.
size_t DecodeSbpRecords(PointGrid& grid, const uint8_t* records, size_t count);
