#pragma once
// The one input/output error the file layer lets pass to its callers: a file that cannot be opened.

#include <stdexcept>
#include <string>

namespace parvex {

class EFOpenError : public std::runtime_error {
public:
    explicit EFOpenError(const std::string& path) : std::runtime_error("Cannot open file " + path) {}
};

}  // namespace parvex
