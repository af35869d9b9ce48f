#include "logdata/DownloadTarget.h"

#include <QFile>
#include <QFileInfo>
#include <QString>

#include "platform/FileAccess.h"

namespace {

QFileInfo Info(const std::string& name)
{
    return QFileInfo(QString::fromStdString(name));
}

} // namespace

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
    const QFileInfo info = Info(name_);
    written_ = info.exists() && !info.isFile() ? name_ : PartialNameFor(name_);
}

bool DownloadTarget::commit()
{
    return written_ == name_ || ReplaceFileAtomically(written_, name_);
}

std::string DownloadTarget::keepIncomplete()
{
    if (written_ == name_)
        return name_ + " is incomplete";
    const QFileInfo info = Info(written_);
    const qint64 bytes = info.isFile() ? info.size() : 0;
    std::string note;
    if (bytes > 0) {
        note = written_ + " holds " + std::to_string(bytes) + " bytes (incomplete)";
    } else {
        discard();
        note = "no log data was kept";
    }
    if (Info(name_).exists())
        note += "; " + name_ + " is as it was";
    return note;
}

void DownloadTarget::discard()
{
    if (written_ != name_)
        QFile::remove(QString::fromStdString(written_));
}
