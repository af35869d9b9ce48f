// The bash completion of vr60ctl, made from the command table: the commands, their
// sub-commands, options and arguments are the ones the parser takes, so the two
// cannot differ. Setting values and test items come from the tables that check them.

#include "CtlDocs.h"

#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "CtlCommand.h"
#include "analysis/AnalysisRules.h"
#include "connection/ConnectionSequence.h"

namespace {

std::string Joined(const std::vector<std::string>& words)
{
    std::string s;
    for (const std::string& w : words)
        s += (s.empty() ? "" : " ") + w;
    return s;
}

std::string Quoted(const std::string& s)
{
    return "'" + s + "'";
}

std::string OptionWord(const CommandOption& o)
{
    return std::string("--") + o.name + (o.needs ? std::string("=") + (o.value ? o.value : "VALUE") : "");
}

// "--out=FILE --clear", then the arguments ("SLOTS", "FILE..."): what the form takes.
std::string Accepts(const CtlForm& form)
{
    std::vector<std::string> words;
    for (const CommandOption& o : form.options)
        words.push_back(OptionWord(o));
    for (const std::string a : form.arguments)
        words.push_back(a[0] == '[' ? a.substr(1, a.size() - 2) : a);
    return Joined(words);
}

constexpr const char* kCompletionBody = R"(
_vr60ctl_has() {
    [[ " $1 " == *" $2 "* ]]
}

# The words typed so far, split at blanks only: '=' and ':' stay inside a word.
_vr60ctl() {
    local line=${COMP_LINE:0:COMP_POINT} words
    read -ra words <<< "$line"
    [[ -z $line || $line == *[[:space:]] ]] && words+=('')
    local n=$(( ${#words[@]} - 1 ))
    local cur=${words[n]} prev=${words[n-1]} i=1 w
    COMPREPLY=()
    # The options before the command, with their values.
    while (( i < n )) && [[ ${words[i]} == -* ]]; do
        _vr60ctl_has "$_vr60ctl_valued" "${words[i]}" && i=$((i + 1))
        i=$((i + 1))
    done
    if (( i >= n )); then
        case $prev in
            --port) _vr60ctl_reply "$cur" $(command vr60ctl ports 2>/dev/null |
                        sed -n 's/^COM *\([0-9][0-9]*\) *\([^ ]*\).*/COM\1 \2/p') ;;
            --baud) _vr60ctl_reply "$cur" $_vr60ctl_bauds ;;
            --db) ;;
            *) if [[ $cur == -* ]]; then _vr60ctl_reply "$cur" $_vr60ctl_options
               else _vr60ctl_reply "$cur" help $_vr60ctl_commands; fi ;;
        esac
        return
    fi
    local cmd=${words[i]} j=$((i + 1))
    if [[ $cmd == help ]]; then
        (( n == j )) && _vr60ctl_reply "$cur" $_vr60ctl_commands
        return
    fi
    # What follows the command: options with their values, the sub-command, the arguments
    # (after "--" or as a negative number, a word that starts with '-' is an argument).
    local subs sub= accepted count=0 ended=
    subs=$(_vr60ctl_subcommands "$cmd")
    accepted=$(_vr60ctl_line "$cmd")
    for (( ; j < n; j++ )); do
        w=${words[j]}
        if [[ -z $ended && $w == -?* && $w != -[0-9]* ]]; then
            [[ $w == -- ]] && ended=1
            [[ " $accepted " == *" $w="* ]] && j=$((j + 1))
        elif [[ -z $sub && $count == 0 ]] && _vr60ctl_has "$subs" "$w"; then
            sub=$w
            accepted=$(_vr60ctl_line "$cmd $sub")
        else
            count=$((count + 1))
        fi
    done
    if [[ -z $ended ]]; then
        if [[ $prev == --* && " $accepted " == *" $prev="* ]] && (( n - 1 > i )); then
            w=" $accepted "; w=${w#*" $prev="}
            _vr60ctl_argument "${w%% *}" "$cur"
            return
        fi
        if [[ $cur == --*=* && " $accepted " == *" ${cur%%=*}="* ]]; then
            w=" $accepted "; w=${w#*" ${cur%%=*}="}
            _vr60ctl_argument "${w%% *}" "${cur#*=}"
            return
        fi
        if [[ $cur == -* && $cur != -[0-9]* ]]; then
            local options=--help
            for w in $accepted; do [[ $w == -* ]] && options+=" ${w%%=*}"; done
            _vr60ctl_reply "$cur" $options
            return
        fi
    fi
    if [[ -z $sub && $count == 0 && -n $subs ]]; then
        _vr60ctl_reply "$cur" $subs
        return
    fi
    local args=()
    for w in $accepted; do [[ $w != -* ]] && args+=("$w"); done
    (( ${#args[@]} )) || return
    if (( count >= ${#args[@]} )); then
        count=$(( ${#args[@]} - 1 ))
        [[ ${args[count]} == *... ]] || return
    fi
    _vr60ctl_argument "${args[count]%...}" "$cur"
}

# Completes the argument that PLACEHOLDER stands for.
_vr60ctl_argument() {
    local values c head=
    case $1 in
        FILE)
            local IFS=$'\n'
            compopt -o filenames 2>/dev/null
            _vr60ctl_reply "$2" $(compgen -f -- "$2") ;;
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
            # A placeholder's values; in a comma list the items not named yet, after those that are.
            values=$(_vr60ctl_list "$1")
            [[ -z $values ]] && return
            [[ $2 == *,* ]] && head=${2%,*},
            _vr60ctl_reply "$2" $(for c in $values; do [[ ",$head" == *",$c,"* ]] || echo "$head$c"; done) ;;
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

void PrintBashCompletion(std::ostream& out)
{
    std::vector<std::string> commands, options, valued, bauds, settings;
    for (const CtlCommand& c : CtlCommands())
        commands.push_back(c.name);
    for (const CommandOption& o : GlobalOptions()) {
        options.push_back(std::string("--") + o.name);
        if (o.needs)
            valued.push_back(options.back());
    }
    options.insert(options.end(), {"--help", "--version"});
    for (long rate : kBaudRates)
        bauds.push_back(std::to_string(rate));
    std::vector<std::string> ruleSets;
    for (RuleSet set : {RuleSet::Gp3s, RuleSet::Gpstc, RuleSet::Vr60})
        ruleSets.push_back(RuleSetName(set));

    std::ostringstream subs, lines, values;
    for (const CtlCommand& command : CtlCommands()) {
        std::vector<std::string> words;
        for (const CtlForm& form : command.forms) {
            const std::string key = std::string(command.name) + (form.word ? std::string(" ") + form.word : "");
            if (form.word)
                words.push_back(form.word);
            if (!form.options.empty() || !form.arguments.empty())
                lines << "        " << Quoted(key) << ") echo " << Quoted(Accepts(form)) << " ;;\n";
        }
        if (!words.empty())
            subs << "        " << command.name << ") echo " << Quoted(Joined(words)) << " ;;\n";
    }
    for (const auto& [name, choices] : SettingValues()) {
        settings.push_back(name);
        values << "        " << name << ") echo " << Quoted(Joined(choices)) << " ;;\n";
    }

    out << "# bash completion for vr60ctl, made by vr60ctl --completion bash from its command table.\n\n"
        << "_vr60ctl_commands=" << Quoted(Joined(commands)) << "\n"
        << "_vr60ctl_options=" << Quoted(Joined(options)) << "\n"
        << "_vr60ctl_valued=" << Quoted(Joined(valued)) << "\n"
        << "_vr60ctl_bauds=" << Quoted(Joined(bauds)) << "\n"
        << "_vr60ctl_settings=" << Quoted(Joined(settings)) << "\n\n"
        << "_vr60ctl_subcommands() {\n    case $1 in\n" << subs.str() << "    esac\n}\n\n"
        << "# The options (--opt, or --opt=PLACEHOLDER) and then the arguments of \"COMMAND [SUBCOMMAND]\";\n"
        << "# an argument that ends in ... repeats.\n"
        << "_vr60ctl_line() {\n    case $1 in\n" << lines.str() << "    esac\n}\n\n"
        << "# The values of a placeholder: a comma list, or one of them (R).\n"
        << "_vr60ctl_list() {\n    case $1 in\n        SLOTS) echo '1 2 3 4' ;;\n        LIST) echo "
        << Quoted(Joined(SelfTestItemNames())) << " ;;\n        R) echo " << Quoted(Joined(ruleSets))
        << " ;;\n    esac\n}\n\n"
        << "_vr60ctl_setting_values() {\n    case $1 in\n" << values.str() << "    esac\n}\n"
        << kCompletionBody;
}
