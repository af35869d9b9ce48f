// Qt keeps the store on Linux; Windows has Win32LinkSettingsStore.cpp.
#ifndef _WIN32

#include "platform/LinkSettingsStore.h"

#include <QSettings>

namespace {

QSettings Store()
{
    return QSettings(QStringLiteral("TRAXELO"), QStringLiteral("VR40LINK"));
}

} // namespace

std::optional<std::string> ReadLinkSetting(const char* name)
{
    const QVariant value = Store().value(QLatin1String(name));
    if (!value.isValid())
        return std::nullopt;
    return value.toString().toStdString();
}

bool WriteLinkSetting(const char* name, const std::string& value)
{
    QSettings store = Store();
    store.setValue(QLatin1String(name), QString::fromStdString(value));
    store.sync();
    return store.status() == QSettings::NoError;
}

#endif
