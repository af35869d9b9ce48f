#include "sbp/SbpRecordStream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/ResultCode.h"
#include "sbp/SbpRecord.h"

namespace {

constexpr size_t kRecordBytes = 32;

std::filesystem::path PathOf(const std::string& utf8)
{
    return std::filesystem::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

} // namespace

SbpRecordStream::SbpRecordStream(const std::string& name) : buffer_(kBlockRecords * kRecordBytes)
{
    status_ = kCannotOpen;
    if (name.empty())
        return;
    const std::filesystem::path path = PathOf(name);
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        return;
#ifdef _WIN32
    file_ = _wfopen(path.c_str(), L"rb");
#else
    file_ = std::fopen(path.c_str(), "rb");
#endif
    if (!file_)
        return;
    const uintmax_t bytes = std::filesystem::file_size(path, error);
    sizeHint_ = error ? 0 : uint64_t(bytes / kRecordBytes);

    if (fill() == 0) {
        status_ = readError_ != 0 ? kCannotOpen : kEmptyFile;
        return;
    }
    status_ = kOk;
    if (HasSbpHeader(buffer_.data(), end_))
        begin_ = std::min(end_, kSbpHeaderBytes);   // the first block holds the whole header block
}

SbpRecordStream::~SbpRecordStream()
{
    if (file_)
        std::fclose(file_);
}

size_t SbpRecordStream::fill()
{
    if (begin_ > 0) {   // keep a partial record for the next block
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    while (!atEnd_ && end_ < buffer_.size()) {
        const size_t n = std::fread(buffer_.data() + end_, 1, buffer_.size() - end_, file_);
        end_ += n;
        if (n > 0)
            continue;
        if (std::ferror(file_))
            readError_ = errno != 0 ? errno : EIO;
        atEnd_ = true;
    }
    return end_;
}

size_t SbpRecordStream::next(const uint8_t** records)
{
    if (status_ != kOk)
        return 0;
    if (end_ - begin_ < kRecordBytes)
        fill();
    const size_t count = (end_ - begin_) / kRecordBytes;
    *records = buffer_.data() + begin_;
    begin_ += count * kRecordBytes;
    return count;
}
