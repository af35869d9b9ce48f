#include "platform/FileAccess.h"
#include "platform/ResultCode.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "platform/WideText.h"
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
std::wstring Wide(const std::string& name)
{
    return WideFromUtf8(name);
}

int OpenForWriting(const std::string& name, bool exclusive)
{
    const int flags = _O_WRONLY | _O_CREAT | _O_BINARY | (exclusive ? _O_EXCL : _O_TRUNC);
    return _wopen(Wide(name).c_str(), flags, _S_IREAD | _S_IWRITE);
}

int RemoveName(const std::string& name)
{
    return _wunlink(Wide(name).c_str());
}

std::FILE* OpenForReading(const std::string& name)
{
    return _wfopen(Wide(name).c_str(), L"rb");
}

long long WriteSome(int fd, const char* data, size_t size)
{
    return _write(fd, data, unsigned(std::min<size_t>(size, INT_MAX)));
}

int SyncFd(int fd)
{
    return _commit(fd) == 0 ? 0 : errno;
}

int CloseFd(int fd)
{
    return _close(fd);
}
#else
int OpenForWriting(const std::string& name, bool exclusive)
{
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (exclusive ? O_EXCL : O_TRUNC);
    int fd;
    do
        fd = ::open(name.c_str(), flags, 0666);
    while (fd < 0 && errno == EINTR);
    return fd;
}

int RemoveName(const std::string& name)
{
    return ::unlink(name.c_str());
}

// The name's bytes as the system gives them: they need not be UTF-8.
std::FILE* OpenForReading(const std::string& name)
{
    return std::fopen(name.c_str(), "rbe");
}

long long WriteSome(int fd, const char* data, size_t size)
{
    long long n;
    do
        n = ::write(fd, data, std::min<size_t>(size, SSIZE_MAX));
    while (n < 0 && errno == EINTR);
    return n;
}

int SyncFd(int fd)
{
    if (::fsync(fd) == 0)
        return 0;
    // Devices and pipes cannot be synced: nothing more to wait for there.
    return errno == EINVAL || errno == ENOTSUP ? 0 : errno;
}

int CloseFd(int fd)
{
    return ::close(fd);
}
#endif

} // namespace

ResultCode ReadWholeFile(const std::string& name, size_t limit, std::vector<uint8_t>& image)
{
    image.clear();
    std::FILE* file = name.empty() ? nullptr : OpenForReading(name);
    if (!file)
        return kCannotOpen;
    // A folder opens on some systems but gives a read error, which ends up here too.
    constexpr size_t kBlock = 1 << 16;
    while (image.size() < limit) {
        const size_t before = image.size();
        image.resize(std::min(limit, before + kBlock));
        const size_t n = std::fread(image.data() + before, 1, image.size() - before, file);
        image.resize(before + n);
        if (n == 0)
            break;
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed)
        return image.clear(), kCannotOpen;
    return image.empty() ? kEmptyFile : kOk;
}

bool ReplaceFileAtomically(const std::string& temp, const std::string& final)
{
#ifdef _WIN32
    const std::wstring from = Wide(temp);
    const std::wstring to = Wide(final);
    // A target another program holds open refuses the rename (access denied, or a sharing
    // violation); a virus scanner or an indexer lets go within a moment, so wait that long.
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        DWORD error = GetLastError();
        if (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION) {
            const DWORD attributes = GetFileAttributesW(to.c_str());
            const bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
            if (!readOnly && attempt < 10) {
                Sleep(100);
                continue;
            }
            error = readOnly ? ERROR_ACCESS_DENIED : ERROR_SHARING_VIOLATION;
        }
        errno = error == ERROR_ACCESS_DENIED ? EACCES : error == ERROR_SHARING_VIOLATION ? EBUSY : EIO;
        return false;
    }
#else
    return std::rename(temp.c_str(), final.c_str()) == 0;
#endif
}

namespace {

std::filesystem::path PathOf(const std::string& name)
{
    return std::filesystem::path(std::u8string(name.begin(), name.end()));
}

std::string NameOf(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

} // namespace

bool FileExists(const std::string& name)
{
    std::error_code ec;
    return !name.empty() && std::filesystem::exists(PathOf(name), ec);
}

long long RegularFileSize(const std::string& name)
{
    std::error_code ec;
    if (name.empty() || !std::filesystem::is_regular_file(PathOf(name), ec))
        return -1;
    const uintmax_t size = std::filesystem::file_size(PathOf(name), ec);
    return ec ? -1 : static_cast<long long>(size);
}

std::string AbsoluteFileName(const std::string& name)
{
    std::error_code ec;
    const std::filesystem::path path = std::filesystem::absolute(PathOf(name), ec);
    return ec ? name : NameOf(path.lexically_normal());
}

std::string CanonicalFileName(const std::string& name)
{
    std::error_code ec;
    const std::filesystem::path path = std::filesystem::canonical(PathOf(name), ec);
    return ec || name.empty() ? std::string() : NameOf(path);
}

bool RemoveFile(const std::string& name)
{
    return RemoveName(name) == 0;
}

std::string TemporaryNameFor(const std::string& name)
{
    std::string temp = name;
    if (temp.empty())
        return "~";
    temp.back() = '~';
    if (temp == name)
        temp += '~';   // a name already ending in '~' must not be its own temporary file
    return temp;
}

OutputFile::OutputFile(std::string name, OutputOptions options) : name_(std::move(name)), options_(options) {}

OutputFile::~OutputFile()
{
    if (fd_ < 0)
        return;
    CloseFd(fd_);
    if (!ok_ && options_.removeOnFailure)
        RemoveName(name_);
}

bool OutputFile::open()
{
    if (fd_ >= 0 || closed_)
        return ok_;
    if (options_.removeExisting && RemoveName(name_) != 0 && errno != ENOENT) {
        fail(errno);
        return false;
    }
    fd_ = OpenForWriting(name_, options_.removeExisting);
    if (fd_ < 0) {
        fail(errno);
        return false;
    }
    ok_ = true;
    return true;
}

void OutputFile::fail(int error)
{
    if (error_ == 0)
        error_ = error ? error : EIO;
    ok_ = false;
}

bool OutputFile::write(const void* data, size_t size)
{
    if (!ok_ || fd_ < 0)
        return false;
    const char* at = static_cast<const char*>(data);
    while (size > 0) {
        const long long n = WriteSome(fd_, at, size);
        if (n <= 0) {
            fail(n < 0 ? errno : EIO);
            return false;
        }
        at += n;
        size -= size_t(n);
    }
    return true;
}

bool OutputFile::close()
{
    if (closed_)
        return ok_;
    closed_ = true;
    if (fd_ < 0)
        return ok_;
    if (ok_ && options_.syncOnClose) {
        if (const int error = SyncFd(fd_))
            fail(error);
    }
    if (CloseFd(fd_) != 0 && ok_)
        fail(errno);
    fd_ = -1;
    if (!ok_ && options_.removeOnFailure)
        RemoveName(name_);
    return ok_;
}

std::string OutputFile::errorText() const
{
    return error_ ? std::string(std::strerror(error_)) : std::string();
}
