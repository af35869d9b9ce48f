#pragma once
// An .sbp file read as a stream of whole records, a block at a time, so a log
// of any size passes through one fixed buffer. The 64-byte header block is
// skipped; a partial record at the end is not passed on, only counted.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class SbpRecordStream {
public:
    static constexpr size_t kBlockRecords = 2048;   // 64 KiB

    // Opens the file (the name is UTF-8) and reads its first block.
    explicit SbpRecordStream(const std::string& name);
    ~SbpRecordStream();
    SbpRecordStream(const SbpRecordStream&) = delete;
    SbpRecordStream& operator=(const SbpRecordStream&) = delete;

    // kOk; kCannotOpen when the file cannot be opened or read; kEmptyFile when it holds no byte.
    int status() const { return status_; }
    // The file's size in records as the system reports it (0 when unknown): a hint for reserving.
    uint64_t sizeHint() const { return sizeHint_; }

    // The next whole records (32 bytes each), valid until the next call; 0 at
    // the end of the file, or once a read failed.
    size_t next(const uint8_t** records);
    // errno of a read that failed after the first block (0 when none): the stream ended early.
    int readError() const { return readError_; }
    // Bytes after the last whole record (a file cut mid-record), once next() has returned 0.
    size_t trailingBytes() const { return atEnd_ ? end_ - begin_ : 0; }

private:
    size_t fill();   // tops up the buffer; bytes now held

    std::FILE* file_ = nullptr;
    int status_ = 0;
    int readError_ = 0;
    uint64_t sizeHint_ = 0;
    std::vector<uint8_t> buffer_;
    size_t begin_ = 0, end_ = 0;   // unread bytes of buffer_
    bool atEnd_ = false;
};
