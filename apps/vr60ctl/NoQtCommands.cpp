// The build without Qt (the Windows command-line program, cross-built by
// scripts/windows-test.sh): no records database, so no records are kept and the
// commands that read them say so. Empty in the Qt build.
#ifdef VR60_NO_QT

#include <cstdio>

#include "CtlCommand.h"
#include "CtlStores.h"
#include "StationWorker.h"
#include "platform/ResultCode.h"
#include "program/StorageSink.h"

namespace {

constexpr const char* kNoDatabase = "the records database needs Qt, which this build of vr60ctl is without";
constexpr const char* kNoStation = "the test station needs Qt, which this build of vr60ctl is without";

int NotInThisBuild(const char* command)
{
    std::fprintf(stderr, "vr60ctl: %s: %s\n", command, kNoDatabase);
    return kUsageError;
}

} // namespace

void NameSettingsStore() {}

bool CheckDatabaseUrl(const std::string&, std::string& error)
{
    error = kNoDatabase;
    return false;
}

std::unique_ptr<StorageSink> OpenRecords(const CtlOptions&)
{
    return nullptr;
}

const char* LeftOutOfThisBuild()
{
    return "\n"
           "This build is without Qt (the Windows command-line program): it keeps no test records\n"
           "and no logbook (--db, records and logbook end with status 2), has no test station\n"
           "(station ends with status 2), and runs no converter, so\n"
           "convert and tracks make no .gpx or .kml files (the other files they make are made).\n"
           "Everything else works as in the Linux program.\n";
}

int RunRecords(CtlContext&, const CommandOptions&)
{
    return NotInThisBuild("records");
}

int RunLogbook(CtlContext&, const CommandOptions&)
{
    return NotInThisBuild("logbook");
}

// The test station runs its slots as Qt processes and keeps every unit's record.
int RunStation(CtlContext&, const CommandOptions&)
{
    std::fprintf(stderr, "vr60ctl: station: %s\n", kNoStation);
    return kUsageError;
}

bool StartStationWorker(Program&, const std::string&)
{
    std::fprintf(stderr, "vr60ctl: selftest: --station-slot: %s\n", kNoStation);
    return false;
}

void TellStationTheUnit(const Program&) {}

void TellStationTheResult(const Program&, bool, int) {}

#endif
