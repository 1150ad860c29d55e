#include "cli/tagging_args.h"

namespace parvex::cli {

void AddLowerWordsOption(TOptionParser& parser, std::vector<std::string>& words) {
    parser.Value("lower", 0, [&words](const std::string& value) -> std::string {
        const std::vector<std::string> given = SplitCommas(value);
        if (given.empty()) return "--lower needs at least one word";
        words.insert(words.end(), given.begin(), given.end());
        return {};
    });
}

void AddOverwriteOptions(TOptionParser& parser, TOverwriteChoice& choice, int& given) {
    parser.Flag("keep-existing", 0, [&choice, &given] {
        choice = TOverwriteChoice::KeepExisting;
        given |= choice == TOverwriteChoice::KeepExisting ? 1 : 2;
    });
    parser.Flag("skip-tagged", 0, [&choice, &given] {
        choice = TOverwriteChoice::IgnoreTagged;
        given |= choice == TOverwriteChoice::KeepExisting ? 1 : 2;
    });
}

std::string CheckOverwriteChoice(int given) {
    return given == 3 ? "give at most one of --keep-existing and --skip-tagged" : std::string();
}

}  // namespace parvex::cli
