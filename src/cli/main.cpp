#include <iostream>

#include "cli/cli.h"

int main(int argc, char** argv) {
    parvex::cli::TStreams io{std::cout, std::cerr};
    return parvex::cli::RunCli(std::vector<std::string>(argv + 1, argv + argc), io);
}
