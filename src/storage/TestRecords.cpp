#include "storage/TestRecords.h"

#include <map>
#include <set>

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

} // namespace

QJsonObject TestRecordJson(const TestRecord& r)
{
    QJsonObject items;
    QJsonArray order;
    for (const auto& [name, verdict] : r.items) {
        items.insert(Q(name), VerdictJson(verdict));
        order.append(Q(name));
    }
    return QJsonObject{
        {"id", Q(r.id)},
        {"time", Q(r.time)},
        {"station", Q(r.station)},
        {"operator", Q(r.operatorName)},
        {"program_version", Q(r.programVersion)},
        {"serial", qint64(r.serial)},
        {"user_name", Q(r.userName)},
        {"firmware", Q(r.firmware)},
        {"ts_version", Q(r.tsVersion)},
        {"gps_version", Q(r.gpsVersion)},
        {"battery", r.battery},
        {"best_snr", r.bestSnr},
        {"best_snr_satellite", r.bestSnrSatellite},
        {"selection_mask", qint64(r.selection)},
        {"result_mask", qint64(r.result)},
        {"result", Q(r.outcome)},
        {"auto_clear", r.autoClear},
        {"auto_poweroff", r.autoPowerOff},
        {"configured_clear", r.configuredClear},
        {"configured_poweroff", r.configuredPowerOff},
        {"items", items},
        {"item_order", order},
    };
}

bool TestRecordFromJson(const QJsonObject& o, TestRecord& r)
{
    if (!o.value("id").isString() || !o.value("time").isString() || !o.value("result").isString())
        return false;
    r = TestRecord();
    r.id = S(o.value("id"));
    r.time = S(o.value("time"));
    r.station = S(o.value("station"));
    r.operatorName = S(o.value("operator"));
    r.programVersion = S(o.value("program_version"));
    r.serial = o.value("serial").toInteger();
    r.userName = S(o.value("user_name"));
    r.firmware = S(o.value("firmware"));
    r.tsVersion = S(o.value("ts_version"));
    r.gpsVersion = S(o.value("gps_version"));
    r.battery = o.value("battery").toInt();
    r.bestSnr = o.value("best_snr").toInt();
    r.bestSnrSatellite = o.value("best_snr_satellite").toInt();
    r.selection = uint32_t(o.value("selection_mask").toInteger());
    r.result = uint32_t(o.value("result_mask").toInteger());
    r.outcome = S(o.value("result"));
    r.autoClear = o.value("auto_clear").toBool();
    r.autoPowerOff = o.value("auto_poweroff").toBool();
    // Older records held the configuration's switches in auto_clear and auto_poweroff.
    r.configuredClear = o.value("configured_clear").toBool(r.autoClear);
    r.configuredPowerOff = o.value("configured_poweroff").toBool(r.autoPowerOff);
    const QJsonObject items = o.value("items").toObject();
    for (const QJsonValue name : o.value("item_order").toArray()) {
        const QJsonValue verdict = items.value(name.toString());
        r.items.emplace_back(S(name.toVariant()), verdict.isBool() && Judged(r.outcome) ? ItemVerdict(verdict.toBool())
                                                                                         : std::nullopt);
    }
    return true;
}

bool InsertTestRecord(Database& db, const TestRecord& r, std::string& error)
{
    if (!db.begin(error))
        return false;
    QSqlQuery q(db.sql());
    q.prepare(QStringLiteral(
        "INSERT INTO test_records (id, time_utc, station, operator, program_version, serial, user_name, firmware,"
        " ts_version, gps_version, battery, best_snr, best_snr_satellite, selection_mask, result_mask, outcome,"
        " auto_clear, auto_poweroff, configured_clear, configured_poweroff)"
        " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT DO NOTHING"));
    for (const QVariant& v :
         {QVariant(Q(r.id)), QVariant(Q(r.time)), QVariant(Q(r.station)), QVariant(Q(r.operatorName)),
          QVariant(Q(r.programVersion)), QVariant(qint64(r.serial)), QVariant(Q(r.userName)), QVariant(Q(r.firmware)),
          QVariant(Q(r.tsVersion)), QVariant(Q(r.gpsVersion)), QVariant(r.battery), QVariant(r.bestSnr),
          QVariant(r.bestSnrSatellite), QVariant(qint64(r.selection)), QVariant(qint64(r.result)),
          QVariant(Q(r.outcome)), QVariant(int(r.autoClear)), QVariant(int(r.autoPowerOff)),
          QVariant(int(r.configuredClear)), QVariant(int(r.configuredPowerOff))})
        q.addBindValue(v);
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
    q.prepare(QStringLiteral("SELECT id, time_utc, station, operator, program_version, serial, user_name, firmware,"
                             " ts_version, gps_version, battery, best_snr, best_snr_satellite, selection_mask,"
                             " result_mask, outcome, auto_clear, auto_poweroff, configured_clear, configured_poweroff"
                             " FROM test_records") +
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
        r.id = S(q.value(0));
        r.time = S(q.value(1));
        r.station = S(q.value(2));
        r.operatorName = S(q.value(3));
        r.programVersion = S(q.value(4));
        r.serial = q.value(5).toLongLong();
        r.userName = S(q.value(6));
        r.firmware = S(q.value(7));
        r.tsVersion = S(q.value(8));
        r.gpsVersion = S(q.value(9));
        r.battery = q.value(10).toInt();
        r.bestSnr = q.value(11).toInt();
        r.bestSnrSatellite = q.value(12).toInt();
        r.selection = uint32_t(q.value(13).toLongLong());
        r.result = uint32_t(q.value(14).toLongLong());
        r.outcome = S(q.value(15));
        r.autoClear = q.value(16).toInt() != 0;
        r.autoPowerOff = q.value(17).toInt() != 0;
        r.configuredClear = q.value(18).toInt() != 0;
        r.configuredPowerOff = q.value(19).toInt() != 0;
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
