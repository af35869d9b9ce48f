#pragma once
// What vr60ctl keeps between runs through Qt: the name of the settings store
// (the last good port) and the records database of --db. The build without Qt
// (the Windows command-line program) has no records database: NoQtCommands.cpp
// stands in for these there.

#include <memory>
#include <string>

class StorageSink;
struct CtlOptions;

// Names the store the window's settings live in, so both programs share it.
void NameSettingsStore();
// False, with the reason, when --db's URL cannot be used.
bool CheckDatabaseUrl(const std::string& url, std::string& error);
// The records database of --db, else the configured one; null: no records are kept.
std::unique_ptr<StorageSink> OpenRecords(const CtlOptions& options);
// The --help paragraph on what this build leaves out; empty when nothing.
const char* LeftOutOfThisBuild();
