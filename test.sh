#!/usr/bin/env bash
# Sets everything up and runs all the tests.
#   ./test.sh          the normal build
#   ./test.sh asan     under AddressSanitizer and UndefinedBehaviorSanitizer
#   ./test.sh tsan     the core (scan worker included) under ThreadSanitizer
set -euo pipefail
cd "$(dirname "$0")"
flavour=${1:-default}
dir=$(scripts/setup.sh "$flavour" | tail -n 1)
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$dir" --output-on-failure -j 2
