#pragma once
// The point grid StringGrid1: a header row and one row per decoded SBP record.
// It keeps the raw 32-byte records; a cell is formatted only when asked
// (logdata/PointGridText.h), so an 8 MiB log (262 144 points) costs 8 MiB, not
// millions of strings.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

inline constexpr int kSbpRecordBytes = 32;
inline constexpr int kGridColumns = 15;
// Room for the longest cell (the RMC sentence with its checksum) and its NUL.
inline constexpr size_t kGridCellChars = 192;

class PointGrid {
public:
    // Prepare mode: row counter 0, count + 1 rows (header included), header row written.
    void prepare(size_t count);
    // Decode mode: the next count records into the next rows; returns the row counter.
    size_t decode(const uint8_t* records, size_t count);

    // Decode mode for a whole file image: takes over its storage instead of copying it.
    size_t decodeImage(std::vector<uint8_t>&& image, size_t count);

    size_t rowCounter() const { return records_.size() / kSbpRecordBytes; }
    // Rows as prepared, header included.
    size_t rowCount() const { return preparedRows_; }
    // The raw record of data row r (1-based), or null.
    const uint8_t* record(size_t row) const;

    // The file whose points the grid holds (empty when unknown or a download is in progress).
    std::string sourceFile;

private:
    std::vector<uint8_t> records_;
    size_t preparedRows_ = 1;
};
