#include "pointlog/PointLog.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/ResultCode.h"
#include "pointlog/Readers.h"
#include "sbp/SbpLogCheck.h"
#include "sbp/SbpRecord.h"

namespace {

// How much of a file recognition looks at: a few frames of every format.
constexpr size_t kRecogniseBytes = 4096;

LogFormat FormatOfExtension(const std::string& name)
{
    const size_t dot = name.find_last_of('.');
    const size_t slash = name.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return LogFormat::Unknown;
    std::string ext = name.substr(dot + 1);
    for (char& c : ext)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    for (LogFormat f : {LogFormat::Sbp, LogFormat::Sbn, LogFormat::Ubx, LogFormat::Oao, LogFormat::Gpy, LogFormat::Gpx}) {
        std::string n = LogFormatName(f);
        for (char& c : n)
            c = char(std::tolower(static_cast<unsigned char>(c)));
        if (ext == n)
            return f;
    }
    return LogFormat::Unknown;
}

bool LooksLikeSbp(const uint8_t* bytes, size_t size)
{
    SbpLogTally tally;
    tally.addImage(bytes, size);
    return tally.records > 0 && tally.looksLikeLog();
}

void ReadSbpImage(const std::vector<uint8_t>& bytes, const std::string& name, PointLog& log)
{
    const size_t skip = HasSbpHeader(bytes.data(), bytes.size()) ? std::min(bytes.size(), kSbpHeaderBytes) : 0;
    const size_t whole = (bytes.size() - skip) / 32 * 32;
    log.sbp.assign(bytes.begin() + long(skip), bytes.begin() + long(skip + whole));
    SbpLogTally tally;
    tally.add(log.sbp.data(), log.sbp.size() / 32);
    if (!tally.looksLikeLog()) {
        log.status = kNotALog;
        log.problem = NotALogText(name, tally);
    } else if (bytes.size() - skip > whole) {
        log.problem = "it ends in a partial record: its last " + std::to_string(bytes.size() - skip - whole) +
                      " bytes were left over";
    }
}

} // namespace

const char* LogFormatName(LogFormat f)
{
    switch (f) {
    case LogFormat::Sbp: return "SBP";
    case LogFormat::Sbn: return "SBN";
    case LogFormat::Ubx: return "UBX";
    case LogFormat::Oao: return "OAO";
    case LogFormat::Gpy: return "GPY";
    case LogFormat::Gpx: return "GPX";
    case LogFormat::Unknown: break;
    }
    return "?";
}

LogFormat RecogniseLogFormat(const uint8_t* bytes, size_t size, const std::string& name)
{
    const size_t n = std::min(size, kRecogniseBytes);
    // The framed formats first: their syncs and checks do not happen by chance,
    // while any 32 bytes may pass for an SBP record.
    std::vector<LogFormat> matches;
    if (LooksLikeGpx(bytes, n))
        matches.push_back(LogFormat::Gpx);
    if (LooksLikeOao(bytes, n))
        matches.push_back(LogFormat::Oao);
    if (LooksLikeGpy(bytes, n))
        matches.push_back(LogFormat::Gpy);
    if (LooksLikeUbx(bytes, n))
        matches.push_back(LogFormat::Ubx);
    if (LooksLikeSbn(bytes, n))
        matches.push_back(LogFormat::Sbn);
    if (LooksLikeSbp(bytes, n))
        matches.push_back(LogFormat::Sbp);
    if (matches.empty())
        return LogFormat::Unknown;
    const LogFormat named = FormatOfExtension(name);
    return std::find(matches.begin(), matches.end(), named) != matches.end() ? named : matches.front();
}

PointLog ReadPointLogImage(const std::vector<uint8_t>& bytes, const std::string& name)
{
    PointLog log;
    if (bytes.empty()) {
        log.status = kEmptyFile;
        log.problem = "the file is empty";
        return log;
    }
    log.format = RecogniseLogFormat(bytes.data(), bytes.size(), name);
    switch (log.format) {
    case LogFormat::Sbp: ReadSbpImage(bytes, name, log); return log;
    case LogFormat::Sbn: ReadSbn(bytes.data(), bytes.size(), log); break;
    case LogFormat::Ubx: ReadUbx(bytes.data(), bytes.size(), log); break;
    case LogFormat::Oao: ReadOao(bytes.data(), bytes.size(), log); break;
    case LogFormat::Gpy: ReadGpy(bytes.data(), bytes.size(), log); break;
    case LogFormat::Gpx: ReadGpx(bytes.data(), bytes.size(), log); break;
    case LogFormat::Unknown: {
        // Told as the .sbp check tells it: which rules the records fail.
        SbpLogTally tally;
        tally.addImage(bytes.data(), bytes.size());
        log.status = kNotALog;
        log.problem = NotALogText(name, tally) + " (nor an SBN, UBX, OAO, GPY or GPX log)";
        return log;
    }
    }
    if (log.sbp.empty()) {
        log.status = kNotALog;
        if (log.problem.empty())
            log.problem = std::string("the ") + LogFormatName(log.format) + " file holds no point";
        else
            log.problem = "no point was read: " + log.problem;
    }
    return log;
}

PointLog ReadPointLog(const std::string& name)
{
    PointLog log;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::fopen(name.c_str(), "rb"), &std::fclose);
    if (!in) {
        log.status = kCannotOpen;
        log.problem = "cannot open " + name + ": " + std::strerror(errno);
        return log;
    }
    std::vector<uint8_t> bytes;
    uint8_t block[1 << 16];
    size_t got = 0;
    while ((got = std::fread(block, 1, sizeof block, in.get())) > 0)
        bytes.insert(bytes.end(), block, block + got);
    if (std::ferror(in.get())) {
        log.status = kCannotOpen;
        log.problem = "cannot read " + name + ": " + std::strerror(errno);
        return log;
    }
    return ReadPointLogImage(bytes, name);
}
