#pragma once
// Running other programs from tests: the peers that check what the program writes.

#include <string>

namespace parvex::test {

// Runs `command` through the shell; returns its standard output, `status` its wait status (-1 when it
// could not be started).
std::string RunCommand(const std::string& command, int& status);
// Whether `tool` is found on the PATH.
bool ToolInstalled(const std::string& tool);
// `s` quoted for the shell.
std::string ShellQuote(const std::string& s);

}  // namespace parvex::test
