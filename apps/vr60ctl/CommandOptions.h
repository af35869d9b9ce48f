#pragma once
// The options of one command, read with QCommandLineParser: --name, and --name VALUE
// or --name=VALUE for one that takes a value, before, between or after its arguments.

#include <QCommandLineParser>

#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <vector>

struct CommandOption {
    const char* name;              // without the dashes
    const char* needs = nullptr;   // takes a value: what it is, as "a file name"
};

class CommandOptions {
public:
    static constexpr size_t kAnyCount = std::numeric_limits<size_t>::max();

    CommandOptions(const char* command, const std::vector<CommandOption>& options);
    // 0, or 2 after saying what is wrong: an unknown option, a missing or empty value,
    // more than mostArguments arguments.
    int parse(const std::vector<std::string>& args, size_t mostArguments = 0);
    bool isSet(const char* name) const;
    std::string value(const char* name) const;   // the last one given
    const std::vector<std::string>& arguments() const { return arguments_; }
    // 2 after saying that --name needs its value.
    int missingValue(const char* name) const;
    // Opposite switches such as --clear and --no-clear: 0 with *choice set when one was
    // given (either may be repeated), 2 after saying so when both were.
    int pair(const char* on, const char* off, std::optional<bool>* choice) const;

private:
    std::string command_;
    std::vector<CommandOption> options_;
    QCommandLineParser parser_;
    std::vector<std::string> arguments_;
};
