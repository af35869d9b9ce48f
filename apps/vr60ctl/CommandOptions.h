#pragma once
// A command's words read against its row of the command table: the form (sub-command)
// they take, the options given (--name, and --name VALUE or --name=VALUE for one that
// takes a value, before, between or after the arguments) and the arguments. A word that
// starts with '-' is an option, or a mistake, unless it is a negative number or comes
// after "--": such a word never reaches a device or names a file by accident.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "CtlCommand.h"
#include "analysis/AnalysisRules.h"

class CommandOptions {
public:
    explicit CommandOptions(const CtlCommand& command) : command_(command) {}
    // 0, or 2 after saying what is wrong: an unknown option, a missing or empty value,
    // an unknown sub-command, an option of another form, too few or too many arguments.
    int parse(const Args& words);

    const std::string& sub() const { return sub_; }   // the form's word; empty: none
    bool isSet(const char* name) const;
    std::string value(const char* name) const;   // the last one given
    const Args& arguments() const { return arguments_; }   // after the sub-command
    // "records sync" for messages.
    std::string name() const;
    // Opposite switches such as --clear and --no-clear: 0 with *choice set when one was
    // given (either may be repeated), 2 after saying so when both were.
    int pair(const char* on, const char* off, std::optional<bool>* choice) const;
    // The rule set --rules names, else the default: 0, or 2 after saying what is wrong.
    int ruleSet(RuleSet* set) const;
    // 2 after saying "vr60ctl: COMMAND: " and the text.
    int fail(const std::string& text) const;

private:
    int readOption(const Args& words, size_t& i, const std::vector<CommandOption>& known);
    int chooseForm();
    int checkForm() const;

    const CtlCommand& command_;
    const CtlForm* form_ = nullptr;
    std::string sub_;
    std::vector<std::pair<std::string, std::string>> given_;   // option, value
    Args arguments_;
};
