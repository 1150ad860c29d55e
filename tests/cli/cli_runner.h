#pragma once
// Runs the real parvex-cli binary for end-to-end tests.

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace parvex::test {

struct CliResult {
    int Status = -1;  // exit status, or -1 when the program did not exit normally
    std::string Out;
    std::string Err;
};

// Runs parvex-cli with `args` (no shell involved), standard input empty. With `user`, the program
// runs under that user id (and its primary group), which needs root.
CliResult RunCli(const std::vector<std::string>& args, std::optional<uid_t> user = std::nullopt);

// The same with `input` on standard input through a pipe, written in two parts with a pause between
// them, so that a reader that does not wait for a pipe's data would miss the second part.
CliResult RunCliWithInput(const std::vector<std::string>& args, const std::string& input);

// The user id of "nobody", for running the program without root's rights; nothing when the
// system has no such user.
std::optional<uid_t> NobodyUser();

}  // namespace parvex::test
