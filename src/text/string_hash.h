#pragma once
// A string-keyed chained hash table with a fixed number of buckets, holding one text per key.
//
// Keys compare byte for byte. The table never grows or rehashes: with more entries than buckets the
// chains get longer. A new entry goes to the head of its bucket's chain. "No value" stands for a
// missing entry: looking up a missing key gives it, and storing it removes the entry.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace parvex {

class TStringHash {
public:
    // `bucketCount` must be at least 1 (0 is taken as 1).
    explicit TStringHash(std::uint32_t bucketCount);
    ~TStringHash();
    TStringHash(const TStringHash&) = delete;
    TStringHash& operator=(const TStringHash&) = delete;

    // H := H * H + byte for every byte of the key, first to last, in wrapping 32-bit arithmetic.
    static std::uint32_t HashKey(std::string_view key);

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

    int Count() const { return count_; }
    std::uint32_t BucketCount() const { return static_cast<std::uint32_t>(buckets_.size()); }

private:
    struct TStringHashNode {
        std::string Key;
        std::string Value;
        std::unique_ptr<TStringHashNode> Next;
    };

    std::unique_ptr<TStringHashNode>& Bucket(std::string_view key);
    const TStringHashNode* Lookup(std::string_view key) const;

    std::vector<std::unique_ptr<TStringHashNode>> buckets_;
    int count_ = 0;
};

}  // namespace parvex
