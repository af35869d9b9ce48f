#pragma once
// The records of a test station or a sailor's computer: each self test as a
// test record, each completed download in the logbook, in the database of
// VR60_DB (or --db, or the window's setting), the local default otherwise.

#include <string>

#include "program/StorageSink.h"
#include "storage/DatabaseStore.h"
#include "storage/TestRecords.h"

class StationRecords : public StorageSink {
public:
    explicit StationRecords(DatabaseTarget target) : store_(std::move(target)) {}

    void selfTestJudged(Program& p, int verdict) override;
    void logDownloaded(Program& p, const std::string& file) override;

    DatabaseStore& store() { return store_; }
    // The station slot (port) the records' units are tested in.
    void setSlot(std::string slot) { slot_ = std::move(slot); }

private:
    DatabaseStore store_;
    std::string slot_;
};

// The outcome a record holds for a BitBtn_TestClick code (kOutcomePass, ...).
const char* RecordOutcome(int verdict);
// The record of the run that just got its verdict (a BitBtn_TestClick code).
TestRecord TestRecordOfRun(const Program& p, int verdict);

// "Today: 3 units recorded, last 000012345 PASS" for the Test page, from the
// configured database, read only (a database not made yet is not created);
// empty when it cannot be read.
std::string TodayLine(DatabaseStore& store);
