#pragma once
// Command-line options in the usual style of Linux tools: "--name VALUE" or "--name=VALUE", short
// letters ("-r", several bundled as "-rn"), "--" ending the options, "-" and everything not
// starting with "-" taken as operands, in any order among the options.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace parvex::cli {

class TOptionParser {
public:
    // Checks and stores an option's value: returns an empty text when the value is accepted,
    // otherwise the usage error to report.
    using TValueHandler = std::function<std::string(const std::string& value)>;

    // `shortName` is 0 for an option without a short form.
    void Flag(std::string longName, char shortName, std::function<void()> onSet);
    void Value(std::string longName, char shortName, TValueHandler onValue);

    // Runs the handlers of the options in `args` in their order and collects the operands.
    // Returns an empty text on success, otherwise the first usage error.
    std::string Parse(const std::vector<std::string>& args, std::vector<std::string>& operands) const;

private:
    struct TOption {
        std::string LongName;  // without the leading "--"
        char ShortName = 0;
        std::function<void()> OnSet;  // a flag's handler; empty for an option with a value
        TValueHandler OnValue;
    };
    const TOption* FindLong(std::string_view name) const;
    const TOption* FindShort(char name) const;
    std::string ParseLong(const std::vector<std::string>& args, std::size_t& i) const;
    std::string ParseShort(const std::vector<std::string>& args, std::size_t& i) const;

    std::vector<TOption> options_;
};

// A Vorbis comment name as the tool writes it: printable ASCII without "=" (what the format
// allows), upper-cased in place. False for an empty or invalid name.
bool NormalizeCommentName(std::string& name);

// "NAME=VALUE" split at its first "=": nothing when there is no "=" or the name is empty.
std::optional<std::pair<std::string, std::string>> SplitAssignment(const std::string& text);

// The value of `option` as a comment "NAME=VALUE", its name normalized (NormalizeCommentName) into
// `comment`; else the usage error, which tells a missing "=" from a name no comment may have.
std::string ParseCommentAssignment(const std::string& option, const std::string& value,
                                   std::pair<std::string, std::string>& comment);

// The non-empty items of a comma-separated list.
std::vector<std::string> SplitCommas(const std::string& text);

}  // namespace parvex::cli
