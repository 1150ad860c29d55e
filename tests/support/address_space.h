#pragma once
// Running a piece of code in a child process under a limit on its address space, to check that it
// holds no more than a bounded multiple of what it works on.

#include <functional>

namespace parvex::test {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;  // the sanitizers reserve more address space than any limit allows
#else
constexpr bool kSanitized = false;
#endif

// Runs `body` in a child process that may take `extra` bytes of address space beyond what it holds
// when it starts; the child's exit status is what `body` returns (0 for success), or -1 when the
// child was killed by a signal.
int RunWithinAddressSpace(std::size_t extra, const std::function<int()>& body);

}  // namespace parvex::test
