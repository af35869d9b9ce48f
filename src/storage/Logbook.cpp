#include "storage/Logbook.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QJsonArray>
#include <QSqlQuery>
#include <QVariant>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <system_error>

#include "analysis/ResultText.h"
#include "platform/ResultCode.h"
#include "storage/Database.h"
#include "storage/LosslessText.h"

namespace {

QString Q(const std::string& s)
{
    return QString::fromStdString(s);
}

// Names are bytes; the database and JSON hold them as lossless UTF-8 text.
QString Name(const std::string& bytes)
{
    return QString::fromStdString(LosslessText(bytes));
}

std::string NameOf(const QVariant& v)
{
    return BytesOfLosslessText(v.toString().toStdString());
}

QVariant Optional(const std::optional<int64_t>& v)
{
    return v ? QVariant(qint64(*v)) : QVariant(QMetaType(QMetaType::LongLong));
}

std::optional<int64_t> Optional(const QVariant& v)
{
    if (v.isNull())
        return std::nullopt;
    return v.toLongLong();
}

const CategoryInfo* CategoryByKey(const std::string& key)
{
    for (const CategoryInfo& c : Categories())
        if (key == c.key)
            return &c;
    return nullptr;
}

std::string Number(const char* format, double value)
{
    char text[48];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// The stored results show the rules they were computed under.
void SetRules(SessionEntry& e, const std::string& name)
{
    e.rules = name;
    if (const std::optional<RuleSet> set = RuleSetNamed(name))
        e.results.rules = RulesOf(*set);
}

} // namespace

bool SessionFromFile(const std::string& file, SessionEntry& e, std::string& error, RuleSet rules)
{
    e = SessionEntry();
    // The name as the system gives it: bytes that need not be UTF-8.
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::fopen(file.c_str(), "rb"), &std::fclose);
    if (!in) {
        error = "cannot open " + file;
        return false;
    }
    QCryptographicHash hash(QCryptographicHash::Sha256);
    std::vector<char> block(1 << 16);
    size_t got = 0;
    while ((got = std::fread(block.data(), 1, block.size(), in.get())) > 0)
        hash.addData(QByteArrayView(block.data(), qsizetype(got)));
    if (std::ferror(in.get())) {
        error = "cannot read " + file;
        return false;
    }
    e.sha256 = hash.result().toHex().toStdString();
    std::error_code ignored;
    e.file = std::filesystem::absolute(file, ignored).lexically_normal().string();
    const SbpFileAnalysis analysis = AnalyzeSbpFile(file, RulesOf(rules));
    if (analysis.status == kEmptyFile && !analysis.problem.empty()) {
        error = file + " (" + LogFormatName(analysis.format) + "): " + analysis.problem;
        return false;
    }
    if (analysis.status == kEmptyFile) {
        error = file + " is empty";
        return false;
    }
    if (analysis.status != kOk) {
        error = "cannot read " + file;
        return false;
    }
    const std::vector<TrackPoint>& points = analysis.analysis.track.points;
    if (!points.empty()) {
        e.startMs = points.front().timeMs;
        e.endMs = points.back().timeMs;
    }
    e.results = analysis.analysis.results;
    e.userName = analysis.userName;
    e.rules = RuleSetName(rules);
    e.results.runs.clear();
    e.results.turns.clear();
    for (std::optional<CategoryResult>& best : e.results.best)
        if (best) {
            best->runs.clear();
            best->speedError = best->meanSpeedError = std::nullopt;
        }
    e.added = QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toStdString();
    return true;
}

QJsonObject SessionJson(const SessionEntry& e)
{
    QJsonObject results;
    for (const CategoryInfo& c : Categories())
        if (const auto& best = e.results[c.category])
            results.insert(c.key, QJsonArray{best->speed, qint64(best->startMs), qint64(best->endMs)});
    QJsonObject filtered;
    for (const FilterReasonInfo& f : FilterReasons())
        filtered.insert(f.key, qint64(e.results.filteredBy[size_t(f.reason)]));
    QJsonObject o{{"sha256", Q(e.sha256)},
                  {"file", Name(e.file)},
                  {"added", Q(e.added)},
                  {"user_name", Name(e.userName)},
                  {"rules", Q(e.rules)},
                  {"distance_m", e.results.distanceMetres},
                  {"moving_s", e.results.movingSeconds},
                  {"points_used", qint64(e.results.pointsUsed)},
                  {"points_filtered", qint64(e.results.pointsFiltered)},
                  {"filtered", filtered},
                  {"truncated", e.results.truncated},
                  {"categories", results}};
    if (e.startMs)
        o.insert("start_ms", qint64(*e.startMs));
    if (e.endMs)
        o.insert("end_ms", qint64(*e.endMs));
    if (e.serial)
        o.insert("serial", qint64(*e.serial));
    return o;
}

bool SessionFromJson(const QJsonObject& o, SessionEntry& e)
{
    if (!o.value("sha256").isString() || !o.value("file").isString())
        return false;
    e = SessionEntry();
    e.sha256 = o.value("sha256").toString().toStdString();
    e.file = NameOf(o.value("file"));
    e.added = o.value("added").toString().toStdString();
    e.userName = NameOf(o.value("user_name"));
    SetRules(e, o.value("rules").toString(QStringLiteral("vr60")).toStdString());   // queued before rule sets: vr60
    if (o.contains("start_ms"))
        e.startMs = o.value("start_ms").toInteger();
    if (o.contains("end_ms"))
        e.endMs = o.value("end_ms").toInteger();
    if (o.contains("serial"))
        e.serial = o.value("serial").toInteger();
    e.results.distanceMetres = o.value("distance_m").toDouble();
    e.results.movingSeconds = o.value("moving_s").toDouble();
    e.results.pointsUsed = size_t(o.value("points_used").toInteger());
    e.results.pointsFiltered = size_t(o.value("points_filtered").toInteger());
    e.results.records = e.results.pointsUsed + e.results.pointsFiltered;
    e.results.truncated = o.value("truncated").toBool();
    const QJsonObject filtered = o.value("filtered").toObject();
    for (const FilterReasonInfo& f : FilterReasons())
        e.results.filteredBy[size_t(f.reason)] = size_t(filtered.value(f.key).toInteger());
    const QJsonObject categories = o.value("categories").toObject();
    for (const CategoryInfo& c : Categories()) {
        const QJsonArray v = categories.value(c.key).toArray();
        if (v.size() == 3)
            e.results.best[size_t(c.category)] = CategoryResult{v[0].toDouble(), v[1].toInteger(), v[2].toInteger(), {}, {}, {}};
    }
    return true;
}

bool InsertSession(Database& db, const SessionEntry& e, bool& added, std::string& error)
{
    added = false;
    if (!db.begin(error))
        return false;
    QSqlQuery q(db.sql());
    q.prepare(QStringLiteral("INSERT INTO sessions (sha256, file, added_utc, start_ms, end_ms, serial, user_name,"
                             " distance_m, moving_s, points_used, points_filtered, truncated, rules)"
                             " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT DO NOTHING"));
    q.addBindValue(Q(e.sha256));
    q.addBindValue(Name(e.file));
    q.addBindValue(Q(e.added));
    q.addBindValue(Optional(e.startMs));
    q.addBindValue(Optional(e.endMs));
    q.addBindValue(Optional(e.serial));
    q.addBindValue(e.userName.empty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(Name(e.userName)));
    q.addBindValue(e.results.distanceMetres);
    q.addBindValue(e.results.movingSeconds);
    q.addBindValue(qint64(e.results.pointsUsed));
    q.addBindValue(qint64(e.results.pointsFiltered));
    q.addBindValue(e.results.truncated ? 1 : 0);
    q.addBindValue(Q(e.rules));
    bool ok = Database::run(q, error);
    added = ok && q.numRowsAffected() == 1;
    for (const FilterReasonInfo& f : FilterReasons()) {
        if (!ok || !added)
            break;
        QSqlQuery r(db.sql());
        r.prepare(QStringLiteral("INSERT INTO session_filtered (sha256, reason, points) VALUES (?, ?, ?)"));
        r.addBindValue(Q(e.sha256));
        r.addBindValue(QString::fromLatin1(f.key));
        r.addBindValue(qint64(e.results.filteredBy[size_t(f.reason)]));
        ok = Database::run(r, error);
    }
    for (const CategoryInfo& c : Categories()) {
        const auto& best = e.results[c.category];
        if (!ok || !added || !best)
            continue;
        QSqlQuery r(db.sql());
        r.prepare(QStringLiteral(
            "INSERT INTO session_results (sha256, category, speed_ms, start_ms, end_ms) VALUES (?, ?, ?, ?, ?)"));
        r.addBindValue(Q(e.sha256));
        r.addBindValue(QString::fromLatin1(c.key));
        r.addBindValue(best->speed);
        r.addBindValue(qint64(best->startMs));
        r.addBindValue(qint64(best->endMs));
        ok = Database::run(r, error);
    }
    if (!ok) {
        db.rollback();
        added = false;
        return false;
    }
    return db.commit(error);
}

bool ListSessions(Database& db, std::vector<SessionEntry>& out, std::string& error)
{
    out.clear();
    QSqlQuery q(db.sql());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT sha256, file, added_utc, start_ms, end_ms, serial, user_name, distance_m,"
                             " moving_s, points_used, points_filtered, truncated, rules FROM sessions"
                             " ORDER BY start_ms IS NULL, start_ms DESC, sha256"));
    if (!Database::run(q, error))
        return false;
    std::map<std::string, size_t> index;
    while (q.next()) {
        SessionEntry e;
        e.sha256 = q.value(0).toString().toStdString();
        e.file = NameOf(q.value(1));
        e.added = q.value(2).toString().toStdString();
        e.startMs = Optional(q.value(3));
        e.endMs = Optional(q.value(4));
        e.serial = Optional(q.value(5));
        e.userName = NameOf(q.value(6));
        e.results.distanceMetres = q.value(7).toDouble();
        e.results.movingSeconds = q.value(8).toDouble();
        e.results.pointsUsed = size_t(q.value(9).toLongLong());
        e.results.pointsFiltered = size_t(q.value(10).toLongLong());
        e.results.records = e.results.pointsUsed + e.results.pointsFiltered;
        e.results.truncated = q.value(11).toInt() != 0;
        SetRules(e, q.value(12).toString().toStdString());
        index[e.sha256] = out.size();
        out.push_back(std::move(e));
    }
    QSqlQuery r(db.sql());
    r.setForwardOnly(true);
    r.prepare(QStringLiteral("SELECT sha256, category, speed_ms, start_ms, end_ms FROM session_results"));
    if (!Database::run(r, error))
        return false;
    while (r.next()) {
        const auto it = index.find(r.value(0).toString().toStdString());
        const CategoryInfo* c = CategoryByKey(r.value(1).toString().toStdString());
        if (it != index.end() && c)
            out[it->second].results.best[size_t(c->category)] =
                CategoryResult{r.value(2).toDouble(), r.value(3).toLongLong(), r.value(4).toLongLong(), {}, {}, {}};
    }
    QSqlQuery f(db.sql());
    f.setForwardOnly(true);
    f.prepare(QStringLiteral("SELECT sha256, reason, points FROM session_filtered"));
    if (!Database::run(f, error))
        return false;
    while (f.next()) {
        const auto it = index.find(f.value(0).toString().toStdString());
        const std::string reason = f.value(1).toString().toStdString();
        for (const FilterReasonInfo& info : FilterReasons())
            if (it != index.end() && reason == info.key)
                out[it->second].results.filteredBy[size_t(info.reason)] = size_t(f.value(2).toLongLong());
    }
    return true;
}

size_t RecomputeUnderRules(std::vector<SessionEntry>& sessions, RuleSet rules)
{
    size_t left = 0;
    for (SessionEntry& e : sessions) {
        if (e.rules == RuleSetName(rules))
            continue;
        SessionEntry again;
        std::string ignored;
        if (SessionFromFile(e.file, again, ignored, rules) && again.sha256 == e.sha256) {
            again.added = e.added;
            again.serial = e.serial;
            again.userName = e.userName;
            e = std::move(again);
        } else {
            ++left;
        }
    }
    return left;
}

std::vector<PersonalBest> PersonalBests(const std::vector<SessionEntry>& sessions, RuleSet rules)
{
    std::vector<PersonalBest> bests;
    for (const CategoryInfo& c : Categories()) {
        const SessionEntry* fastest = nullptr;
        for (const SessionEntry& e : sessions)
            if (e.rules == RuleSetName(rules) && e.results[c.category] && (!fastest || e.results[c.category]->speed > fastest->results[c.category]->speed))
                fastest = &e;
        if (fastest)
            bests.push_back({c.category, fastest->results[c.category]->speed, fastest->results[c.category]->startMs,
                             fastest->file, fastest->sha256});
    }
    return bests;
}

std::string LogbookJson(const std::vector<SessionEntry>& sessions)
{
    std::string out = "[";
    for (size_t i = 0; i < sessions.size(); ++i) {
        const SessionEntry& e = sessions[i];
        std::string results = ResultJson(e.results);
        if (!results.empty() && results.back() == '\n')
            results.pop_back();
        out += i ? ",\n" : "\n";
        out += "{\"file\": " + JsonString(LosslessText(e.file)) + ", \"sha256\": " + JsonString(e.sha256) +
               ", \"start\": " + (e.startMs ? JsonString(UtcIsoText(*e.startMs)) : "null") +
               ", \"end\": " + (e.endMs ? JsonString(UtcIsoText(*e.endMs)) : "null") +
               ", \"serial\": " + (e.serial ? std::to_string(*e.serial) : "null") +
               ", \"user_name\": " + (e.userName.empty() ? "null" : JsonString(LosslessText(e.userName))) +
               ", \"rules\": " + JsonString(e.rules) +
               ", \"results\": " + results + "}";
    }
    return out + (sessions.empty() ? "]\n" : "\n]\n");
}

std::string PersonalBestsJson(const std::vector<PersonalBest>& bests)
{
    std::string out = "{";
    for (size_t i = 0; i < bests.size(); ++i) {
        const PersonalBest& b = bests[i];
        out += i ? ",\n  " : "\n  ";
        out += JsonString(Categories()[size_t(b.category)].key) + ": {\"knots\": " +
               Number("%.3f", Knots(b.speed)) + ", \"kmh\": " + Number("%.3f", Kmh(b.speed)) +
               ", \"file\": " + JsonString(LosslessText(b.file)) + ", \"start\": " + JsonString(UtcIsoText(b.startMs)) + "}";
    }
    return out + (bests.empty() ? "}\n" : "\n}\n");
}
