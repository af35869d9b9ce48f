#pragma once
// What vr60ctl prints about itself: --help, a command's help, the manual page and the
// bash completion, all from the command table (CtlCommand.h), so none can fall behind it.

#include <iosfwd>
#include <string>

struct CtlCommand;
struct CtlForm;

// "download [--out FILE] [--clear | --no-clear]": the form with every option.
std::string FormSynopsis(const CtlCommand& command, const CtlForm& form);
// "post gpstc [OPTIONS] FILE": the form as a usage error and the command's help show it.
std::string FormUsage(const CtlCommand& command, const CtlForm& form);

void PrintUsage(std::ostream& out);
// `vr60ctl COMMAND --help`: its forms, options with their defaults, and its exit statuses.
void PrintCommandHelp(std::ostream& out, const CtlCommand& command);
void PrintManPage(std::ostream& out);
void PrintBashCompletion(std::ostream& out);
// The "environment:" part of --help.
void PrintEnvironmentHelp(std::ostream& out);
