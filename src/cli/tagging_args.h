#pragma once
// The options that tag from file name and tag from list share beside the format: the lower-case
// word list and the choice of what to do with tags a file already has.

#include <string>
#include <vector>

#include "cli/options.h"
#include "naming/format_fields.h"

namespace parvex::cli {

// Adds --lower WORD[,WORD...] (repeatable) to `words`.
void AddLowerWordsOption(TOptionParser& parser, std::vector<std::string>& words);

// Adds --keep-existing and --skip-tagged, noting in `given` which were given; the usage error
// when both were comes back from CheckOverwriteChoice.
void AddOverwriteOptions(TOptionParser& parser, TOverwriteChoice& choice, int& given);
std::string CheckOverwriteChoice(int given);

#define PARVEX_CLI_LOWER_OPTION_HELP                                                         \
    "  --lower WORD[,WORD]   put these words into lower case where they stand between two\n" \
    "                        spaces (\"Best Of The\" gives \"Best of The\" with --lower of)\n"

#define PARVEX_CLI_OVERWRITE_OPTIONS_HELP                                    \
    "  --keep-existing       leave a tag that already holds text as it is\n" \
    "  --skip-tagged         leave alone every file that has any tag at all\n"

}  // namespace parvex::cli
