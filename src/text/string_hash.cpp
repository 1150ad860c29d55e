#include "text/string_hash.h"

#include <algorithm>

namespace parvex {

TStringHash::TStringHash(std::uint32_t expectedCount) { entries_.reserve(std::max<std::uint32_t>(expectedCount, 1)); }

const std::string* TStringHash::FindValue(std::string_view key) const {
    const auto entry = entries_.find(key);
    return entry != entries_.end() ? &entry->second : nullptr;
}

void TStringHash::SetValue(std::string_view key, std::optional<std::string> value) {
    const auto entry = entries_.find(key);
    if (!value.has_value()) {
        if (entry != entries_.end()) entries_.erase(entry);
    } else if (entry != entries_.end()) {
        entry->second = std::move(*value);
    } else {
        entries_.emplace(std::string(key), std::move(*value));
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

void TStringHash::Clear() { entries_.clear(); }

void TStringHash::FreeStrings() { Clear(); }

}  // namespace parvex
