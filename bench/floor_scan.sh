#!/usr/bin/env bash
# Times the scan of a tree of 100,000 files (and of a quarter and half of it, to show that it grows
# linearly) next to `find -iname '*.ogg'`, through bench_scan_bench of the same Release build as
# PARVEX_CLI. The last line is the figure of the largest tree:
#   scan N files<TAB>ours<TAB>find<TAB>ratio<TAB><= 2
#
#   bench/floor_scan.sh PARVEX_CLI [FILES]
set -euo pipefail

source "$(dirname "$0")/bench_lib.sh"
bench_need_cli "${1:-}"
scan_bench=$(dirname "$cli")/../../bench/bench_scan_bench
if [[ ! -x $scan_bench ]]; then
  echo "no bench_scan_bench beside '$cli': build the benchmarks of that build first" >&2
  exit 2
fi
"$scan_bench" "${2:-100000}"
