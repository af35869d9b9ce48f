#pragma once
// Whole-file reads and checked file output. Every writer of the program goes
// through OutputFile, so a short write, a failed flush or sync and a failed
// close are never taken for success; ReplaceFileAtomically puts a finished
// temporary file in place of the target in one step, also over an existing
// target on Windows. Names are UTF-8.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/ResultCode.h"

// Reads at most limit bytes of the file; kOk, kEmptyFile when nothing was read, or kCannotOpen.
ResultCode ReadWholeFile(const std::string& name, size_t limit, std::vector<uint8_t>& image);

// Replaces final by temp in one rename; false (errno set) when it failed, temp is then left as it was.
bool ReplaceFileAtomically(const std::string& temp, const std::string& final);
// Whether name exists (a dangling link does not).
bool FileExists(const std::string& name);
// The size of a regular file, -1 when name is none.
long long RegularFileSize(const std::string& name);
// name made absolute against the working folder, "." and ".." taken out, links kept.
std::string AbsoluteFileName(const std::string& name);
// name with every link followed; empty when it does not exist.
std::string CanonicalFileName(const std::string& name);
// Deletes the file; false when it could not be (or was not there).
bool RemoveFile(const std::string& name);

// The temporary file beside name for such a replace: name with its last character replaced by '~'.
std::string TemporaryNameFor(const std::string& name);

struct OutputOptions {
    bool removeExisting = false;    // delete an existing file and create a new one, instead of truncating it
    bool syncOnClose = false;       // the bytes are on the disk before close reports success
    bool removeOnFailure = false;   // a file that failed is deleted at close: no partial file is left
};

// An output file written straight through to the system, unbuffered, so a
// failed write shows at the call that failed. After the first failure writes
// do nothing and the failure is kept for errorCode()/errorText().
class OutputFile {
public:
    explicit OutputFile(std::string name, OutputOptions options = {});
    ~OutputFile();   // closes without syncing when close() was not called (removing a failed file as close() does)
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates the file; false on failure.
    bool open();
    // False once anything failed, this write included.
    bool write(const void* data, size_t size);
    // Syncs when asked, then closes; true when the file was created and every byte reached it.
    bool close();

    bool ok() const { return ok_; }
    const std::string& name() const { return name_; }
    // errno of the first failure (0 when none).
    int errorCode() const { return error_; }
    // The first failure as a sentence of the system's.
    std::string errorText() const;

private:
    void fail(int error);
    std::string name_;
    OutputOptions options_;
    int fd_ = -1;
    bool ok_ = false;
    bool closed_ = false;
    int error_ = 0;
};
