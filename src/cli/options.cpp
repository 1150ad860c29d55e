#include "cli/options.h"

#include <algorithm>

#include "ogg/comment_name.h"
#include "text/text_utils.h"

namespace parvex::cli {

void TOptionParser::Flag(std::string longName, char shortName, std::function<void()> onSet) {
    options_.push_back({std::move(longName), shortName, std::move(onSet), {}});
}

void TOptionParser::Value(std::string longName, char shortName, TValueHandler onValue) {
    options_.push_back({std::move(longName), shortName, {}, std::move(onValue)});
}

const TOptionParser::TOption* TOptionParser::FindLong(std::string_view name) const {
    for (const TOption& option : options_)
        if (option.LongName == name) return &option;
    return nullptr;
}

const TOptionParser::TOption* TOptionParser::FindShort(char name) const {
    for (const TOption& option : options_)
        if (option.ShortName != 0 && option.ShortName == name) return &option;
    return nullptr;
}

std::string TOptionParser::ParseLong(const std::vector<std::string>& args, std::size_t& i) const {
    const std::string_view arg = std::string_view(args[i]).substr(2);
    const std::size_t eq = arg.find('=');
    const TOption* option = FindLong(arg.substr(0, eq));
    if (option == nullptr) return "unknown option '--" + std::string(arg.substr(0, eq)) + "'";
    if (option->OnSet) {
        if (eq != std::string_view::npos) return "option '--" + option->LongName + "' takes no value";
        option->OnSet();
        return {};
    }
    if (eq != std::string_view::npos) return option->OnValue(std::string(arg.substr(eq + 1)));
    if (i + 1 >= args.size()) return "option '--" + option->LongName + "' needs a value";
    return option->OnValue(args[++i]);
}

std::string TOptionParser::ParseShort(const std::vector<std::string>& args, std::size_t& i) const {
    const std::string& arg = args[i];
    for (std::size_t k = 1; k < arg.size(); ++k) {
        const TOption* option = FindShort(arg[k]);
        if (option == nullptr) return std::string("unknown option '-") + arg[k] + "'";
        if (option->OnSet) {
            option->OnSet();
            continue;
        }
        // A short option with a value takes the rest of the word, or else the next argument.
        if (k + 1 < arg.size()) return option->OnValue(arg.substr(k + 1));
        if (i + 1 >= args.size()) return std::string("option '-") + arg[k] + "' needs a value";
        return option->OnValue(args[++i]);
    }
    return {};
}

std::string TOptionParser::Parse(const std::vector<std::string>& args,
                                 std::vector<std::string>& operands) const {
    operands.reserve(operands.size() + args.size());
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string error;
        if (arg == "--") {
            operands.insert(operands.end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
            return {};
        }
        if (arg.size() < 2 || arg[0] != '-')
            operands.push_back(arg);
        else if (arg[1] == '-')
            error = ParseLong(args, i);
        else
            error = ParseShort(args, i);
        if (!error.empty()) return error;
    }
    return {};
}

bool NormalizeCommentName(std::string& name) {
    if (!IsValidCommentName(name)) return false;
    name = UpperCase(name);
    return true;
}

std::optional<std::pair<std::string, std::string>> SplitAssignment(const std::string& text) {
    const std::size_t eq = text.find('=');
    if (eq == std::string::npos || eq == 0) return std::nullopt;
    return std::make_pair(text.substr(0, eq), text.substr(eq + 1));
}

std::string ParseCommentAssignment(const std::string& option, const std::string& value,
                                   std::pair<std::string, std::string>& comment) {
    auto assignment = SplitAssignment(value);
    if (!assignment) return option + " needs NAME=VALUE, got '" + value + "'";
    if (!NormalizeCommentName(assignment->first))
        return option + ": '" + assignment->first +
               "' cannot be a comment name (ASCII characters from space to '}' only, no '=')";
    comment = std::move(*assignment);
    return {};
}

std::vector<std::string> SplitCommas(const std::string& text) {
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        if (comma > start) items.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    return items;
}

}  // namespace parvex::cli
