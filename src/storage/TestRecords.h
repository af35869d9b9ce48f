#pragma once
// Production test records: one per self-test run that began on the unit, with
// each selected item's verdict (none where the run ended before the unit judged
// it). Written once under a unique id, so a record pushed twice (from the
// outbox, say) is still stored once.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <QJsonObject>

class Database;

// The outcomes a record can hold.
inline constexpr const char* kOutcomePass = "PASS";
inline constexpr const char* kOutcomeFail = "FAIL";
inline constexpr const char* kOutcomeBitTimeout = "BIT timeout";
inline constexpr const char* kOutcomeNoAnswer = "no answer";
inline constexpr const char* kOutcomeInterrupted = "interrupted";

// An item's verdict: passed, failed, or empty when the run ended before the unit judged it.
using ItemVerdict = std::optional<bool>;

struct TestRecord {
    std::string id;                // a UUID
    std::string time;              // UTC, "YYYY-MM-DDTHH:MM:SS.mmmZ" (orders the records)
    std::string station;           // host name
    std::string operatorName;      // OS user
    std::string programVersion;
    int64_t serial = 0;            // as read at connect
    std::string userName;
    std::string firmware;
    std::string tsVersion;
    std::string gpsVersion;
    int battery = 0;               // 0.01 V
    int bestSnr = 0;
    int bestSnrSatellite = 0;
    uint32_t selection = 0;
    uint32_t result = 0;
    std::string outcome;
    bool autoClear = false;          // the run cleared the unit (the full clear completed)
    bool autoPowerOff = false;       // the run switched the unit off (acknowledged)
    bool configuredClear = false;    // what the test configuration said
    bool configuredPowerOff = false;
    std::string slot;              // the test station's slot (its port); empty outside a station
    std::vector<std::pair<std::string, ItemVerdict>> items;   // selected item -> verdict, in the page's order
};

QJsonObject TestRecordJson(const TestRecord& r);
// False when the object lacks a field a record needs.
bool TestRecordFromJson(const QJsonObject& o, TestRecord& r);
// The CSV form: the keys of the JSON form (the items as one cell "name=1;name=0;name="
// where an empty verdict was never judged), then a row of cells per record, unquoted.
std::vector<std::string> TestRecordCsvHeader();
std::vector<std::string> TestRecordCsvCells(const TestRecord& r);

// Stores the record in one transaction; a record with the same id is left as it is.
bool InsertTestRecord(Database& db, const TestRecord& r, std::string& error);

struct TestRecordFilter {
    std::optional<int64_t> serial;
    std::string since;   // "YYYY-MM-DD": records from that UTC day on
};
// Oldest first.
bool ListTestRecords(Database& db, const TestRecordFilter& filter, std::vector<TestRecord>& out, std::string& error);

struct TestDaySummary {
    std::string day;          // YYYY-MM-DD (UTC)
    int units = 0;            // serial numbers tested
    int passed = 0;           // of those, units with a passing run that day
    int failed = 0;           // units without one
    std::string mostFailedItem;   // empty when no item failed; items not judged count for nothing
    int mostFailedCount = 0;
};
// Per UTC day, oldest first.
std::vector<TestDaySummary> SummarizeByDay(const std::vector<TestRecord>& records);

// First-pass yield: of the units a station tested on a UTC day, those whose first test
// of that day passed. A unit counts at the station of its first test that day; records
// without a serial number count for nothing.
struct FirstPassYield {
    std::string day;       // YYYY-MM-DD (UTC)
    std::string station;
    int units = 0;
    int firstPassed = 0;
};
// Per day (oldest first), then per station (by name); the records in the order of ListTestRecords.
std::vector<FirstPassYield> FirstPassByStation(const std::vector<TestRecord>& records);
