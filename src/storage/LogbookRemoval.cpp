#include "storage/LogbookRemoval.h"

#include <QCryptographicHash>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QVariant>

#include "analysis/ResultText.h"
#include "storage/Database.h"

namespace {

bool IsHashPrefix(const std::string& text)
{
    return text.size() >= 8 && text.size() <= 64 && text.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
}

bool IsDay(const std::string& text)
{
    return text.size() == 10 && QDate::fromString(QString::fromStdString(text), QStringLiteral("yyyy-MM-dd")).isValid();
}

// Empty when the file cannot be read.
std::string ContentHash(const QString& file)
{
    QFile in(file);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!in.open(QIODevice::ReadOnly) || !hash.addData(&in))
        return {};
    return hash.result().toHex().toStdString();
}

} // namespace

std::vector<SessionEntry> SessionsNamedBy(const std::vector<SessionEntry>& sessions, const std::string& what)
{
    std::vector<SessionEntry> named;
    if (IsHashPrefix(what)) {
        const std::string prefix = QString::fromStdString(what).toLower().toStdString();
        for (const SessionEntry& e : sessions)
            if (e.sha256.compare(0, prefix.size(), prefix) == 0)
                named.push_back(e);
        return named;
    }
    if (IsDay(what)) {
        for (const SessionEntry& e : sessions)
            if (e.startMs && UtcTableText(*e.startMs).compare(0, 10, what) == 0)
                named.push_back(e);
        return named;
    }
    const QString file = QString::fromStdString(what);
    const std::string path = QFileInfo(file).absoluteFilePath().toStdString();
    const std::string content = ContentHash(file);
    for (const SessionEntry& e : sessions)
        if (e.file == path || e.sha256 == content)
            named.push_back(e);
    return named;
}

bool RemoveSessions(Database& db, const std::vector<std::string>& sha256s, std::string& error)
{
    if (!db.begin(error))
        return false;
    // The results first: they refer to their session.
    static const char* const kStatements[] = {"DELETE FROM session_results WHERE sha256 = ?",
                                              "DELETE FROM session_filtered WHERE sha256 = ?",
                                              "DELETE FROM sessions WHERE sha256 = ?"};
    for (const std::string& sha256 : sha256s)
        for (const char* statement : kStatements) {
            QSqlQuery q(db.sql());
            q.prepare(QString::fromLatin1(statement));
            q.addBindValue(QString::fromStdString(sha256));
            if (!Database::run(q, error)) {
                db.rollback();
                return false;
            }
        }
    return db.commit(error);
}
