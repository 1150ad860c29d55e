#include "support/shell.h"

#include <cstdio>
#include <memory>

namespace parvex::test {

std::string RunCommand(const std::string& command, int& status) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string out;
    if (!pipe) {
        status = -1;
        return out;
    }
    char buffer[4096];
    std::size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, pipe.get())) > 0) out.append(buffer, got);
    status = pclose(pipe.release());
    return out;
}

bool ToolInstalled(const std::string& tool) {
    int status = 0;
    RunCommand("command -v " + tool + " >/dev/null 2>&1", status);
    return status == 0;
}

std::string ShellQuote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

}  // namespace parvex::test
