#include "CtlStores.h"

#include <QCoreApplication>

#include "CtlCommand.h"
#include "storage/DatabaseUrl.h"
#include "storage/DatabaseStore.h"
#include "shell/StationRecords.h"

void NameSettingsStore()
{
    QCoreApplication::setOrganizationName(QStringLiteral("TRAXELO"));
    QCoreApplication::setApplicationName(QStringLiteral("VR40LINK"));
}

bool CheckDatabaseUrl(const std::string& url, std::string& error)
{
    DatabaseTarget target;
    return ParseDatabaseUrl(url, target, error);
}

std::unique_ptr<StorageSink> OpenRecords(const CtlOptions& options)
{
    return std::make_unique<StationRecords>(ConfiguredTarget(options.dbGiven ? &options.db : nullptr));
}

const char* LeftOutOfThisBuild()
{
    return "";
}
