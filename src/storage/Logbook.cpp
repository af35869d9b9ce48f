#include "storage/Logbook.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlQuery>
#include <QVariant>

#include <cstdio>
#include <filesystem>
#include <iterator>
#include <map>
#include <memory>
#include <string_view>
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

// "YYYY-MM-DDTHH:MM:SS.mmmZ" back to UTC ms; null where it is none.
QVariant TimeOfText(const QJsonValue& v)
{
    const QDateTime t = QDateTime::fromString(v.toString(), Qt::ISODateWithMs);
    return t.isValid() ? QVariant(qint64(t.toMSecsSinceEpoch())) : QVariant(QMetaType(QMetaType::LongLong));
}

// How a field stands in the JSON form; the database holds its value as it is.
enum class Form {
    Text,       // a JSON string (names as lossless text), or null
    Time,       // UTC ms; in JSON, UtcIsoText or null
    Integer,    // null when not known
    Results,    // in JSON inside "results", as ResultJson writes it
};

// Each field of a session once: its key in the JSON form (`logbook --json`, and
// the outbox with "added" besides), its column in `sessions`, and the key outbox
// rows queued by earlier versions hold it under. In the JSON form's order.
struct Field {
    const char* key;
    const char* column;
    const char* earlierKey;
    Form form;
    QVariant (*get)(const SessionEntry&);
    void (*set)(SessionEntry&, const QVariant&);
};

const Field kFields[] = {
    {"file", "file", "file", Form::Text,
     [](const SessionEntry& e) { return QVariant(Name(e.file)); },
     [](SessionEntry& e, const QVariant& v) { e.file = NameOf(v); }},
    {"sha256", "sha256", "sha256", Form::Text,
     [](const SessionEntry& e) { return QVariant(Q(e.sha256)); },
     [](SessionEntry& e, const QVariant& v) { e.sha256 = v.toString().toStdString(); }},
    {"start", "start_ms", "start_ms", Form::Time,
     [](const SessionEntry& e) { return Optional(e.startMs); },
     [](SessionEntry& e, const QVariant& v) { e.startMs = Optional(v); }},
    {"end", "end_ms", "end_ms", Form::Time,
     [](const SessionEntry& e) { return Optional(e.endMs); },
     [](SessionEntry& e, const QVariant& v) { e.endMs = Optional(v); }},
    {"serial", "serial", "serial", Form::Integer,
     [](const SessionEntry& e) { return Optional(e.serial); },
     [](SessionEntry& e, const QVariant& v) { e.serial = Optional(v); }},
    {"user_name", "user_name", "user_name", Form::Text,
     [](const SessionEntry& e) {
         return e.userName.empty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(Name(e.userName));
     },
     [](SessionEntry& e, const QVariant& v) { e.userName = NameOf(v); }},
    {"rules", "rules", "rules", Form::Text,
     [](const SessionEntry& e) { return QVariant(Q(e.rules)); },
     // Sessions queued before rule sets were named were computed under vr60.
     [](SessionEntry& e, const QVariant& v) { SetRules(e, v.isNull() ? "vr60" : v.toString().toStdString()); }},
    {"added", "added_utc", "added", Form::Text,
     [](const SessionEntry& e) { return QVariant(Q(e.added)); },
     [](SessionEntry& e, const QVariant& v) { e.added = v.toString().toStdString(); }},
    {"distance_km", "distance_m", "distance_m", Form::Results,
     [](const SessionEntry& e) { return QVariant(e.results.distanceMetres); },
     [](SessionEntry& e, const QVariant& v) { e.results.distanceMetres = v.toDouble(); }},
    {"moving_s", "moving_s", "moving_s", Form::Results,
     [](const SessionEntry& e) { return QVariant(e.results.movingSeconds); },
     [](SessionEntry& e, const QVariant& v) { e.results.movingSeconds = v.toDouble(); }},
    {"points_used", "points_used", "points_used", Form::Results,
     [](const SessionEntry& e) { return QVariant(qint64(e.results.pointsUsed)); },
     [](SessionEntry& e, const QVariant& v) { e.results.pointsUsed = size_t(v.toLongLong()); }},
    {"points_filtered", "points_filtered", "points_filtered", Form::Results,
     [](const SessionEntry& e) { return QVariant(qint64(e.results.pointsFiltered)); },
     [](SessionEntry& e, const QVariant& v) { e.results.pointsFiltered = size_t(v.toLongLong()); }},
    {"truncated", "truncated", "truncated", Form::Results,
     [](const SessionEntry& e) { return QVariant(e.results.truncated ? 1 : 0); },
     [](SessionEntry& e, const QVariant& v) { e.results.truncated = v.toBool(); }},
};

// `added` is the outbox's alone: the logbook shows no such thing.
bool Shown(const Field& f)
{
    return f.form != Form::Results && std::string_view(f.key) != "added";
}

// The JSON value of a field outside "results".
std::string JsonText(const Field& f, const SessionEntry& e)
{
    const QVariant v = f.get(e);
    if (v.isNull())
        return "null";
    switch (f.form) {
    case Form::Time:
        return JsonString(UtcIsoText(v.toLongLong()));
    case Form::Integer:
        return std::to_string(v.toLongLong());
    default:
        return JsonString(v.toString().toStdString());
    }
}

// One session in the JSON form; the outbox's copy has every digit and the time it was added.
std::string SessionJsonText(const SessionEntry& e, JsonNumbers numbers)
{
    std::string results = ResultJson(e.results, {}, numbers);
    if (!results.empty() && results.back() == '\n')
        results.pop_back();
    std::string out = "{";
    for (const Field& f : kFields)
        if (Shown(f) || (numbers == JsonNumbers::Exact && f.form != Form::Results))
            out += (out.size() > 1 ? ", " : "") + JsonString(f.key) + ": " + JsonText(f, e);
    return out + ", \"results\": " + results + "}";
}

// The JSON form back: what `logbook --json` shows of a session, and the outbox.
void ReadJsonForm(const QJsonObject& o, SessionEntry& e)
{
    const QJsonObject results = o.value("results").toObject();
    for (const Field& f : kFields) {
        const QJsonValue v = (f.form == Form::Results ? results : o).value(QLatin1String(f.key));
        f.set(e, f.form == Form::Time ? TimeOfText(v) : v.toVariant());
    }
    e.results.distanceMetres *= 1000;
    const QJsonObject filtered = results.value("filtered").toObject();
    for (const FilterReasonInfo& r : FilterReasons())
        e.results.filteredBy[size_t(r.reason)] = size_t(filtered.value(r.key).toInteger());
    for (const CategoryInfo& c : Categories()) {
        const QJsonObject best = results.value(c.key).toObject();
        const QVariant start = TimeOfText(best.value("start")), end = TimeOfText(best.value("end"));
        if (best.value("knots").isDouble() && !start.isNull() && !end.isNull())
            e.results.best[size_t(c.category)] =
                CategoryResult{best.value("knots").toDouble() * 1852 / 3600, start.toLongLong(), end.toLongLong(), {}, {}, {}};
    }
}

// Outbox rows queued by earlier versions: the columns' values, categories as [speed, start, end].
void ReadEarlierForm(const QJsonObject& o, SessionEntry& e)
{
    for (const Field& f : kFields)
        f.set(e, o.value(QLatin1String(f.earlierKey)).toVariant());
    const QJsonObject filtered = o.value("filtered").toObject();
    for (const FilterReasonInfo& r : FilterReasons())
        e.results.filteredBy[size_t(r.reason)] = size_t(filtered.value(r.key).toInteger());
    const QJsonObject categories = o.value("categories").toObject();
    for (const CategoryInfo& c : Categories()) {
        const QJsonArray v = categories.value(c.key).toArray();
        if (v.size() == 3)
            e.results.best[size_t(c.category)] = CategoryResult{v[0].toDouble(), v[1].toInteger(), v[2].toInteger(), {}, {}, {}};
    }
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
    return QJsonDocument::fromJson(QByteArray::fromStdString(SessionJsonText(e, JsonNumbers::Exact))).object();
}

bool SessionFromJson(const QJsonObject& o, SessionEntry& e)
{
    if (!o.value("sha256").isString() || !o.value("file").isString())
        return false;
    e = SessionEntry();
    if (o.value("results").isObject())
        ReadJsonForm(o, e);
    else
        ReadEarlierForm(o, e);
    e.results.records = e.results.pointsUsed + e.results.pointsFiltered;
    return true;
}

bool InsertSession(Database& db, const SessionEntry& e, bool& added, std::string& error)
{
    added = false;
    if (!db.begin(error))
        return false;
    QSqlQuery q(db.sql());
    q.prepare(InsertUnlessThere("sessions", kFields));
    for (const Field& f : kFields)
        q.addBindValue(f.get(e));
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
    q.prepare(QStringLiteral("SELECT ") + ColumnList(kFields) + QStringLiteral(" FROM sessions"
                             " ORDER BY start_ms IS NULL, start_ms DESC, sha256"));
    if (!Database::run(q, error))
        return false;
    std::map<std::string, size_t> index;
    while (q.next()) {
        SessionEntry e;
        for (int i = 0; i < int(std::size(kFields)); ++i)
            kFields[i].set(e, q.value(i));
        e.results.records = e.results.pointsUsed + e.results.pointsFiltered;
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
    for (size_t i = 0; i < sessions.size(); ++i)
        out += (i ? ",\n" : "\n") + SessionJsonText(sessions[i], JsonNumbers::Rounded);
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
