// records and logbook: the test records of the station and the session logbook,
// in the database of --db or VR60_DB (the local default without either).

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include <QDate>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "CommandOptions.h"
#include "CtlCommand.h"
#include "CtlInterrupt.h"
#include "TerminalText.h"
#include "analysis/ResultText.h"
#include "platform/ResultCode.h"
#include "pointlog/PointLog.h"
#include "sbp/SbpLogCheck.h"
#include "storage/Database.h"
#include "storage/DatabaseStore.h"
#include "storage/Logbook.h"
#include "storage/LogbookRemoval.h"

namespace {

DatabaseTarget Target(const CtlContext& ctx)
{
    return ConfiguredTarget(ctx.options.dbGiven ? &ctx.options.db : nullptr);
}

enum class Access { Read, Write };

// Reading creates and migrates nothing. Null after saying why; *status is then
// the exit status.
std::unique_ptr<Database> OpenOrSay(const CtlContext& ctx, int* status, Access access = Access::Read)
{
    const DatabaseTarget target = Target(ctx);
    if (!target.invalid.empty()) {
        std::fprintf(stderr, "vr60ctl: %s\n", target.invalid.c_str());
        *status = kUsageError;
        return nullptr;
    }
    std::string error;
    std::unique_ptr<Database> db =
        access == Access::Write ? Database::open(target, error) : Database::openForReading(target, error);
    if (!db) {
        std::fprintf(stderr, "vr60ctl: %s\n", error.c_str());
        *status = kCannotOpen;
    }
    return db;
}

bool IsSerial(const std::string& text)
{
    return !text.empty() && text.size() <= 9 && text.find_first_not_of("0123456789") == std::string::npos;
}

bool IsDay(const std::string& text)
{
    return text.size() == 10 && QDate::fromString(QString::fromStdString(text), QStringLiteral("yyyy-MM-dd")).isValid();
}

bool IsNumber(const std::string& text)
{
    char* end = nullptr;
    std::strtod(text.c_str(), &end);
    return !text.empty() && end == text.c_str() + text.size();
}

// A cell that a spreadsheet would run as a formula (=, +, -, @, tab, CR first)
// is written as text, with a leading apostrophe as spreadsheets expect.
std::string Csv(const std::string& field)
{
    const bool formula = !field.empty() && std::string("=+-@\t\r").find(field[0]) != std::string::npos && !IsNumber(field);
    const std::string text = formula ? "'" + field : field;
    if (!formula && text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string out = "\"";
    for (char c : text)
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

std::string Serial(int64_t serial)
{
    char text[24];
    std::snprintf(text, sizeof text, "%09lld", static_cast<long long>(serial));
    return serial < 0 ? "unknown" : text;
}

// "GPS RMC, Buzzer"; items the unit never judged as "not judged: RTC, Battery".
std::string FailedItems(const TestRecord& r)
{
    std::string failed, unjudged;
    for (const auto& [item, verdict] : r.items) {
        std::string& list = verdict ? failed : unjudged;
        if (verdict != true)
            list += (list.empty() ? "" : ", ") + item;
    }
    if (unjudged.empty())
        return failed;
    return failed + (failed.empty() ? "" : "; ") + "not judged: " + unjudged;
}

void PrintCsv(const std::vector<TestRecord>& records)
{
    const auto print = [](const std::vector<std::string>& cells) {
        std::string line;
        for (const std::string& cell : cells)
            line += (line.empty() ? "" : ",") + Csv(cell);
        std::printf("%s\n", line.c_str());
    };
    print(TestRecordCsvHeader());
    for (const TestRecord& r : records)
        print(TestRecordCsvCells(r));
}

void PrintJson(const std::vector<TestRecord>& records)
{
    QJsonArray array;
    for (const TestRecord& r : records) {
        QJsonObject o = TestRecordJson(r);
        o.remove("item_order");
        array.append(o);
    }
    std::fputs(QJsonDocument(array).toJson(QJsonDocument::Indented).constData(), stdout);
}

int RunSync(CtlContext& ctx)
{
    const DatabaseTarget target = Target(ctx);
    if (!target.invalid.empty()) {
        std::fprintf(stderr, "vr60ctl: %s\n", target.invalid.c_str());
        return kUsageError;
    }
    // Without --db every record goes to the database it was meant for; with it,
    // only that database's records do.
    const SyncReport report = DatabaseStore(target).sync(!ctx.options.dbGiven);
    std::printf("%s\n", report.line.c_str());
    return report.reached && report.waiting == 0 ? kOk : kIncomplete;
}

} // namespace

int RunRecords(CtlContext& ctx, const CommandOptions& options)
{
    if (options.sub() == "sync")
        return RunSync(ctx);
    const bool json = options.isSet("json"), csv = options.isSet("csv"), summary = options.isSet("summary");
    if (json && csv)
        return options.fail("--json and --csv together");
    if (summary && (json || csv))
        return options.fail(std::string("--summary and ") + (json ? "--json" : "--csv") + " together");
    TestRecordFilter filter;
    if (options.isSet("serial")) {
        if (!IsSerial(options.value("serial")))
            return options.fail("--serial needs a serial number of 1 to 9 digits ('" + options.value("serial") + "')");
        filter.serial = std::strtoll(options.value("serial").c_str(), nullptr, 10);
    }
    if (options.isSet("since")) {
        if (!IsDay(options.value("since")))
            return options.fail("--since needs a day as YYYY-MM-DD ('" + options.value("since") + "' is none)");
        filter.since = options.value("since");
    }
    int status = 0;
    std::unique_ptr<Database> db = OpenOrSay(ctx, &status);
    if (!db)
        return status;
    std::vector<TestRecord> records;
    std::string error;
    if (!ListTestRecords(*db, filter, records, error)) {
        std::fprintf(stderr, "vr60ctl: cannot read the test records of %s: %s\n", db->target().display().c_str(),
                     error.c_str());
        return kCannotOpen;
    }
    if (json) {
        PrintJson(records);
    } else if (csv) {
        PrintCsv(records);
    } else if (summary) {
        std::printf("%-10s %6s %7s %7s  %s\n", "day (UTC)", "units", "passed", "failed", "item failed most");
        for (const TestDaySummary& d : SummarizeByDay(records))
            std::printf("%-10s %6d %7d %7d  %s\n", d.day.c_str(), d.units, d.passed, d.failed,
                        d.mostFailedItem.empty() ? "-"
                                                 : (d.mostFailedItem + " (" + std::to_string(d.mostFailedCount) + ")").c_str());
        std::printf("\n%-10s %-24s %6s  %s\n", "day (UTC)", "station", "units", "first-pass yield");
        for (const FirstPassYield& y : FirstPassByStation(records))
            std::printf("%-10s %-24s %6d  %d (%.1f %%)\n", y.day.c_str(), TerminalText(y.station).c_str(), y.units,
                        y.firstPassed, 100.0 * y.firstPassed / y.units);
    } else {
        std::printf("%-24s %-9s %-11s %-16s %s\n", "time (UTC)", "serial", "result", "station", "failed items");
        for (const TestRecord& r : records)
            std::printf("%-24s %-9s %-11s %-16s %s\n", TerminalText(r.time).c_str(), Serial(r.serial).c_str(),
                        TerminalText(r.outcome).c_str(), TerminalText(r.station).c_str(), FailedItems(r).c_str());
    }
    return kOk;
}

namespace {

int AddFiles(CtlContext& ctx, const Args& files)
{
    const DatabaseTarget target = Target(ctx);
    if (!target.invalid.empty()) {
        std::fprintf(stderr, "vr60ctl: %s\n", target.invalid.c_str());
        return kUsageError;
    }
    DatabaseStore store(target);
    int status = kOk;
    for (const std::string& file : files) {
        // A stop ends the run between files; what was added stays.
        if (InterruptSignal())
            break;
        // Another logger's file is told a log by its reader, in SessionFromFile.
        const LogFormat format = RecogniseLogFile(file);
        if (InterruptSignal())   // as below: a pipe's open waits, and the stop is spent
            break;
        SbpLogTally tally;
        const int tallied = format == LogFormat::Sbp || format == LogFormat::Unknown ? TallySbpFile(file, tally) : kOk;
        // A stop that cut this read short ends the run here: reading the file again would
        // wait once more (a pipe nobody writes to) with the stop already spent.
        if (InterruptSignal())
            break;
        if (tallied == kCannotOpen) {
            std::fprintf(stderr, "vr60ctl: cannot open %s\n", TerminalText(file).c_str());
            if (status == kOk)
                status = kCannotOpen;
            continue;
        }
        if (tallied == kOk && (format == LogFormat::Sbp || format == LogFormat::Unknown) && !tally.looksLikeLog()) {
            std::fprintf(stderr, "vr60ctl: %s; not added\n", NotALogText(file, tally).c_str());
            if (status == kOk)
                status = kNotALog;
            continue;
        }
        SessionEntry entry;
        std::string error;
        if (!SessionFromFile(file, entry, error)) {
            std::fprintf(stderr, "vr60ctl: %s; not added\n", TerminalText(error).c_str());
            if (status == kOk)
                status = format == LogFormat::Sbp || format == LogFormat::Unknown ? kCannotOpen : kNotALog;
            continue;
        }
        const StoreReport report = store.saveSession(entry);
        std::printf("%s: %s\n", TerminalText(file).c_str(), TerminalText(report.line).c_str());
        if (!report.stored && !report.queued && status == kOk)
            status = kWriteFailed;
    }
    return status;
}

// False after saying why the logbook cannot be read.
bool ListSessionsOrSay(Database& db, std::vector<SessionEntry>& sessions)
{
    std::string error;
    if (ListSessions(db, sessions, error))
        return true;
    std::fprintf(stderr, "vr60ctl: cannot read the logbook of %s: %s\n", db.target().display().c_str(), error.c_str());
    return false;
}

// Each WHAT must name a session; all named are removed in one transaction.
int RemoveNamed(CtlContext& ctx, const Args& names)
{
    int status = 0;
    std::unique_ptr<Database> db = OpenOrSay(ctx, &status, Access::Write);
    if (!db)
        return status;
    std::vector<SessionEntry> sessions;
    if (!ListSessionsOrSay(*db, sessions))
        return kCannotOpen;
    std::vector<SessionEntry> doomed;
    for (const std::string& what : names) {
        const std::vector<SessionEntry> named = SessionsNamedBy(sessions, what);
        if (named.empty()) {
            std::fprintf(stderr, "vr60ctl: no session of the logbook is '%s' (a file, 8 or more digits of its "
                                 "SHA-256, or a day YYYY-MM-DD)\n", TerminalText(what).c_str());
            status = kRefused;
        }
        for (const SessionEntry& e : named)
            if (std::none_of(doomed.begin(), doomed.end(), [&](const SessionEntry& d) { return d.sha256 == e.sha256; }))
                doomed.push_back(e);
    }
    if (status != 0) {
        std::fprintf(stderr, "vr60ctl: nothing removed\n");
        return status;
    }
    std::vector<std::string> hashes;
    for (const SessionEntry& e : doomed)
        hashes.push_back(e.sha256);
    std::string error;
    if (!RemoveSessions(*db, hashes, error)) {
        std::fprintf(stderr, "vr60ctl: cannot remove from the logbook of %s: %s\n", db->target().display().c_str(),
                     error.c_str());
        return kWriteFailed;
    }
    for (const SessionEntry& e : doomed)
        std::printf("Removed %s %s (%s)\n", e.startMs ? UtcTableText(*e.startMs).substr(0, 19).c_str() : "-",
                    e.file.c_str(), e.sha256.substr(0, 12).c_str());
    return kOk;
}

std::string Knots(const SessionEntry& e, Category c)
{
    char text[16];
    if (!e.results[c])
        return "-";
    std::snprintf(text, sizeof text, "%.2f", ::Knots(e.results[c]->speed));
    return text;
}

} // namespace

int RunLogbook(CtlContext& ctx, const CommandOptions& options)
{
    if (options.sub() == "add")
        return AddFiles(ctx, options.arguments());
    if (options.sub() == "remove")
        return RemoveNamed(ctx, options.arguments());
    RuleSet rules = kDefaultRuleSet;
    if (const int bad = options.ruleSet(&rules))
        return bad;
    const bool best = options.sub() == "best";
    const bool json = options.isSet("json");
    int status = 0;
    std::unique_ptr<Database> db = OpenOrSay(ctx, &status);
    if (!db)
        return status;
    std::vector<SessionEntry> sessions;
    if (!ListSessionsOrSay(*db, sessions))
        return kCannotOpen;
    // Results never mix rules: the others are analysed again where their files are at hand.
    if (const size_t left = RecomputeUnderRules(sessions, rules))
        std::fprintf(stderr, "vr60ctl: %zu session(s) were computed under other rules and their files are not at hand: "
                             "they are marked [rules] and left out of the personal bests\n", left);
    if (best) {
        const std::vector<PersonalBest> bests = PersonalBests(sessions, rules);
        if (json) {
            std::fputs(PersonalBestsJson(bests).c_str(), stdout);
            return kOk;
        }
        std::printf("%-14s %8s %8s  %-23s  %s\n", "category", "knots", "km/h", "start (UTC)", "file");
        for (const PersonalBest& b : bests)
            std::printf("%-14s %8.2f %8.2f  %-23s  %s\n", Categories()[size_t(b.category)].label, ::Knots(b.speed),
                        Kmh(b.speed), UtcTableText(b.startMs).c_str(), TerminalText(b.file).c_str());
        return kOk;
    }
    if (json) {
        std::fputs(LogbookJson(sessions).c_str(), stdout);
        return kOk;
    }
    std::printf("%-23s %9s %7s %7s %7s %7s  %s\n", "start (UTC)", "km", "2s kn", "10s kn", "nm kn", "1h kn", "file");
    for (const SessionEntry& e : sessions)
        std::printf("%-23s %9.3f %7s %7s %7s %7s  %s\n", e.startMs ? UtcTableText(*e.startMs).c_str() : "-",
                    e.results.distanceMetres / 1000, Knots(e, Category::TwoSeconds).c_str(),
                    Knots(e, Category::TenSeconds).c_str(), Knots(e, Category::NauticalMile).c_str(),
                    Knots(e, Category::OneHour).c_str(),
                    (TerminalText(e.file) + (e.rules == RuleSetName(rules) ? "" : " [" + e.rules + "]")).c_str());
    return kOk;
}
