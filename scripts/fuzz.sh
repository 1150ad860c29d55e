#!/usr/bin/env bash
# Builds the fuzz targets and runs each for a bounded time, seeded with the test data. A crash, a
# sanitizer report or a broken save stops the run with a failure; the input that caused it is
# kept in build-fuzz/.
#   scripts/fuzz.sh [SECONDS]   seconds per target, 120 by default
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-120}
dir=$(scripts/setup.sh fuzz | tail -n 1)
corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
for target in reader save; do
  mkdir -p "$corpus/$target"
  "$dir/fuzz/parvex_fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$dir/" -print_final_stats=1 "$corpus/$target" tests/data
done
