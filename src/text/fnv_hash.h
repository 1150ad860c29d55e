#pragma once
// FNV-1a, 64 bits: a hash that is the same in every build and on every machine (unlike std::hash),
// for checksums and digests that are stored and compared later.

#include <cstdint>
#include <string_view>

namespace parvex {

class TFnvHash {
public:
    // Runs `bytes` through the hash: adding "ab" then "c" gives what adding "abc" gives.
    void Add(std::string_view bytes) {
        for (const char c : bytes) value_ = (value_ ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;
    }
    uint64_t Value() const { return value_; }

private:
    uint64_t value_ = 0xcbf29ce484222325ULL;
};

}  // namespace parvex
