#include "logdata/DownloadTarget.h"

#include "platform/FileAccess.h"

std::string PartialNameFor(const std::string& name)
{
    const size_t slash = name.find_last_of("/\\");
    const size_t base = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = name.rfind('.');
    // A dot that starts the file name (".sbp") begins no extension.
    if (dot == std::string::npos || dot <= base)
        return name + ".partial";
    return name.substr(0, dot) + ".partial" + name.substr(dot);
}

DownloadTarget::DownloadTarget(std::string name) : name_(std::move(name))
{
    written_ = FileExists(name_) && RegularFileSize(name_) < 0 ? name_ : PartialNameFor(name_);
}

bool DownloadTarget::commit()
{
    return written_ == name_ || ReplaceFileAtomically(written_, name_);
}

std::string DownloadTarget::keepIncomplete()
{
    if (written_ == name_)
        return name_ + " is incomplete";
    const long long bytes = RegularFileSize(written_);
    std::string note;
    if (bytes > 0) {
        note = written_ + " holds " + std::to_string(bytes) + " bytes (incomplete)";
    } else {
        discard();
        note = "no log data was kept";
    }
    if (FileExists(name_))
        note += "; " + name_ + " is as it was";
    return note;
}

void DownloadTarget::discard()
{
    if (written_ != name_)
        RemoveFile(written_);
}
