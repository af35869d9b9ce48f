#include "shell/StationRecords.h"

#include <cstdio>
#include <cstdlib>
#include <set>

#include <QDateTime>
#include <QSysInfo>
#include <QUuid>

#include "platform/AccountName.h"
#include "platform/ResultCode.h"
#include "prodtest/TestConfig.h"
#include "prodtest/TestRun.h"
#include "program/Program.h"
#include "sbp/SbpLogCheck.h"
#include "storage/Database.h"

namespace {

// The serial number as shown when the run began: the run itself zeroes the remembered one,
// and a power-off that followed disconnected.
int64_t SerialShown(const SelfTestRecord& s)
{
    const std::string& text = s.serialShown;
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
        return -1;
    return std::strtoll(text.c_str(), nullptr, 10);
}

} // namespace

const char* RecordOutcome(int verdict)
{
    // The verdict alone: a stop during the clear or power-off that followed changes none.
    switch (verdict) {
    case kOk: return kOutcomePass;
    case kTestFailed: return kOutcomeFail;
    case kInterrupted: return kOutcomeInterrupted;
    case kTimeOut: return kOutcomeBitTimeout;   // started, but no result within the budget
    default: return kOutcomeNoAnswer;           // the start was not acknowledged, or the port went away
    }
}

TestRecord TestRecordOfRun(const Program& p, int verdict)
{
    const SelfTestRecord& s = p.selfTest;
    const TestPage& t = p.form.test;
    TestRecord r;
    r.id = QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString();
    r.time = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs).toStdString();
    r.station = QSysInfo::machineHostName().toStdString();
    r.operatorName = AccountName();
    r.programVersion = kProgramVersion;
    r.serial = SerialShown(s);
    r.userName = p.identity.userName;
    r.firmware = p.firmwareVersion;
    r.tsVersion = s.tsVersion;
    r.gpsVersion = s.gpsVersion;
    r.battery = s.battery;
    r.bestSnr = s.maxSnr;
    r.bestSnrSatellite = s.maxSnrSatellite;
    r.selection = s.selection;
    r.result = s.result;
    r.outcome = RecordOutcome(verdict);
    r.autoClear = s.clear == FollowUpStep::Done;
    r.autoPowerOff = s.powerOff == FollowUpStep::Done;
    r.configuredClear = t.autoLogClear;
    r.configuredPowerOff = t.autoPoweroff;
    // Verdicts exist only once the device answered.
    const bool judged = verdict == kOk || verdict == kTestFailed;
    const auto verdictOf = [&](uint32_t bit) { return judged ? ItemVerdict((s.result & bit) != 0) : std::nullopt; };
    for (const TestItemBox& box : t.items) {
        const uint32_t bit = ItemBit(box);
        if (box.visible && bit != 0 && (s.selection & bit) != 0)
            r.items.emplace_back(box.caption, verdictOf(bit));
    }
    if (s.selection & kGpsSnrBit)
        r.items.emplace_back("GPS SNR", verdictOf(kGpsSnrBit));
    return r;
}

void StationRecords::selfTestJudged(Program& p, int verdict)
{
    store_.stopWaitsWhen(&p.link.stopRequested);
    TestRecord record = TestRecordOfRun(p, verdict);
    record.slot = slot_;
    const StoreReport report = store_.saveTestRecord(record);
    p.host.logLine(report.line);
    p.form.test.recordsToday = TodayLine(store_);
}

void StationRecords::logDownloaded(Program& p, const std::string& file)
{
    SbpLogTally tally;
    if (TallySbpFile(file, tally) == kOk && !tally.looksLikeLog()) {
        p.host.logLine("Not added to the logbook: " + NotALogText(file, tally));
        return;
    }
    SessionEntry entry;
    std::string error;
    if (!SessionFromFile(file, entry, error)) {
        p.host.logLine("Not added to the logbook: " + error);
        return;
    }
    if (p.identity.serialNumber > 0)
        entry.serial = p.identity.serialNumber;
    entry.userName = p.identity.userName;
    store_.stopWaitsWhen(&p.link.stopRequested);
    p.host.logLine(store_.saveSession(entry).line);
}

std::string TodayLine(DatabaseStore& store)
{
    if (store.targetFailed())
        return {};
    std::string error;
    std::unique_ptr<Database> db = Database::openForReading(store.target(), error);
    if (!db)
        return {};
    TestRecordFilter filter;
    filter.since = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-dd")).toStdString();
    std::vector<TestRecord> today;
    if (!ListTestRecords(*db, filter, today, error))
        return {};
    std::set<int64_t> units;
    for (const TestRecord& r : today)
        units.insert(r.serial);
    std::string line = "Today: " + std::to_string(units.size()) + (units.size() == 1 ? " unit" : " units") + " recorded";
    if (!today.empty()) {
        char serial[24];
        std::snprintf(serial, sizeof serial, "%09lld", static_cast<long long>(today.back().serial));
        line += ", last " + std::string(serial) + " " + today.back().outcome;
    }
    return line;
}
