#include "text/string_hash.h"

#include <algorithm>

namespace parvex {

TStringHash::TStringHash(std::uint32_t bucketCount) : buckets_(std::max<std::uint32_t>(bucketCount, 1)) {}

TStringHash::~TStringHash() { Clear(); }

std::uint32_t TStringHash::HashKey(std::string_view key) {
    std::uint32_t hash = 0;
    for (const char c : key) hash = hash * hash + static_cast<unsigned char>(c);
    return hash;
}

std::unique_ptr<TStringHash::TStringHashNode>& TStringHash::Bucket(std::string_view key) {
    return buckets_[HashKey(key) % buckets_.size()];
}

const TStringHash::TStringHashNode* TStringHash::Lookup(std::string_view key) const {
    for (const TStringHashNode* node = buckets_[HashKey(key) % buckets_.size()].get(); node != nullptr;
         node = node->Next.get())
        if (node->Key == key) return node;
    return nullptr;
}

const std::string* TStringHash::FindValue(std::string_view key) const {
    const TStringHashNode* node = Lookup(key);
    return node != nullptr ? &node->Value : nullptr;
}

void TStringHash::SetValue(std::string_view key, std::optional<std::string> value) {
    // `link` is the pointer that holds the current node: the bucket head or the previous node's Next.
    std::unique_ptr<TStringHashNode>* link = &Bucket(key);
    while (*link != nullptr && (*link)->Key != key) link = &(*link)->Next;

    if (*link != nullptr) {
        if (value.has_value()) {
            (*link)->Value = std::move(*value);
        } else {
            *link = std::move((*link)->Next);
            --count_;
        }
    } else if (value.has_value()) {
        std::unique_ptr<TStringHashNode>& head = Bucket(key);
        head = std::make_unique<TStringHashNode>(
            TStringHashNode{std::string(key), std::move(*value), std::move(head)});
        ++count_;
    }
}

std::string TStringHash::GetString(std::string_view key) const {
    const std::string* value = FindValue(key);
    return value != nullptr ? *value : std::string();
}

void TStringHash::PutString(std::string_view key, std::string text) {
    if (text.empty())
        SetValue(key, std::nullopt);
    else
        SetValue(key, std::move(text));
}

void TStringHash::Clear() {
    // Unlink node by node: letting a long chain destroy itself would recurse once per node.
    for (std::unique_ptr<TStringHashNode>& head : buckets_)
        while (head != nullptr) head = std::move(head->Next);
    count_ = 0;
}

void TStringHash::FreeStrings() { Clear(); }

}  // namespace parvex
