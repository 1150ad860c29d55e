#include "text/natural_order.h"

#include <cstddef>

namespace parvex {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

unsigned char Folded(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 'A' && byte <= 'Z' ? byte - 'A' + 'a' : byte;
}

// The digit run of `text` that starts at `at`: where its value's digits begin and where it ends.
struct TDigitRun {
    std::size_t Significant;
    std::size_t End;
};

TDigitRun DigitRun(std::string_view text, std::size_t at) {
    std::size_t end = at;
    while (end < text.size() && IsDigit(text[end])) ++end;
    std::size_t significant = at;
    while (significant + 1 < end && text[significant] == '0') ++significant;
    return {significant, end};
}

// Compares two digit runs by value: more significant digits is larger, else digit by digit; equal
// values order the run with fewer leading zeros first ("7" before "07").
int CompareRuns(std::string_view left, TDigitRun l, std::string_view right, TDigitRun r, std::size_t leftStart,
                std::size_t rightStart) {
    const std::size_t leftDigits = l.End - l.Significant, rightDigits = r.End - r.Significant;
    if (leftDigits != rightDigits) return leftDigits < rightDigits ? -1 : 1;
    for (std::size_t k = 0; k < leftDigits; ++k)
        if (left[l.Significant + k] != right[r.Significant + k])
            return left[l.Significant + k] < right[r.Significant + k] ? -1 : 1;
    const std::size_t leftLength = l.End - leftStart, rightLength = r.End - rightStart;
    return leftLength == rightLength ? 0 : (leftLength < rightLength ? -1 : 1);
}

}  // namespace

int NaturalCompare(std::string_view left, std::string_view right) {
    std::size_t i = 0, j = 0;
    while (i < left.size() && j < right.size()) {
        if (IsDigit(left[i]) && IsDigit(right[j])) {
            const TDigitRun l = DigitRun(left, i), r = DigitRun(right, j);
            if (const int order = CompareRuns(left, l, right, r, i, j); order != 0) return order;
            i = l.End;
            j = r.End;
            continue;
        }
        const unsigned char a = Folded(left[i]), b = Folded(right[j]);
        if (a != b) return a < b ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < left.size()) return 1;
    return j < right.size() ? -1 : 0;
}

}  // namespace parvex
