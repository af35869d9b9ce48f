#pragma once
// The manual page and the bash completion of vr60ctl, made at build time from the
// text of --help and the command table, so neither can fall behind them.

#include <iosfwd>
#include <string>

// usage: the whole --help text; the commands come from CtlCommands().
void PrintManPage(std::ostream& out, const std::string& usage);
void PrintBashCompletion(std::ostream& out, const std::string& usage);
