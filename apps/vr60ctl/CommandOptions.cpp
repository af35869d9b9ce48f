#include "CommandOptions.h"

#include <cctype>
#include <cstdio>

#include "CtlDocs.h"
#include "platform/ResultCode.h"

namespace {

bool IsNegativeNumber(const std::string& word)
{
    return word.size() > 1 && word[0] == '-' && std::isdigit(static_cast<unsigned char>(word[1]));
}

// "-", "" and negative numbers are arguments; every other word that starts with '-' is meant as an option.
bool LooksLikeOption(const std::string& word)
{
    return word.size() > 1 && word[0] == '-' && !IsNegativeNumber(word);
}

const CommandOption* Find(const std::vector<CommandOption>& options, const std::string& name)
{
    for (const CommandOption& o : options)
        if (name == o.name)
            return &o;
    return nullptr;
}

bool Optional(const std::string& argument)
{
    return argument[0] == '[';
}

bool Repeats(const std::string& argument)
{
    return argument.find("...") != std::string::npos;
}

// "[SLOTS]" -> "SLOTS", "FILE..." -> "FILE".
std::string Placeholder(const std::string& argument)
{
    std::string name = argument.substr(Optional(argument) ? 1 : 0);
    return name.substr(0, name.find_first_of("]."));
}

bool TakesArguments(const CtlCommand& command)
{
    for (const CtlForm& f : command.forms)
        if (!f.arguments.empty())
            return true;
    return false;
}

} // namespace

int CommandOptions::parse(const Args& words)
{
    // The options of every form: which form the words take shows only once they are read.
    std::vector<CommandOption> known;
    for (const CtlForm& f : command_.forms)
        for (const CommandOption& o : f.options)
            if (!Find(known, o.name))
                known.push_back(o);
    bool endOfOptions = false;
    for (size_t i = 0; i < words.size(); ++i) {
        if (!endOfOptions && words[i] == "--")
            endOfOptions = true;
        else if (endOfOptions || !LooksLikeOption(words[i]))
            arguments_.push_back(words[i]);
        else if (const int bad = readOption(words, i, known))
            return bad;
    }
    if (const int bad = chooseForm())
        return bad;
    return checkForm();
}

int CommandOptions::readOption(const Args& words, size_t& i, const std::vector<CommandOption>& known)
{
    const std::string& word = words[i];
    const size_t eq = word.find('=');
    const std::string name = word.rfind("--", 0) == 0 ? word.substr(2, eq == std::string::npos ? eq : eq - 2) : "";
    const CommandOption* option = Find(known, name);
    if (!option) {
        if (Find(GlobalOptions(), name))
            return fail(word.substr(0, eq) + " goes before the command: vr60ctl " + word.substr(0, eq) + " ... " +
                        command_.name);
        if (TakesArguments(command_))
            return fail("unknown option " + word.substr(0, eq) + " (an argument that starts with '-' goes after --: vr60ctl " +
                        command_.name + " -- " + word + ")");
        return fail("unknown option " + word.substr(0, eq) + " (see vr60ctl " + command_.name + " --help)");
    }
    std::string value;
    if (!option->needs) {
        if (eq != std::string::npos)
            return fail("--" + name + " takes no value");
    } else if (eq != std::string::npos) {
        value = word.substr(eq + 1);
    } else if (i + 1 < words.size() && !LooksLikeOption(words[i + 1])) {
        value = words[++i];
    }
    // Missing, empty, or the next option in its place (as in --out --clear).
    if (option->needs && value.empty())
        return fail("--" + name + " needs " + option->needs);
    given_.emplace_back(name, value);
    return 0;
}

int CommandOptions::chooseForm()
{
    const CtlForm* plain = nullptr;   // the form without a sub-command
    std::string words;
    for (const CtlForm& f : command_.forms) {
        if (!f.word) {
            plain = &f;
            continue;
        }
        words += (words.empty() ? "" : "|") + std::string(f.word);
        if (!form_ && !arguments_.empty() && arguments_[0] == f.word)
            form_ = &f;
    }
    if (form_) {
        sub_ = form_->word;
        arguments_.erase(arguments_.begin());
        return 0;
    }
    if (plain && (words.empty() || arguments_.empty() || !plain->arguments.empty())) {
        form_ = plain;
        return 0;
    }
    if (arguments_.empty()) {
        std::fprintf(stderr, "vr60ctl: %s takes one of %s\n", command_.name, words.c_str());
        return kUsageError;
    }
    return fail("'" + arguments_[0] + "' is not one of " + words);
}

int CommandOptions::checkForm() const
{
    for (const auto& [option, value] : given_)
        if (!Find(form_->options, option))
            return fail("--" + option + (sub_.empty() ? " needs a sub-command" : " does not go with " + sub_));
    size_t least = 0;
    bool repeats = false;
    for (const char* a : form_->arguments) {
        least += Optional(a) ? 0 : 1;
        repeats = repeats || Repeats(a);
    }
    const std::string usage = "usage: vr60ctl " + FormUsage(command_, *form_);
    if (arguments_.size() < least)
        return fail(Placeholder(form_->arguments[arguments_.size()]) + " is missing (" + usage + ")");
    const size_t most = form_->arguments.size();
    if (!repeats && arguments_.size() > most)
        return fail("unexpected '" + arguments_[most] + "' (" + (most ? usage : name() + " takes no arguments") + ")");
    return 0;
}

bool CommandOptions::isSet(const char* name) const
{
    for (const auto& [option, value] : given_)
        if (option == name)
            return true;
    return false;
}

std::string CommandOptions::value(const char* name) const
{
    std::string last;
    for (const auto& [option, value] : given_)
        if (option == name)
            last = value;
    return last;
}

std::string CommandOptions::name() const
{
    return command_.name + (sub_.empty() ? "" : " " + sub_);
}

int CommandOptions::fail(const std::string& text) const
{
    std::fprintf(stderr, "vr60ctl: %s: %s\n", name().c_str(), text.c_str());
    return kUsageError;
}

int CommandOptions::ruleSet(RuleSet* set) const
{
    if (!isSet("rules")) {
        *set = kDefaultRuleSet;
        return 0;
    }
    const std::optional<RuleSet> named = RuleSetNamed(value("rules"));
    if (!named)
        return fail("'" + value("rules") + "' is not a rule set (" + RuleSetNames() + ")");
    *set = *named;
    return 0;
}

int CommandOptions::pair(const char* on, const char* off, std::optional<bool>* choice) const
{
    if (isSet(on) && isSet(off))
        return fail(std::string("--") + on + " and --" + off + " together");
    if (isSet(on) || isSet(off))
        *choice = isSet(on);
    return 0;
}
