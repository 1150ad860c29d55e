#!/usr/bin/env bash
# Times loading a tag list of 400,000 lines: `parvex-cli from-list --dry-run` over a folder of one
# file, next to awk reading the same list into a table keyed by its file-name column (the floor for
# reading and indexing the lines). The list's file names differ only in their first characters, the
# case that once crowded a few hash chains.
#
#   bench/floor_taglist.sh [PARVEX_CLI] [LINES]
#
# The last line is the figure for bench/floor.sh: name, our seconds, awk's seconds, the ratio and
# the goal (a few seconds in all).
set -euo pipefail

cli=$(realpath "${1:-build-rel/src/cli/parvex-cli}")
lines=${2:-400000}
work=$(mktemp -d "${TMPDIR:-/tmp}/parvex-taglist-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT

mkdir "$work/music"
python3 -c "import sys; sys.stdout.buffer.write(bytes(44100 * 4))" |
  oggenc -Q -r -R 44100 -C 2 -o "$work/music/000001 - Album.ogg" -
awk -v n="$lines" 'BEGIN { for (i = 1; i <= n; i++) printf "%06d - Album.ogg;Artist %d;Title %d\n", i, i % 500, i }' \
  > "$work/list.csv"

best() {  # best COMMAND...: the best of three runs, in seconds
  local round start
  for round in 1 2 3; do
    start=$EPOCHREALTIME
    "$@" > /dev/null
    awk -v s="$start" -v e="$EPOCHREALTIME" 'BEGIN { printf "%.3f\n", e - s }'
  done | sort -n | head -n 1
}

ours=$(best "$cli" from-list --dry-run --list "$work/list.csv" --fields target,artist,title -s ';' "$work/music")
"$cli" from-list --dry-run --list "$work/list.csv" --fields target,artist,title -s ';' "$work/music" \
  > "$work/log"
grep -q 'Artist 1' "$work/log" || { echo "the list's line for the file was not used" >&2; exit 1; }
floor=$(best awk -F';' '{ t[$1] = $0 } END { print length(t) }' "$work/list.csv")
ratio=$(awk -v a="$ours" -v b="$floor" 'BEGIN { printf "%.1f", a / b }')
printf 'tag list of %d lines loaded\t%s\t%s\t%s\t<= 5 s\n' "$lines" "$ours" "$floor" "$ratio"
