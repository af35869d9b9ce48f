// The manual page, read off the --help text and the command table, the environment and
// files it documents, and the check that the command table and the help text agree.
//
// The help text is laid out in entries: a line indented by at most five blanks starts one
// ("  --port PORT  text", "  download [--out FILE]", "   10  text"), its synopsis running
// up to the first double blank; lines indented deeper continue its text. Lines at the
// margin are paragraphs, "environment:" ends the part before the variables and the command table.

#include "CtlDocs.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <sstream>
#include <vector>

#include "CtlCommand.h"
#include "connection/ConnectionSequence.h"
#include "program/Program.h"

namespace {

struct DocEntry {
    const char* name;
    const char* text;
};

const DocEntry kEnvironment[] = {
    {"VR60_TRACE=FILE", "append a hex dump of every byte block sent and received to FILE, for bug reports; "
                        "a FILE that cannot be written is a command-line error (status 2)"},
    {"VR60_DB=URL", "the records database when --db is not given, in the same forms; unset or empty: the "
                    "local default"},
    {"VR60_PORT_DIR=DIR", "the port-alias folder: symlinks named COMn in it are listed as ports (vr60sim "
                          "publishes its pseudo-terminal there); without it $XDG_RUNTIME_DIR/vr60-ports, else "
                          "/tmp/vr60-ports-UID"},
    {"XDG_RUNTIME_DIR", "holds the port-alias folder vr60-ports when VR60_PORT_DIR is not set"},
    {"XDG_CONFIG_HOME", "holds the settings file TRAXELO/VR40LINK.conf (default ~/.config)"},
    {"XDG_DATA_HOME", "holds the local records database TRAXELO/VR40LINK/records.sqlite (default ~/.local/share)"},
};

const DocEntry kFiles[] = {
    {"VR60Test.ini", "In the working directory: test-station settings and the operator options of the window."},
    {"~/.config/TRAXELO/VR40LINK.conf",
     "The port and baud rate of the last successful connection, and the numbers given to USB ports."},
    {"~/.local/share/TRAXELO/VR40LINK/records.sqlite",
     "The local records database: the test records, the session logbook, and the outbox of records "
     "waiting for a database that could not be reached (--db and VR60_DB choose another)."},
    {"/usr/lib/udev/rules.d/60-vr60.rules",
     "Gives the logged-in user access to the logger and keeps ModemManager from probing it."},
};

struct Entry {
    std::string synopsis;
    std::string text;
};

// The help text before "commands:", sorted by kind.
struct UsageParts {
    std::vector<std::string> synopses;     // the "usage:" lines
    std::vector<std::string> description;  // paragraphs
    std::string exitIntro;                 // the paragraph before the exit codes
    std::vector<Entry> options;
    std::vector<Entry> exitCodes;
};

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

size_t Indent(const std::string& line)
{
    const size_t at = line.find_first_not_of(' ');
    return at == std::string::npos ? line.size() : at;
}

std::string Trim(const std::string& s)
{
    const size_t a = s.find_first_not_of(' ');
    return a == std::string::npos ? std::string() : s.substr(a, s.find_last_not_of(' ') - a + 1);
}

std::vector<std::string> Words(const std::string& s)
{
    std::vector<std::string> words;
    std::istringstream in(s);
    for (std::string w; in >> w;)
        words.push_back(w);
    return words;
}

// Joins a wrapped line to the text before it; a comma list cut at a comma stays one word,
// and a line that explains a placeholder ("SLOTS: ...") stays a line of its own.
void Continue(std::string& text, const std::string& more)
{
    if (text.empty()) {
        text = more;
        return;
    }
    const size_t colon = more.find(": ");
    bool note = colon != std::string::npos && colon > 0;
    for (size_t i = 0; note && i < colon; ++i)
        note = std::isupper(static_cast<unsigned char>(more[i]));
    // A line of NAME=VALUE forms (the settings) stays a line too.
    const size_t eq = more.find('=');
    note = note || (eq != std::string::npos && eq < more.find(' ') && std::islower(static_cast<unsigned char>(more[0])));
    const std::string last = text.substr(text.find_last_of(' ') + 1);
    const bool cutList = last.size() > 1 && last.back() == ',' && last.find(',') + 1 < last.size();
    text += (note ? "\n" : cutList ? "" : " ") + more;
}

void AddLine(std::vector<Entry>& entries, const std::string& line)
{
    if (Indent(line) > 5 && !entries.empty()) {
        Continue(entries.back().text, Trim(line));
        return;
    }
    const std::string body = Trim(line);
    const size_t gap = body.find("  ");
    entries.push_back({body.substr(0, gap), gap == std::string::npos ? std::string() : Trim(body.substr(gap))});
}

UsageParts ParseUsage(const std::string& usage)
{
    UsageParts parts;
    std::string paragraph;
    std::vector<Entry>* entries = nullptr;
    auto endParagraph = [&](bool beforeEntries) {
        if (paragraph.empty())
            return;
        if (beforeEntries && parts.exitIntro.empty() && entries == &parts.exitCodes)
            parts.exitIntro = paragraph;
        else
            parts.description.push_back(paragraph);
        paragraph.clear();
    };
    for (const std::string& line : Lines(usage)) {
        if (line == "environment:")
            break;
        if (line.rfind("usage: ", 0) == 0 || (Indent(line) > 5 && line.find("vr60ctl ") == Indent(line))) {
            parts.synopses.push_back(Trim(line.rfind("usage: ", 0) == 0 ? line.substr(7) : line));
            continue;
        }
        if (Trim(line).empty()) {
            endParagraph(false);
            continue;
        }
        if (Indent(line) == 0) {
            Continue(paragraph, line);
            continue;
        }
        if (Indent(line) <= 5) {
            const bool code = std::isdigit(static_cast<unsigned char>(line[Indent(line)]));
            entries = code ? &parts.exitCodes : &parts.options;
            endParagraph(true);
        }
        if (entries)
            AddLine(*entries, line);
    }
    endParagraph(false);
    return parts;
}

std::vector<Entry> CommandEntries(const CtlCommand& command)
{
    std::vector<Entry> entries;
    for (const std::string& line : Lines(command.usage))
        if (!Trim(line).empty())
            AddLine(entries, line);
    return entries;
}

// ---- roff ----

// A UTF-8 sequence starting at text[i] as groff's \[uXXXX] (groff reads its input as
// Latin-1); i moves to the sequence's last byte. A byte that starts no sequence becomes '?'.
std::string RoffCharacter(const std::string& text, size_t& i)
{
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned lead = byte(i);
    const size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (length == 0 || i + length > text.size())
        return "?";
    unsigned code = lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return "?";
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    i += length - 1;
    char name[16];
    std::snprintf(name, sizeof name, "\\[u%04X]", code);
    return name;
}

// Every '-' is typed as ASCII by whoever copies a command from the page, hence "\-".
std::string Roff(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ',' && i + 1 < text.size() && text[i + 1] != ' ')
            out += ",\\:";   // a long comma list may break after any comma
        else if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else if (c == '\n')
            out += "\n.br\n";
        else if (static_cast<unsigned char>(c) >= 0x80)
            out += RoffCharacter(text, i);
        else
            out += c;
    }
    if (!out.empty() && (out[0] == '.' || out[0] == '\''))
        out.insert(0, "\\&");
    return out;
}

bool HasLower(const std::string& word)
{
    for (char c : word)
        if (std::islower(static_cast<unsigned char>(c)))
            return true;
    return false;
}

// A synopsis with what is typed as it stands (and exit codes) in bold, the placeholders in italics.
std::string RoffSynopsis(const std::string& synopsis)
{
    std::string out;
    std::string word;
    auto flush = [&] {
        if (word.empty())
            return;
        if (word == "...")
            out += word;
        else if (word[0] == '-' || HasLower(word) || word.find_first_not_of("0123456789") == std::string::npos)
            out += "\\fB" + Roff(word) + "\\fR";
        else
            out += "\\fI" + Roff(word) + "\\fR";
        word.clear();
    };
    for (char c : synopsis) {
        if (c == ' ' || c == '[' || c == ']' || c == '|') {
            flush();
            out += c;
        } else {
            word += c;
        }
    }
    flush();
    return out;
}

void PrintTagged(std::ostream& out, const Entry& e)
{
    out << ".TP\n" << RoffSynopsis(e.synopsis) << "\n" << (e.text.empty() ? std::string("\\&") : Roff(e.text)) << "\n";
}

} // namespace

void PrintManPage(std::ostream& out, const std::string& usage)
{
    const UsageParts parts = ParseUsage(usage);
    out << ".\\\" Made by vr60ctl --help-man from the text of vr60ctl --help.\n"
        << ".TH VR60CTL 1 \"\" \"vr60ctl " << kProgramVersion << "\" \"User Commands\"\n"
        << ".nh\n.ad l\n.SH NAME\nvr60ctl \\- every operation of the VR60 Utility from the command line\n"
        << ".SH SYNOPSIS\n.nf\n";
    for (const std::string& s : parts.synopses)
        out << RoffSynopsis(s) << "\n";
    out << ".fi\n.SH DESCRIPTION\n"
        << "\\fBvr60ctl\\fR connects to a VR60 GPS speed and track logger on a USB serial port and runs "
           "the operations of the window \\fBvr60util\\fR(1): it reads and writes the settings, downloads "
           "and clears the log, converts \\fI.sbp\\fR logs, and analyses them. Each message\\-log line "
           "of an operation goes to standard output exactly as the window shows it.\n";
    for (const std::string& p : parts.description)
        out << ".PP\n" << Roff(p) << "\n";
    out << ".SH OPTIONS\n";
    for (const Entry& e : parts.options)
        PrintTagged(out, e);
    out << ".SH COMMANDS\n";
    for (const CtlCommand& command : CtlCommands())
        for (const Entry& e : CommandEntries(command))
            PrintTagged(out, e);
    out << ".SH EXIT STATUS\n" << Roff(parts.exitIntro) << "\n";
    for (const Entry& e : parts.exitCodes)
        PrintTagged(out, e);
    out << ".SH ENVIRONMENT\n";
    for (const DocEntry& e : kEnvironment) {
        const std::string name = e.name;
        const size_t eq = name.find('=');
        out << ".TP\n\\fB" << Roff(name.substr(0, eq)) << "\\fR";
        if (eq != std::string::npos)
            out << "=\\fI" << Roff(name.substr(eq + 1)) << "\\fR";
        out << "\n" << Roff(e.text) << "\n";
    }
    out << ".SH FILES\n";
    for (const DocEntry& e : kFiles)
        out << ".TP\n\\fI" << Roff(e.name) << "\\fR\n" << Roff(e.text) << "\n";
    out << ".SH SEE ALSO\n\\fBvr60util\\fR(1), \\fBvr60view\\fR(1)\n";
}

void PrintEnvironmentHelp(std::ostream& out)
{
    constexpr size_t kIndent = 22, kWidth = 100;
    out << "environment:\n";
    for (const DocEntry& e : kEnvironment) {
        std::string line = "  " + std::string(e.name);
        line += std::string(line.size() < kIndent ? kIndent - line.size() : 1, ' ');
        size_t used = 0;   // words on the line
        for (const std::string& word : Words(e.text)) {
            if (used && line.size() + 1 + word.size() > kWidth) {
                out << line << "\n";
                line = std::string(kIndent, ' ');
                used = 0;
            }
            line += (used++ ? " " : "") + word;
        }
        out << line << "\n";
    }
}

bool CommandTableMatchesHelp(std::ostream& err)
{
    bool matches = true;
    auto mismatch = [&](const CtlCommand& c, const std::string& what) {
        err << "vr60ctl: the command table and the help of " << c.name << " differ: " << what << "\n";
        matches = false;
    };
    for (const CtlCommand& c : CtlCommands()) {
        // The help's sub-commands: the second word of a synopsis when it is typed as it stands.
        std::vector<std::string> helpWords;
        for (const Entry& e : CommandEntries(c)) {
            const std::vector<std::string> words = Words(e.synopsis);
            std::string second = words.size() > 1 ? words[1] : "";
            second.erase(std::remove_if(second.begin(), second.end(), [](char ch) { return ch == '[' || ch == ']'; }),
                         second.end());
            std::istringstream alternatives(second);
            for (std::string word; std::getline(alternatives, word, '|');)
                if (HasLower(word) && word[0] != '-')
                    helpWords.push_back(word);
        }
        std::vector<std::string> tableWords, tableOptions;
        for (const CtlForm& f : c.forms) {
            if (f.word)
                tableWords.push_back(f.word);
            for (const CommandOption& o : f.options)
                tableOptions.push_back(o.name);
        }
        std::vector<std::string> helpOptions;
        for (const std::string& word : Words(c.usage)) {
            const size_t at = word.find("--");
            if (at == std::string::npos)
                continue;
            const size_t end = word.find_first_not_of("abcdefghijklmnopqrstuvwxyz-", at + 2);
            const std::string name = word.substr(at + 2, end == std::string::npos ? end : end - at - 2);
            bool global = false;
            for (const CommandOption& o : GlobalOptions())
                global = global || name == o.name;
            if (!global && !name.empty())
                helpOptions.push_back(name);
        }
        const auto missing = [](const std::vector<std::string>& from, const std::vector<std::string>& in) {
            for (const std::string& w : from)
                if (std::find(in.begin(), in.end(), w) == in.end())
                    return w;
            return std::string();
        };
        if (const std::string w = missing(tableWords, helpWords); !w.empty())
            mismatch(c, "the help has no sub-command " + w);
        if (const std::string w = missing(helpWords, tableWords); !w.empty())
            mismatch(c, "the table has no sub-command " + w);
        if (const std::string o = missing(tableOptions, helpOptions); !o.empty())
            mismatch(c, "the help has no --" + o);
        if (const std::string o = missing(helpOptions, tableOptions); !o.empty())
            mismatch(c, "the table has no --" + o);
    }
    return matches;
}
