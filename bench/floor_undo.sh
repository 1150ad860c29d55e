#!/usr/bin/env bash
# Undo next to the run it undoes: parvex-cli mass setting one tag in every file of a folder of real
# Ogg Vorbis files, then parvex-cli undo putting every file back, each timed, best of several
# rounds. Undo reads each file, checks it against the journal and writes it back as the run wrote
# it, a group of files with one flush: it should cost about what the run costs.
#
#   bench/floor_undo.sh PARVEX_CLI [FILES] [KILOBYTES] [ROUNDS]
#
# Defaults: 3000 files of 20 KB, best of 3 rounds. Needs oggenc (Debian package vorbis-tools).
# The last line is the figure: name, undo's seconds, the run's, the ratio and the goal.
set -euo pipefail
source "$(dirname "$0")/bench_lib.sh"

bench_need_cli "${1:-build-rel/src/cli/parvex-cli}"
files=${2:-3000}
kilobytes=${3:-20}
rounds=${4:-3}
bench_music parvex-floor-undo "$files" "$kilobytes"
# The journals of these runs stay with the benchmark, not among the user's.
export XDG_STATE_HOME=$work/state

round=0
mass() {
  round=$((round + 1))
  "$cli" mass "$work/music" --set "ARTIST=Round $round"
}
undo() { "$cli" undo; }

sync
read -r run undone < <(bench_best_alternating "$rounds" mass undo)
"$cli" show "$work/music/track0000.ogg" | grep -q 'ARTIST.*Band' || { echo "undo did not put the files back" >&2; exit 1; }

bench_disk_conditions "$work"
printf 'files: %d of %s bytes each; best of %d rounds\n' "$files" "$(stat -c %s "$work/sample.ogg")" "$rounds"
printf '%-44s %8s s\n' "parvex-cli mass --set ARTIST=..." "$run" "parvex-cli undo of that run" "$undone"
bench_figure "parvex-cli undo of a mass run over $files files / the run" "$undone" "$run" "<= 1.5"
