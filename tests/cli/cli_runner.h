#pragma once
// Runs the real parvex-cli binary for end-to-end tests.

#include <string>
#include <vector>

namespace parvex::test {

struct CliResult {
    int Status = -1;  // exit status, or -1 when the program did not exit normally
    std::string Out;
    std::string Err;
};

// Runs parvex-cli with `args` (no shell involved), standard input empty.
CliResult RunCli(const std::vector<std::string>& args);

}  // namespace parvex::test
