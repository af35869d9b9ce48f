#include "prodtest/MinIni.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "platform/FileAccess.h"

namespace {

constexpr size_t kMaxSectionWrite = 507;
constexpr size_t kMaxKeyWrite = 508;
constexpr size_t kMaxLineWrite = 508;
const char kLineEnd[] = "\r\n";

bool IsWhite(unsigned char c)
{
    return static_cast<signed char>(c) <= 32 && c != 0;
}

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool SameName(const char* a, const char* b, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    return true;
}

// One piece of a line: at most 511 bytes, through the '\n' when it comes first.
// bytes holds everything read (NUL bytes included, so a copy loses nothing);
// text() is what the parser sees: up to the first NUL, as a C string would.
struct Line {
    std::string bytes;
    std::string text() const { return std::string(bytes.c_str()); }
};

// False at the end of the file; *error set when the read failed.
bool ReadLine(std::FILE* f, Line& line, bool* error)
{
    line.bytes.clear();
    int c = 0;
    while (line.bytes.size() < kIniLineBuffer - 1 && (c = std::fgetc(f)) != EOF) {
        line.bytes.push_back(char(c));
        if (c == '\n')
            break;
    }
    if (line.bytes.empty() && std::ferror(f))
        *error = true;
    return !line.bytes.empty();
}

size_t SkipWhite(const std::string& s, size_t at = 0)
{
    while (at < s.size() && IsWhite(static_cast<unsigned char>(s[at])))
        ++at;
    return at;
}

size_t TrimEnd(const std::string& s, size_t end)
{
    while (end > 0 && IsWhite(static_cast<unsigned char>(s[end - 1])))
        --end;
    return end;
}

// Whether the line (parser text) is a header naming section.
bool NamesSection(const std::string& text, const std::string& section)
{
    const size_t open = SkipWhite(text);
    if (open >= text.size() || text[open] != '[')
        return false;
    const size_t close = text.find(']', open);
    return close != std::string::npos && close == open + section.size() + 1 &&
           SameName(text.c_str() + open + 1, section.c_str(), section.size());
}

bool IsHeader(const std::string& text)
{
    const size_t at = SkipWhite(text);
    return at < text.size() && text[at] == '[';
}

size_t Separator(const std::string& text)
{
    const size_t eq = text.find('=');
    return eq != std::string::npos ? eq : text.find(':');
}

std::string Cut(const char* text, size_t limit)
{
    const size_t n = std::strlen(text);
    return std::string(text, n < limit ? n : limit);
}

// Writes the rewritten file, remembering whether the output is at the start of a line.
class Output {
public:
    explicit Output(OutputFile& f) : f_(f) {}

    void raw(const std::string& bytes)
    {
        if (bytes.empty())
            return;
        f_.write(bytes.data(), bytes.size());
        atLineStart_ = bytes.back() == '\n';
        empty_ = false;
    }
    // A line of our own: never glued to the end of a piece without a line end.
    void line(const std::string& text)
    {
        if (!atLineStart_)
            raw(kLineEnd);
        raw(text + kLineEnd);
    }
    void emptyLineUnlessFirst()
    {
        if (!empty_)
            line("");
    }
    // A copied line: leading white space removed, line end kept, dropped when empty.
    void copy(const Line& l)
    {
        const size_t at = SkipWhite(l.bytes);
        if (at < l.bytes.size())
            raw(l.bytes.substr(at));
    }
    void header(const Line& l)
    {
        emptyLineUnlessFirst();
        copy(l);
    }

private:
    OutputFile& f_;
    bool atLineStart_ = true;
    bool empty_ = true;
};

// Synced at close, so the rename never puts a file in place whose bytes are not on the disk yet.
constexpr OutputOptions kTempFileOptions{.syncOnClose = true};

// Closes the temporary file and puts it in place of the target; with readOk false, or on any failure, it is removed.
int Commit(OutputFile& out, bool readOk, const std::string& target)
{
    if (out.close() && readOk && ReplaceFileAtomically(out.name(), target))
        return 1;
    std::remove(out.name().c_str());
    return 0;
}

} // namespace

int IniGetString(const char* Section, const char* Key, const char* DefValue, char* Buffer, int BufferSize,
                 const char* Filename)
{
    if (!Buffer || BufferSize < 1 || !Key || !Filename)
        return 0;
    const std::string section = Section ? Section : "";
    const size_t keyLength = std::strlen(Key);
    std::string value;
    bool found = false;

    if (std::FILE* f = std::fopen(Filename, "rb")) {
        Line line;
        bool error = false;
        bool inSection = section.empty();
        while (!found && ReadLine(f, line, &error)) {
            const std::string text = line.text();
            if (!inSection) {
                inSection = NamesSection(text, section);
                continue;
            }
            if (IsHeader(text))
                break;
            const size_t sep = Separator(text);
            if (sep == std::string::npos)
                continue;
            const size_t keyStart = SkipWhite(text);
            const size_t keyEnd = TrimEnd(text, sep);
            if (keyEnd < keyStart || keyEnd - keyStart != keyLength || !SameName(text.c_str() + keyStart, Key, keyLength))
                continue;
            const size_t start = SkipWhite(text, sep + 1);
            const size_t end = TrimEnd(text, text.size());
            value = start < end ? text.substr(start, end - start) : std::string();
            if (!value.empty() && value.front() == '"' && value.back() == '"')
                value = value.size() >= 2 ? value.substr(1, value.size() - 2) : std::string();
            found = true;
        }
        std::fclose(f);
    }
    if (!found)
        value = DefValue ? DefValue : "";
    const size_t n = value.size() < size_t(BufferSize - 1) ? value.size() : size_t(BufferSize - 1);
    std::memcpy(Buffer, value.data(), n);
    Buffer[n] = '\0';
    return int(std::strlen(Buffer));
}

long IniGetLong(const char* Section, const char* Key, long DefValue, const char* Filename)
{
    char buffer[64];
    if (IniGetString(Section, Key, "", buffer, sizeof buffer, Filename) == 0)
        return DefValue;
    const char* p = buffer;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    long long value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > 2147483648LL)
            value = 2147483648LL;
    }
    if (negative)
        value = -value;
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return long(value);
}

namespace {

std::string LongText(long value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%ld", value);
    return text;
}

// Rewrites Filename through its temporary file, written with tempOptions.
int PutString(const char* Section, const char* Key, const char* Value, const char* Filename,
              const OutputOptions& tempOptions)
{
    if (!Filename)
        return 0;
    const std::string section = Section ? Cut(Section, kMaxSectionWrite) : "";
    const std::string key = Key ? Cut(Key, kMaxKeyWrite) : "";
    const bool writeKey = Key && Value;
    const std::string keyLine =
        writeKey ? key + "=" + Cut(Value, key.size() < kMaxLineWrite ? kMaxLineWrite - key.size() : 0) : "";
    const std::string target = Filename;
    const std::string temp = TemporaryNameFor(target);

    std::FILE* in = std::fopen(Filename, "rb");
    if (!in) {
        // Only a file that is really missing is created: one we may not read is left alone.
        if (errno != ENOENT)
            return 0;
        if (!writeKey)
            return 1;
        OutputFile out(temp, tempOptions);
        if (!out.open())
            return 0;
        Output o(out);
        if (!section.empty())
            o.line("[" + section + "]");
        o.line(keyLine);
        return Commit(out, true, target);
    }

    OutputFile out(temp, tempOptions);
    if (!out.open()) {
        std::fclose(in);
        return 0;
    }
    Output o(out);
    Line line;
    bool readError = false;
    bool done = false;

    // Up to the section's header.
    if (!section.empty()) {
        bool foundSection = false;
        while (ReadLine(in, line, &readError)) {
            const std::string text = line.text();
            if (NamesSection(text, section)) {
                foundSection = true;
                if (Key)
                    o.header(line);
                break;
            }
            if (IsHeader(text))
                o.header(line);
            else
                o.copy(line);
        }
        if (!foundSection) {
            if (writeKey) {
                o.line("");
                o.line("[" + section + "]");
                o.line(keyLine);
            }
            done = true;
        }
    }

    // Inside the section.
    bool copyRest = false;
    while (!done) {
        if (!ReadLine(in, line, &readError)) {
            if (writeKey) {
                o.line("");
                o.line(keyLine);
            }
            break;
        }
        const std::string text = line.text();
        if (IsHeader(text)) {
            if (writeKey) {
                o.line(keyLine);
                o.line("");
                o.copy(line);
            } else {
                o.header(line);
            }
            copyRest = true;
            break;
        }
        const size_t at = SkipWhite(text);
        const size_t sep = Separator(text);
        if (Key && sep != std::string::npos && sep == at + key.size() && SameName(text.c_str() + at, key.c_str(), key.size())) {
            if (Value)
                o.line(keyLine);
            copyRest = true;
            break;
        }
        if (Key)
            o.copy(line);
    }

    // Everything after.
    while (copyRest && ReadLine(in, line, &readError)) {
        if (IsHeader(line.text()))
            o.header(line);
        else
            o.copy(line);
    }
    readError = readError || std::ferror(in);
    std::fclose(in);
    return Commit(out, !readError, target);
}

} // namespace

int IniPutString(const char* Section, const char* Key, const char* Value, const char* Filename)
{
    return PutString(Section, Key, Value, Filename, kTempFileOptions);
}

int IniPutLong(const char* Section, const char* Key, long Value, const char* Filename)
{
    return IniPutString(Section, Key, LongText(Value).c_str(), Filename);
}

namespace {

// Copies the file into out; false when it cannot be read (errno tells) or out fails.
bool CopyInto(const std::string& from, OutputFile& out)
{
    std::FILE* in = std::fopen(from.c_str(), "rb");
    if (!in)
        return false;
    char buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0)
        out.write(buffer, n);
    const bool readOk = !std::ferror(in);
    std::fclose(in);
    return readOk && out.ok();
}

} // namespace

IniEdit::IniEdit(std::string file) : file_(std::move(file)), work_(file_ + ".edit") {}

IniEdit::~IniEdit()
{
    std::remove(work_.c_str());
}

bool IniEdit::start()
{
    started_ = true;
    std::remove(work_.c_str());
    OutputFile copy(work_);
    if (!copy.open())
        return ok_ = false;
    if (!CopyInto(file_, copy)) {
        const bool missing = errno == ENOENT && copy.ok();
        copy.close();
        std::remove(work_.c_str());
        // A missing file is created by the first write, as IniPutString would.
        return ok_ = missing;
    }
    return ok_ = copy.close();
}

bool IniEdit::putString(const char* section, const char* key, const char* value)
{
    if (ok_ && !started_)
        start();
    ok_ = ok_ && PutString(section, key, value, work_.c_str(), {}) != 0;
    return ok_;
}

bool IniEdit::putLong(const char* section, const char* key, long value)
{
    return putString(section, key, LongText(value).c_str());
}

bool IniEdit::commit()
{
    if (!ok_)
        std::remove(work_.c_str());
    if (!ok_ || !started_)
        return ok_;
    OutputFile out(TemporaryNameFor(file_), {.syncOnClose = true, .removeOnFailure = true});
    if (!out.open())
        return ok_ = false;
    if (!CopyInto(work_, out)) {
        // Nothing was written: the file was missing and stays so.
        const bool nothingWritten = errno == ENOENT && out.ok();
        out.close();
        std::remove(out.name().c_str());
        return ok_ = nothingWritten;
    }
    ok_ = out.close() && ReplaceFileAtomically(out.name(), file_);
    if (!ok_)
        std::remove(out.name().c_str());
    std::remove(work_.c_str());
    started_ = false;
    return ok_;
}
