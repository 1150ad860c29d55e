#include "text/large_text.h"

#include <sys/mman.h>

#include <cstdint>

namespace parvex {

namespace {

constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;

}  // namespace

// Only the whole huge pages inside the room are advised; the advice is a request, and a system that
// refuses it (huge pages off, another kernel) leaves the room as it was.
void ReserveLarge(std::string& text, std::size_t size) {
    text.reserve(size);
    if (text.capacity() < 2 * kHugePage) return;
    const auto start = reinterpret_cast<std::uintptr_t>(text.data());
    const std::uintptr_t begin = (start + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t end = (start + text.capacity()) & ~(kHugePage - 1);
    if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

std::string CopyLarge(std::string_view bytes) {
    std::string text;
    ReserveLarge(text, bytes.size());
    text.append(bytes);
    return text;
}

}  // namespace parvex
