#include "platform/DesktopOpener.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>

#include "platform/WideText.h"
#else
#include <QProcess>
#include <QString>
#include <QStringList>
#endif

namespace {

class SystemOpener : public DesktopOpener {
public:
    bool open(const std::string& target) override
    {
#ifdef _WIN32
        const std::wstring w = WideFromUtf8(target);
        const auto r = reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", w.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
        return r > 32;
#else
        // An argument list, never a shell line: the target may hold blanks, quotes or '&'.
        return QProcess::startDetached(QStringLiteral("xdg-open"), QStringList{QString::fromStdString(target)});
#endif
    }
};

} // namespace

std::unique_ptr<DesktopOpener> MakeDesktopOpener()
{
    return std::make_unique<SystemOpener>();
}
