#!/usr/bin/env bash
# Batch saving against its floor: parvex-cli mass setting one tag in every file of a folder of real
# Ogg Vorbis files, next to `cp -r` of the same folder followed by `sync` (the same bytes written
# and flushed to disk), both measured here, best of several rounds. Each round of mass sets another
# value, so every file is rewritten every time.
#
#   bench/floor_save.sh PARVEX_CLI [FILES] [KILOBYTES] [ROUNDS]
#
# Defaults: 1000 files of 100 KB, best of 5 rounds. Needs oggenc (Debian package vorbis-tools).
# The last line is the figure: name, our seconds, the baseline's, the ratio and the goal.
set -euo pipefail
source "$(dirname "$0")/bench_lib.sh"

bench_need_cli "${1:-build-rel/src/cli/parvex-cli}"
files=${2:-1000}
kilobytes=${3:-100}
rounds=${4:-5}
bench_music parvex-floor-save "$files" "$kilobytes"

# Each round starts with nothing left to write back; the copy a round made is removed.
bench_between_rounds() {
  rm -rf "$work/copy"
  sync
}
round=0
mass() {
  round=$((round + 1))
  "$cli" mass "$work/music" --set "ARTIST=Round $round"
}

copy_and_flush() { cp -r "$work/music" "$work/copy" && sync; }

# The rounds alternate: freeing and creating a thousand files leaves work behind for the next
# round's (ext4 without a journal, for one, looks at each inode freed in the last minute before
# it reuses one), so each side is timed after the other as often as after itself.
sync
read -r baseline ours < <(bench_best_alternating "$rounds" copy_and_flush mass)
"$cli" show "$work/music/track0000.ogg" | grep -q 'Round' || { echo "mass did not write" >&2; exit 1; }

bench_disk_conditions "$work"
printf 'files: %d of %s bytes each; best of %d rounds\n' "$files" "$(stat -c %s "$work/sample.ogg")" "$rounds"
printf '%-44s %8s s\n' "cp -r of the folder, then sync" "$baseline" "parvex-cli mass --set ARTIST=..." "$ours"
bench_figure "parvex-cli mass, $files files of $kilobytes KB / cp -r + sync" "$ours" "$baseline" "<= 1.3"
