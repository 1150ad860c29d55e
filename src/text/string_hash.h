#pragma once
// A string-keyed table holding one text per key, used to look up the line of a tag list by file
// name. Keys compare byte for byte. "No value" stands for a missing entry: looking up a missing key
// gives it, and storing it removes the entry.
//
// Lists of hundreds of thousands of lines must load in seconds, so the table grows with its entries
// and spreads keys by a hash of every byte (names that differ only in their first characters, such
// as "000123 - Album.ogg", must not crowd into a few chains).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace parvex {

class TStringHash {
public:
    // Room for `expectedCount` entries before the table first grows (0 is taken as 1).
    explicit TStringHash(std::uint32_t expectedCount);

    // The text stored under `key`, or nullptr when there is no entry. The pointer stays valid until
    // the entry is changed or removed.
    const std::string* FindValue(std::string_view key) const;
    // Stores `value` under `key`, replacing an existing value; std::nullopt removes the entry.
    void SetValue(std::string_view key, std::optional<std::string> value);

    // The text stored under `key`; empty when there is none.
    std::string GetString(std::string_view key) const;
    // Stores `text` under `key`; an empty text removes the entry.
    void PutString(std::string_view key, std::string text);

    // Removes every entry with its key and text.
    void Clear();
    // Releases every stored text. The table owns its texts together with their entries, so this
    // empties the table like Clear.
    void FreeStrings();

    int Count() const { return static_cast<int>(entries_.size()); }

private:
    // Lets a std::string_view look up a std::string key without copying it.
    struct KeyHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view key) const { return std::hash<std::string_view>{}(key); }
    };

    std::unordered_map<std::string, std::string, KeyHash, std::equal_to<>> entries_;
};

}  // namespace parvex
