// The manual page and the bash completion, read off the --help text and the command table.
//
// The help text is laid out in entries: a line indented by at most five blanks starts one
// ("  --port PORT  text", "  download [--out FILE]", "   10  text"), its synopsis running
// up to the first double blank; lines indented deeper continue its text. Lines at the
// margin are paragraphs, "commands:" ends the part before the command table.

#include "CtlDocs.h"

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

struct Entry {
    std::string synopsis;
    std::string text;
};

// The help text before "commands:", sorted by kind.
struct UsageParts {
    std::vector<std::string> synopses;     // the "usage:" lines
    std::vector<std::string> description;  // paragraphs
    std::vector<std::string> environment;  // paragraphs that start with a variable (NAME=...)
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
        const size_t eq = paragraph.find('=');
        const bool variable = eq != std::string::npos && eq > 0 && paragraph.find(' ') > eq;
        if (beforeEntries && parts.exitIntro.empty() && entries == &parts.exitCodes)
            parts.exitIntro = paragraph;
        else
            (variable ? parts.environment : parts.description).push_back(paragraph);
        paragraph.clear();
    };
    for (const std::string& line : Lines(usage)) {
        if (line == "commands:")
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

// ---- completion data ----

std::string Joined(const std::vector<std::string>& words)
{
    std::string s;
    for (const std::string& w : words)
        s += (s.empty() ? "" : " ") + w;
    return s;
}

std::string Strip(std::string word)
{
    std::string out;
    for (char c : word)
        if (c != '[' && c != ']')
            out += c;
    return out;
}

bool IsPlaceholder(const std::string& word)
{
    bool upper = false;
    for (char c : word)
        upper = upper || std::isupper(static_cast<unsigned char>(c));
    return upper && word[0] != '-' && !HasLower(word);
}

// Adds word unless it is there already; true when added.
bool AddOnce(std::vector<std::string>& words, const std::string& word)
{
    for (const std::string& w : words)
        if (w == word)
            return false;
    words.push_back(word);
    return true;
}

// One synopsis of a command: its second word when that is literal (alternatives split at
// '|'), its options (--opt, or --opt=ARG when one follows) and its positional placeholders.
struct Usage {
    std::vector<std::string> subwords;
    std::vector<std::string> accepts;   // what the command takes after them
};

Usage ReadSynopsis(const std::string& synopsis)
{
    Usage u;
    const std::vector<std::string> words = Words(synopsis);
    size_t i = 1;
    if (i < words.size() && Strip(words[i])[0] != '-' && HasLower(words[i])) {
        std::istringstream alternatives(Strip(words[i]));
        for (std::string a; std::getline(alternatives, a, '|');)
            u.subwords.push_back(a);
        ++i;
    }
    for (; i < words.size(); ++i) {
        const std::string w = Strip(words[i]);
        if (w.rfind("--", 0) == 0) {
            const bool takesValue = words[i].back() != ']' && i + 1 < words.size() && IsPlaceholder(Strip(words[i + 1]));
            u.accepts.push_back(takesValue ? w + "=" + Strip(words[++i]) : w);
        } else if (IsPlaceholder(w)) {
            u.accepts.push_back(w);
        }
    }
    return u;
}

// "LIST: a,b,c" in a text: the values of that placeholder.
std::vector<std::string> ListValues(const std::string& text, const std::string& placeholder)
{
    std::vector<std::string> values;
    const size_t at = text.find(placeholder + ": ");
    if (at == std::string::npos)
        return values;
    std::string list = text.substr(at + placeholder.size() + 2);
    list = list.substr(0, list.find_first_of(" ;"));
    if (list.find(',') == std::string::npos)
        return values;
    std::istringstream in(list);
    for (std::string v; std::getline(in, v, ',');)
        if (!v.empty())
            values.push_back(v);
    return values;
}

// "name=A|B" or "name=0..15" in the settings text: the setting's name and its values.
struct Setting {
    std::string name;
    std::vector<std::string> values;
};

std::vector<Setting> Settings(const std::string& text)
{
    std::vector<Setting> settings;
    for (const std::string& word : Words(text)) {
        const size_t eq = word.find('=');
        if (eq == std::string::npos || eq == 0 || !std::islower(static_cast<unsigned char>(word[0])))
            continue;
        Setting s{word.substr(0, eq), {}};
        const std::string value = word.substr(eq + 1);
        const size_t range = value.find("..");
        if (value.find('|') != std::string::npos) {
            std::istringstream in(value);
            for (std::string v; std::getline(in, v, '|');)
                s.values.push_back(v);
        } else if (range != std::string::npos && value.find(':') == std::string::npos) {
            const long low = std::strtol(value.c_str(), nullptr, 10);
            const long high = std::strtol(value.c_str() + range + 2, nullptr, 10);
            for (long v = low; v <= high && high - low <= 100; ++v)
                s.values.push_back(std::to_string(v));
        }
        settings.push_back(s);
    }
    return settings;
}

std::string Quoted(const std::string& s)
{
    return "'" + s + "'";
}

constexpr const char* kCompletionBody = R"(
# The words typed so far, split at blanks only: '=' and ':' stay inside a word.
_vr60ctl() {
    local line=${COMP_LINE:0:COMP_POINT} words
    read -ra words <<< "$line"
    [[ -z $line || $line == *[[:space:]] ]] && words+=('')
    local n=$(( ${#words[@]} - 1 ))
    local cur=${words[n]} prev=${words[n-1]} i=1 w
    COMPREPLY=()
    while (( i < n )); do
        case ${words[i]} in
            --port|--baud) i=$((i + 2)) ;;
            -*) i=$((i + 1)) ;;
            *) break ;;
        esac
    done
    if (( i >= n )); then
        case $prev in
            --port) _vr60ctl_reply "$cur" $(command vr60ctl ports 2>/dev/null |
                        sed -n 's/^COM *\([0-9][0-9]*\) *\([^ ]*\).*/COM\1 \2/p') ;;
            --baud) _vr60ctl_reply "$cur" $_vr60ctl_bauds ;;
            *) if [[ $cur == -* ]]; then _vr60ctl_reply "$cur" $_vr60ctl_options
               else _vr60ctl_reply "$cur" help $_vr60ctl_commands; fi ;;
        esac
        return
    fi
    local cmd=${words[i]} key=${words[i]} j=$((i + 1))
    if [[ $cmd == help ]]; then
        (( n == j )) && _vr60ctl_reply "$cur" $_vr60ctl_commands
        return
    fi
    local subs
    subs=$(_vr60ctl_subcommands "$cmd")
    if [[ -n $subs ]]; then
        if (( n == j )); then
            if [[ $cur == -* ]]; then _vr60ctl_reply "$cur" --help; else _vr60ctl_reply "$cur" $subs; fi
            return
        fi
        key="$cmd ${words[j]}"
        j=$((j + 1))
    fi
    local accepted opts=--help args=()
    accepted=$(_vr60ctl_line "$key")
    for w in $accepted; do
        if [[ $w == -* ]]; then opts+=" ${w%%=*}"; else args+=("$w"); fi
    done
    if [[ $prev == --* && " $accepted " == *" $prev="* ]] && (( n - 1 >= j )); then
        w=" $accepted "; w=${w#*" $prev="}
        _vr60ctl_argument "${w%% *}" "$cur"
        return
    fi
    if [[ $cur == -* ]]; then
        _vr60ctl_reply "$cur" $opts
        return
    fi
    local count=0
    for (( ; j < n; j++ )); do
        w=${words[j]}
        if [[ $w == -* ]]; then
            [[ " $accepted " == *" $w="* ]] && j=$((j + 1))
        else
            count=$((count + 1))
        fi
    done
    (( ${#args[@]} )) || return
    (( count < ${#args[@]} )) || count=$(( ${#args[@]} - 1 ))
    _vr60ctl_argument "${args[count]}" "$cur"
}

# Completes the argument that PLACEHOLDER stands for.
_vr60ctl_argument() {
    local values c
    case $1 in
        FILE)
            local IFS=$'\n'
            compopt -o filenames 2>/dev/null
            COMPREPLY=($(compgen -f -- "${COMP_WORDS[COMP_CWORD]}")) ;;
        NAME=VALUE)
            if [[ $2 == *=* ]]; then
                values=()
                for c in $(_vr60ctl_setting_values "${2%%=*}"); do values+=("${2%%=*}=$c"); done
                _vr60ctl_reply "$2" "${values[@]}"
            else
                compopt -o nospace 2>/dev/null
                _vr60ctl_reply "$2" $(for c in $_vr60ctl_settings; do echo "$c="; done)
            fi ;;
        *)
            values=$(_vr60ctl_list "$1")
            [[ -z $values ]] && return
            local head=
            [[ $2 == *,* ]] && head=${2%,*},
            _vr60ctl_reply "$2" $(for c in $values; do echo "$head$c"; done) ;;
    esac
}

# The candidates that start with CURRENT, cut to what readline replaces: the part after
# the last word-break character (such as '=' or ':') in the word.
_vr60ctl_reply() {
    local cur=$1 c k cut=0
    shift
    for c in "$@"; do
        [[ $c == "$cur"* ]] && COMPREPLY+=("$c")
    done
    for (( k = 0; k < ${#cur}; k++ )); do
        [[ $COMP_WORDBREAKS == *"${cur:k:1}"* ]] && cut=$((k + 1))
    done
    for k in "${!COMPREPLY[@]}"; do
        COMPREPLY[k]=${COMPREPLY[k]:cut}
    done
}

complete -F _vr60ctl vr60ctl
)";

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
    if (!parts.environment.empty()) {
        out << ".SH ENVIRONMENT\n";
        for (const std::string& p : parts.environment)
            out << ".PP\n" << Roff(p) << "\n";
    }
    out << ".SH FILES\n"
           ".TP\n\\fIVR60Test.ini\\fR\n"
           "In the working directory: test\\-station settings and the operator options of the window.\n"
           ".TP\n\\fI~/.config/TRAXELO/VR40LINK.conf\\fR\n"
           "The port and baud rate of the last successful connection, and the numbers given to USB ports.\n"
           ".TP\n\\fI/usr/lib/udev/rules.d/60\\-vr60.rules\\fR\n"
           "Gives the logged\\-in user access to the logger and keeps ModemManager from probing it.\n"
           ".SH SEE ALSO\n\\fBvr60util\\fR(1), \\fBvr60view\\fR(1)\n";
}

void PrintBashCompletion(std::ostream& out, const std::string& usage)
{
    const UsageParts parts = ParseUsage(usage);
    std::vector<std::string> commands, options, bauds;
    for (const CtlCommand& c : CtlCommands())
        commands.push_back(c.name);
    for (const std::string& s : parts.synopses)
        for (const std::string& w : Words(s))
            if (Strip(w).rfind("-", 0) == 0)
                AddOnce(options, Strip(w));
    for (const Entry& e : parts.options)
        AddOnce(options, Words(e.synopsis)[0]);
    for (long rate : kBaudRates)
        bauds.push_back(std::to_string(rate));

    out << "# bash completion for vr60ctl, made by vr60ctl --completion bash from its --help.\n\n"
        << "_vr60ctl_commands=" << Quoted(Joined(commands)) << "\n"
        << "_vr60ctl_options=" << Quoted(Joined(options)) << "\n"
        << "_vr60ctl_bauds=" << Quoted(Joined(bauds)) << "\n";

    std::ostringstream subs, lines, lists, values;
    std::vector<Setting> settings;
    std::vector<std::string> listed;
    for (const CtlCommand& command : CtlCommands()) {
        std::vector<std::string> commandSubs;
        std::string text;
        for (const Entry& e : CommandEntries(command)) {
            const Usage u = ReadSynopsis(e.synopsis);
            commandSubs.insert(commandSubs.end(), u.subwords.begin(), u.subwords.end());
            for (const std::string& key : u.subwords.empty() ? std::vector<std::string>{""} : u.subwords)
                if (!u.accepts.empty())
                    lines << "        " << Quoted(command.name + (key.empty() ? "" : " " + key)) << ") echo "
                          << Quoted(Joined(u.accepts)) << " ;;\n";
            Continue(text, e.text);
            for (const std::string& w : u.accepts) {
                const size_t eq = w.find('=');
                const std::string placeholder = w[0] == '-' && eq != std::string::npos ? w.substr(eq + 1) : w;
                const std::vector<std::string> list = ListValues(text, placeholder);
                if (!list.empty() && placeholder != "SLOTS" && AddOnce(listed, placeholder))
                    lists << "        " << placeholder << ") echo " << Quoted(Joined(list)) << " ;;\n";
            }
        }
        if (!commandSubs.empty())
            subs << "        " << command.name << ") echo " << Quoted(Joined(commandSubs)) << " ;;\n";
        if (std::string(command.name) == "settings")
            settings = Settings(text);
    }
    std::vector<std::string> names;
    for (const Setting& s : settings) {
        names.push_back(s.name);
        if (!s.values.empty())
            values << "        " << s.name << ") echo " << Quoted(Joined(s.values)) << " ;;\n";
    }
    out << "_vr60ctl_settings=" << Quoted(Joined(names)) << "\n\n"
        << "_vr60ctl_subcommands() {\n    case $1 in\n" << subs.str() << "    esac\n}\n\n"
        << "# The options (--opt, or --opt=PLACEHOLDER) and then the arguments of \"COMMAND [SUBCOMMAND]\".\n"
        << "_vr60ctl_line() {\n    case $1 in\n" << lines.str() << "    esac\n}\n\n"
        << "# The values of a comma-list placeholder (four track and POI slots).\n"
        << "_vr60ctl_list() {\n    case $1 in\n        SLOTS) echo '1 2 3 4' ;;\n" << lists.str() << "    esac\n}\n\n"
        << "_vr60ctl_setting_values() {\n    case $1 in\n" << values.str() << "    esac\n}\n"
        << kCompletionBody;
}
