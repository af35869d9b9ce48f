#pragma once
// The manual page and the bash completion of vr60ctl, made at build time from the
// text of --help and the command table, so neither can fall behind them.

#include <iosfwd>
#include <string>

// usage: the whole --help text; the commands come from CtlCommands().
void PrintManPage(std::ostream& out, const std::string& usage);
void PrintBashCompletion(std::ostream& out);
// The "environment:" part of --help.
void PrintEnvironmentHelp(std::ostream& out);
// Whether every option and sub-command of the table is in the help of its command and
// the other way round; what differs goes to err. The build makes the documents only then.
bool CommandTableMatchesHelp(std::ostream& err);
