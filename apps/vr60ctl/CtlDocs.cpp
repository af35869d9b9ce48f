// --help, a command's help and the manual page of vr60ctl, printed from the command table
// (CtlCommands(), GlobalOptions(), ExitStatuses()) and the tables of the environment and
// files below: no text of a command is written twice.

#include "CtlDocs.h"

#include <cctype>
#include <cstdio>
#include <ostream>
#include <sstream>
#include <vector>

#include "CtlCommand.h"
#include "CtlStores.h"
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
    {"VR60Test.ini", "In the working directory: test-station settings and the operator options of the window. "
                     "When no file has that exact name, the one file whose name differs only in letter case "
                     "(vr60test.ini copied from Windows) is read and written back."},
    {"~/.config/TRAXELO/VR40LINK.conf",
     "The port and baud rate of the last successful connection, and the numbers given to USB ports."},
    {"~/.local/share/TRAXELO/VR40LINK/records.sqlite",
     "The local records database: the test records, the session logbook, and the outbox of records "
     "waiting for a database that could not be reached (--db and VR60_DB choose another)."},
    {"/usr/lib/udev/rules.d/60-vr60.rules",
     "Gives the logged-in user access to the logger and keeps ModemManager from probing it."},
};

constexpr size_t kWidth = 100;
constexpr size_t kTextColumn = 30;   // where a command's text starts in --help
constexpr size_t kOptionColumn = 15; // and an option's before the command

// What --help and the manual page say of the command line beside its tables.
constexpr const char* kNotes[] = {
    "An argument that starts with '-' goes after --, as in vr60ctl username -- -dash- (a negative number need "
    "not). A command's options go before, between or after its arguments (--out FILE or --out=FILE).",
    "Message-log lines and success boxes go to stdout, other message boxes to stderr.",
};
constexpr const char* kExitIntro = "The exit status is 0 on success, 2 for a bad command line, else the failing "
                                   "step's result code:";

std::string Joined(const std::vector<std::string>& words, const char* between)
{
    std::string text;
    for (const std::string& w : words)
        text += (text.empty() ? "" : between) + w;
    return text;
}

// The words of a synopsis; a bracketed group such as "[--clear | --no-clear]" is one.
std::vector<std::string> SynopsisWords(const std::string& synopsis)
{
    std::vector<std::string> words(1);
    int depth = 0;
    for (char c : synopsis) {
        depth += c == '[' ? 1 : c == ']' ? -1 : 0;
        if (c == ' ' && depth == 0)
            words.emplace_back();
        else
            words.back() += c;
    }
    return words;
}

std::string OptionSynopsis(const CommandOption& o)
{
    return std::string("--") + o.name + (o.needs ? std::string(" ") + (o.value ? o.value : "VALUE") : "");
}

// --no-NAME right after --NAME: the two are one choice.
bool Negates(const CommandOption& o, const CommandOption* before)
{
    return before && std::string(o.name) == std::string("no-") + before->name;
}

// The options of every form of the command, each once, in the table's order.
std::vector<CommandOption> CommandOptionsOf(const CtlCommand& command)
{
    std::vector<CommandOption> options;
    for (const CtlForm& f : command.forms)
        for (const CommandOption& o : f.options) {
            bool known = false;
            for (const CommandOption& k : options)
                known = known || std::string(k.name) == o.name;
            if (!known)
                options.push_back(o);
        }
    return options;
}

// What an option does, and what applies without it.
std::string OptionText(const CommandOption& o, const CommandOption* before)
{
    if (o.byDefault.empty())
        return o.help;
    return o.help + (Negates(o, before) ? "; without either: " : "; without it: ") + o.byDefault;
}

// A tag at two blanks and its text from `column`, wrapped at kWidth: the tag's words as a
// synopsis (continued under its second word), the text's at blanks ('\n' keeps a line break;
// two blanks stay two).
std::string Entry(const std::string& tag, const std::string& text, size_t column)
{
    std::string out, line = " ";
    const std::vector<std::string> tagWords = SynopsisWords(tag);
    const size_t hang = 2 + tagWords[0].size() + 1;
    for (const std::string& w : tagWords) {
        if (line.size() > hang && line.size() + 1 + w.size() > kWidth) {
            out += line + "\n";
            line = std::string(hang - 1, ' ');
        }
        line += " " + w;
    }
    if (text.empty())
        return out + line + "\n";
    if (line.size() + 2 > column) {
        out += line + "\n";
        line.clear();
    }
    line += std::string(column - line.size(), ' ');
    std::istringstream paragraphs(text);
    bool first = true;
    for (std::string paragraph; std::getline(paragraphs, paragraph); first = false) {
        if (!first) {
            out += line + "\n";
            line = std::string(column, ' ');
        }
        size_t gap = 0;
        std::istringstream words(paragraph);
        for (std::string w; std::getline(words, w, ' ');) {
            ++gap;
            if (w.empty())
                continue;
            if (line.size() > column && line.size() + gap + w.size() > kWidth) {
                out += line + "\n";
                line = std::string(column, ' ');
            } else if (line.size() > column) {
                line += std::string(gap, ' ');
            }
            line += w;
            gap = 0;
        }
    }
    return out + line + "\n";
}

// A paragraph at the margin, wrapped at kWidth.
std::string Paragraph(const std::string& text)
{
    std::string out, line;
    std::istringstream words(text);
    for (std::string w; words >> w;) {
        if (!line.empty() && line.size() + 1 + w.size() > kWidth) {
            out += line + "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + w;
    }
    return out + line + "\n";
}

std::string StatusCode(int code)
{
    char text[8];
    std::snprintf(text, sizeof text, "%3d", code);
    return text;
}

std::string GlobalSynopsis()
{
    std::string synopsis = "vr60ctl";
    for (const CommandOption& o : GlobalOptions())
        synopsis += " [" + OptionSynopsis(o) + "]";
    return synopsis + " COMMAND [ARGS]";
}

constexpr const char* kHelpSynopsis = "vr60ctl help [COMMAND] | COMMAND --help | --version";

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
    int depth = 0;   // inside brackets a blank does not break the line
    for (char c : synopsis) {
        if (c == ' ' || c == '[' || c == ']' || c == '|') {
            flush();
            depth += c == '[' ? 1 : c == ']' ? -1 : 0;
            out += c == ' ' && depth > 0 ? std::string("\\ ") : std::string(1, c);
        } else {
            word += c;
        }
    }
    flush();
    return out;
}

void PrintTagged(std::ostream& out, const std::string& synopsis, const std::string& text)
{
    out << ".TP\n" << RoffSynopsis(synopsis) << "\n" << (text.empty() ? std::string("\\&") : Roff(text)) << "\n";
}

} // namespace

std::string FormSynopsis(const CtlCommand& command, const CtlForm& form)
{
    std::vector<std::string> words = {command.name};
    if (form.word)
        words.push_back(form.word);
    for (const char* a : form.arguments)
        words.push_back(a);
    for (size_t i = 0; i < form.options.size(); ++i) {
        const CommandOption* before = i ? &form.options[i - 1] : nullptr;
        if (Negates(form.options[i], before))
            words.back().insert(words.back().size() - 1, " | " + OptionSynopsis(form.options[i]));
        else
            words.push_back("[" + OptionSynopsis(form.options[i]) + "]");
    }
    return Joined(words, " ");
}

std::string FormUsage(const CtlCommand& command, const CtlForm& form)
{
    std::vector<std::string> words = {command.name};
    if (form.word)
        words.push_back(form.word);
    if (!form.options.empty())
        words.push_back("[OPTIONS]");
    for (const char* a : form.arguments)
        words.push_back(a);
    return Joined(words, " ");
}

void PrintUsage(std::ostream& out)
{
    out << "usage: " << GlobalSynopsis() << "\n       " << kHelpSynopsis << "\n\n";
    const std::vector<CommandOption>& globals = GlobalOptions();
    for (size_t i = 0; i < globals.size(); ++i)
        out << Entry(OptionSynopsis(globals[i]), OptionText(globals[i], i ? &globals[i - 1] : nullptr), kOptionColumn);
    for (const char* note : kNotes)
        out << "\n" << Paragraph(note);
    out << "\n" << Paragraph(kExitIntro);
    for (const ExitStatus& s : ExitStatuses())
        out << Entry(StatusCode(s.code), s.meaning, 7);
    out << "\n";
    PrintEnvironmentHelp(out);
    out << LeftOutOfThisBuild();
    out << "\nvr60ctl COMMAND --help prints a command's options, what applies without them, and its exit "
           "statuses.\n\ncommands:\n";
    for (const CtlCommand& c : CtlCommands()) {
        for (const CtlForm& f : c.forms)
            out << Entry(FormSynopsis(c, f), f.text, kTextColumn);
        if (!c.note.empty())
            out << Entry("", c.note, kTextColumn);
    }
}

void PrintCommandHelp(std::ostream& out, const CtlCommand& command)
{
    const char* lead = "usage: ";
    for (const CtlForm& f : command.forms) {
        out << lead << "vr60ctl " << FormUsage(command, f) << "\n";
        lead = "       ";
    }
    out << "\n";
    for (const CtlForm& f : command.forms)
        out << Entry(FormSynopsis(command, f), f.text, kTextColumn);
    if (!command.note.empty())
        out << Entry("", command.note, kTextColumn);
    const std::vector<CommandOption> options = CommandOptionsOf(command);
    if (!options.empty())
        out << "\noptions:\n";
    for (size_t i = 0; i < options.size(); ++i)
        out << Entry(OptionSynopsis(options[i]), OptionText(options[i], i ? &options[i - 1] : nullptr), kTextColumn);
    out << "\n"
        << Paragraph(std::string("exit status: 0 on success, 2 for a bad command line, else the failing step's "
                                 "result code (vr60ctl --help lists them)") +
                     (command.statuses.empty() ? "." : "; among them:"));
    for (const CommandStatus& s : command.statuses)
        out << Entry(StatusCode(s.code), s.when, 7);
    std::vector<std::string> globals;
    for (const CommandOption& o : GlobalOptions())
        globals.push_back(std::string("--") + o.name);
    out << "\nThe options before the command (" << Joined(globals, ", ") << "): vr60ctl --help.\n";
}

void PrintManPage(std::ostream& out)
{
    out << ".\\\" Made by vr60ctl --help-man from its command table.\n"
        << ".TH VR60CTL 1 \"\" \"vr60ctl " << kProgramVersion << "\" \"User Commands\"\n"
        << ".nh\n.ad l\n.SH NAME\nvr60ctl \\- every operation of the VR60 Utility from the command line\n"
        << ".SH SYNOPSIS\n.nf\n"
        << RoffSynopsis(GlobalSynopsis()) << "\n" << RoffSynopsis(kHelpSynopsis) << "\n"
        << ".fi\n.SH DESCRIPTION\n"
        << "\\fBvr60ctl\\fR connects to a VR60 GPS speed and track logger on a USB serial port and runs "
           "the operations of the window \\fBvr60util\\fR(1): it reads and writes the settings, downloads "
           "and clears the log, converts \\fI.sbp\\fR logs, and analyses them. Each message\\-log line "
           "of an operation goes to standard output exactly as the window shows it.\n";
    for (const char* note : kNotes)
        out << ".PP\n" << Roff(note) << "\n";
    out << ".SH OPTIONS\n";
    const std::vector<CommandOption>& globals = GlobalOptions();
    for (size_t i = 0; i < globals.size(); ++i)
        PrintTagged(out, OptionSynopsis(globals[i]), OptionText(globals[i], i ? &globals[i - 1] : nullptr));
    out << ".SH COMMANDS\n";
    for (const CtlCommand& c : CtlCommands()) {
        for (const CtlForm& f : c.forms)
            PrintTagged(out, FormSynopsis(c, f), f.text);
        if (!c.note.empty())
            out << ".IP\n" << Roff(c.note) << "\n";
        const std::vector<CommandOption> options = CommandOptionsOf(c);
        if (options.empty() && c.statuses.empty())
            continue;
        out << ".RS\n";
        for (size_t i = 0; i < options.size(); ++i)
            PrintTagged(out, OptionSynopsis(options[i]), OptionText(options[i], i ? &options[i - 1] : nullptr));
        for (const CommandStatus& s : c.statuses)
            out << ".TP\nstatus \\fB" << s.code << "\\fR\n" << Roff(s.when) << "\n";
        out << ".RE\n";
    }
    out << ".SH EXIT STATUS\n" << Roff(kExitIntro) << "\n";
    for (const ExitStatus& s : ExitStatuses())
        out << ".TP\n\\fB" << s.code << "\\fR\n" << Roff(s.meaning) << "\n";
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
    out << "environment:\n";
    for (const DocEntry& e : kEnvironment)
        out << Entry(e.name, e.text, 22);
}
