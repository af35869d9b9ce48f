#include "storage/TestRecords.h"

#include <map>
#include <set>
#include <string_view>
#include <variant>

#include <QJsonArray>
#include <QSqlQuery>
#include <QVariant>

#include "storage/Database.h"
#include "storage/LosslessText.h"

namespace {

// Texts such as the logger's user name are bytes, kept exactly (LosslessText).
QString Q(const std::string& s)
{
    return QString::fromStdString(LosslessText(s));
}

std::string S(const QVariant& v)
{
    return BytesOfLosslessText(v.toString().toStdString());
}

QJsonValue VerdictJson(const ItemVerdict& verdict)
{
    return verdict ? QJsonValue(*verdict) : QJsonValue(QJsonValue::Null);
}

// Only a run that ended in a verdict judged its items: records written before
// unjudged items were told apart hold "failed" for them.
bool Judged(const std::string& outcome)
{
    return outcome == kOutcomePass || outcome == kOutcomeFail;
}

// Each field of a record once: its key in JSON and CSV, its column in test_records.
// In the CSV's order; the items are written by hand (an object and an order in
// JSON, a table of their own, one cell in the CSV just before kItemsBefore).
struct Field {
    const char* key;
    const char* column;
    std::variant<std::string TestRecord::*, int64_t TestRecord::*, int TestRecord::*, uint32_t TestRecord::*,
                 bool TestRecord::*>
        member;
};

constexpr Field kFields[] = {
    {"id", "id", &TestRecord::id},
    {"time", "time_utc", &TestRecord::time},
    {"station", "station", &TestRecord::station},
    {"operator", "operator", &TestRecord::operatorName},
    {"program_version", "program_version", &TestRecord::programVersion},
    {"serial", "serial", &TestRecord::serial},
    {"user_name", "user_name", &TestRecord::userName},
    {"firmware", "firmware", &TestRecord::firmware},
    {"ts_version", "ts_version", &TestRecord::tsVersion},
    {"gps_version", "gps_version", &TestRecord::gpsVersion},
    {"battery", "battery", &TestRecord::battery},
    {"best_snr", "best_snr", &TestRecord::bestSnr},
    {"best_snr_satellite", "best_snr_satellite", &TestRecord::bestSnrSatellite},
    {"selection_mask", "selection_mask", &TestRecord::selection},
    {"result_mask", "result_mask", &TestRecord::result},
    {"result", "outcome", &TestRecord::outcome},
    {"auto_clear", "auto_clear", &TestRecord::autoClear},
    {"auto_poweroff", "auto_poweroff", &TestRecord::autoPowerOff},
    {"configured_clear", "configured_clear", &TestRecord::configuredClear},
    {"configured_poweroff", "configured_poweroff", &TestRecord::configuredPowerOff},
    {"slot", "slot", &TestRecord::slot},
};
constexpr std::string_view kItemsBefore = "configured_clear";

// The value as the database takes it; JSON takes the same but for its own booleans.
QVariant SqlValue(const std::string& v) { return Q(v); }
QVariant SqlValue(int64_t v) { return qint64(v); }
QVariant SqlValue(int v) { return v; }
QVariant SqlValue(uint32_t v) { return qint64(v); }
QVariant SqlValue(bool v) { return int(v); }

QJsonValue JsonValue(bool v) { return v; }
template <typename T>
QJsonValue JsonValue(const T& v)
{
    return QJsonValue::fromVariant(SqlValue(v));
}

// From a database value or a JSON one (as a variant); a missing one reads as empty or 0.
void Read(const QVariant& v, std::string& out) { out = S(v); }
void Read(const QVariant& v, int64_t& out) { out = v.toLongLong(); }
void Read(const QVariant& v, int& out) { out = v.toInt(); }
void Read(const QVariant& v, uint32_t& out) { out = uint32_t(v.toLongLong()); }
void Read(const QVariant& v, bool& out) { out = v.toBool(); }

std::string CsvText(const std::string& v) { return v; }
std::string CsvText(bool v) { return v ? "1" : "0"; }
template <typename T>
std::string CsvText(T v)
{
    return std::to_string(v);
}

template <typename Record, typename Use>
void WithField(const Field& f, Record& r, Use use)
{
    std::visit([&](auto member) { use(r.*member); }, f.member);
}

const char* VerdictCsv(const ItemVerdict& verdict)
{
    return !verdict ? "" : *verdict ? "1" : "0";
}

} // namespace

QJsonObject TestRecordJson(const TestRecord& r)
{
    QJsonObject o;
    for (const Field& f : kFields)
        WithField(f, r, [&](const auto& value) { o.insert(QLatin1String(f.key), JsonValue(value)); });
    QJsonObject items;
    QJsonArray order;
    for (const auto& [name, verdict] : r.items) {
        items.insert(Q(name), VerdictJson(verdict));
        order.append(Q(name));
    }
    o.insert(QStringLiteral("items"), items);
    o.insert(QStringLiteral("item_order"), order);
    return o;
}

bool TestRecordFromJson(const QJsonObject& o, TestRecord& r)
{
    if (!o.value("id").isString() || !o.value("time").isString() || !o.value("result").isString())
        return false;
    r = TestRecord();
    for (const Field& f : kFields)
        WithField(f, r, [&](auto& value) { Read(o.value(QLatin1String(f.key)).toVariant(), value); });
    // Older records held the configuration's switches in auto_clear and auto_poweroff.
    if (!o.value("configured_clear").isBool())
        r.configuredClear = r.autoClear;
    if (!o.value("configured_poweroff").isBool())
        r.configuredPowerOff = r.autoPowerOff;
    const QJsonObject items = o.value("items").toObject();
    for (const QJsonValue name : o.value("item_order").toArray()) {
        const QJsonValue verdict = items.value(name.toString());
        r.items.emplace_back(S(name.toVariant()), verdict.isBool() && Judged(r.outcome) ? ItemVerdict(verdict.toBool())
                                                                                         : std::nullopt);
    }
    return true;
}

std::vector<std::string> TestRecordCsvHeader()
{
    std::vector<std::string> header;
    for (const Field& f : kFields) {
        if (f.key == kItemsBefore)
            header.push_back("items");
        header.push_back(f.key);
    }
    return header;
}

std::vector<std::string> TestRecordCsvCells(const TestRecord& r)
{
    std::vector<std::string> cells;
    for (const Field& f : kFields) {
        if (f.key == kItemsBefore) {
            std::string items;
            for (const auto& [item, verdict] : r.items)
                items += (items.empty() ? "" : ";") + item + "=" + VerdictCsv(verdict);
            cells.push_back(items);
        }
        WithField(f, r, [&](const auto& value) { cells.push_back(CsvText(value)); });
    }
    return cells;
}

bool InsertTestRecord(Database& db, const TestRecord& r, std::string& error)
{
    if (!db.begin(error))
        return false;
    QSqlQuery q(db.sql());
    q.prepare(InsertUnlessThere("test_records", kFields));
    for (const Field& f : kFields)
        WithField(f, r, [&](const auto& value) { q.addBindValue(SqlValue(value)); });
    bool ok = Database::run(q, error);
    // Items only with a new record: a repeated id adds nothing.
    const bool inserted = ok && q.numRowsAffected() == 1;
    for (size_t i = 0; ok && inserted && i < r.items.size(); ++i) {
        QSqlQuery item(db.sql());
        item.prepare(QStringLiteral(
            "INSERT INTO test_items (record_id, position, item, passed, judged) VALUES (?, ?, ?, ?, ?)"));
        const ItemVerdict& verdict = r.items[i].second;
        item.addBindValue(Q(r.id));
        item.addBindValue(int(i));
        item.addBindValue(Q(r.items[i].first));
        item.addBindValue(int(verdict.value_or(false)));
        item.addBindValue(int(verdict.has_value()));
        ok = Database::run(item, error);
    }
    if (!ok) {
        db.rollback();
        return false;
    }
    return db.commit(error);
}

bool ListTestRecords(Database& db, const TestRecordFilter& filter, std::vector<TestRecord>& out, std::string& error)
{
    out.clear();
    QString where = QStringLiteral(" WHERE 1 = 1");
    if (filter.serial)
        where += QStringLiteral(" AND serial = ?");
    if (!filter.since.empty())
        where += QStringLiteral(" AND time_utc >= ?");
    QSqlQuery q(db.sql());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT ") + ColumnList(kFields) + QStringLiteral(" FROM test_records") +
              where + QStringLiteral(" ORDER BY time_utc, id"));
    if (filter.serial)
        q.addBindValue(qint64(*filter.serial));
    if (!filter.since.empty())
        q.addBindValue(Q(filter.since));
    if (!Database::run(q, error))
        return false;
    std::map<std::string, size_t> index;
    while (q.next()) {
        TestRecord r;
        int column = 0;
        for (const Field& f : kFields)
            WithField(f, r, [&](auto& value) { Read(q.value(column++), value); });
        index[r.id] = out.size();
        out.push_back(std::move(r));
    }
    QSqlQuery items(db.sql());
    items.setForwardOnly(true);
    items.prepare(QStringLiteral("SELECT record_id, item, passed, judged FROM test_items"
                                 " JOIN test_records ON test_records.id = test_items.record_id") +
                  where + QStringLiteral(" ORDER BY record_id, position"));
    if (filter.serial)
        items.addBindValue(qint64(*filter.serial));
    if (!filter.since.empty())
        items.addBindValue(Q(filter.since));
    if (!Database::run(items, error))
        return false;
    while (items.next()) {
        const auto it = index.find(S(items.value(0)));
        if (it != index.end())
            out[it->second].items.emplace_back(S(items.value(1)), items.value(3).toInt() != 0
                                                                       ? ItemVerdict(items.value(2).toInt() != 0)
                                                                       : std::nullopt);
    }
    return true;
}

std::vector<TestDaySummary> SummarizeByDay(const std::vector<TestRecord>& records)
{
    struct Day {
        std::set<int64_t> units, passed;
        std::map<std::string, int> failures;
    };
    std::map<std::string, Day> days;
    for (const TestRecord& r : records) {
        Day& d = days[r.time.substr(0, 10)];
        d.units.insert(r.serial);
        if (r.outcome == kOutcomePass)
            d.passed.insert(r.serial);
        for (const auto& [item, verdict] : r.items)
            if (verdict == false)
                ++d.failures[item];
    }
    std::vector<TestDaySummary> out;
    for (const auto& [day, d] : days) {
        TestDaySummary s;
        s.day = day;
        s.units = int(d.units.size());
        s.passed = int(d.passed.size());
        s.failed = s.units - s.passed;
        for (const auto& [item, count] : d.failures)
            if (count > s.mostFailedCount) {
                s.mostFailedItem = item;
                s.mostFailedCount = count;
            }
        out.push_back(s);
    }
    return out;
}

std::vector<FirstPassYield> FirstPassByStation(const std::vector<TestRecord>& records)
{
    std::set<std::pair<std::string, int64_t>> seen;   // day, serial
    std::map<std::pair<std::string, std::string>, FirstPassYield> yields;
    for (const TestRecord& r : records) {
        const std::string day = r.time.substr(0, 10);
        if (r.serial < 0 || !seen.insert({day, r.serial}).second)
            continue;
        FirstPassYield& y = yields[{day, r.station}];
        y.day = day;
        y.station = r.station;
        ++y.units;
        if (r.outcome == kOutcomePass)
            ++y.firstPassed;
    }
    std::vector<FirstPassYield> out;
    for (const auto& [key, y] : yields)
        out.push_back(y);
    return out;
}
