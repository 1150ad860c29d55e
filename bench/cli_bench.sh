#!/usr/bin/env bash
# Times parvex-cli over a folder of real Ogg Vorbis files: `show` of every file and `mass` setting
# one tag in every file, next to one `cp -r` of the same folder and, where installed, next to
# `vorbiscomment` run once per file and to one python3 process using mutagen. Prints the seconds
# and the ratios. All runs read from a warm page cache (the folder was just written).
#
#   bench/cli_bench.sh [PARVEX_CLI] [FILES] [MEGABYTES] [ROUNDS]
#
# Defaults: build-cli-rel/src/cli/parvex-cli (a Release build), 1000 files of 1 MB, the best of 3
# rounds of each run. Needs oggenc
# (Debian package vorbis-tools) to encode the sample file; mutagen comes from Debian's
# python3-mutagen.
set -euo pipefail

source "$(dirname "$0")/bench_lib.sh"
files=${2:-1000}
megabytes=${3:-1}
rounds=${4:-3}

bench_need_cli "${1:-build-cli-rel/src/cli/parvex-cli}"
bench_music parvex-cli-bench "$files" $(( megabytes * 1024 ))

# Each round starts with nothing left to write back, so no run pays for the writes of the one
# before; the copies a round made are removed.
bench_between_rounds() {
  rm -rf "$work/copy"
  sync
}
seconds() { sync; bench_best "$rounds" "$@"; }

vorbiscomment_each() {  # vorbiscomment_each -l | -a: one process per file
  local f
  for f in "$work"/music/*.ogg; do
    if [[ $1 == -a ]]; then vorbiscomment -a -t "ARTIST=Bench" "$f"; else vorbiscomment -l "$f"; fi
  done
}

mutagen_all() {  # mutagen_all show | mass: one python3 process for every file
  "$mutagen_python" - "$1" "$work/music" <<'PY'
import glob, sys
from mutagen.oggvorbis import OggVorbis
for path in sorted(glob.glob(sys.argv[2] + "/*.ogg")):
    f = OggVorbis(path)
    if sys.argv[1] == "mass":
        f["ARTIST"] = "Bench"
        f.save()
    else:
        print(path, f.info.length, f.info.bitrate, f.tags.items())
PY
}

mutagen_python=$(bench_mutagen_python)

printf 'files: %d of %s bytes each; best of %d rounds\n\n' "$files" "$(stat -c %s "$work/sample.ogg")" "$rounds"
copy=$(seconds cp -r "$work/music" "$work/copy")
# A save flushes its new file to disk before it takes the old one's place; this is the same
# durability for the copy.
copy_sync=$(seconds bash -c 'cp -r "$1" "$2" && sync' _ "$work/music" "$work/copy")
show=$(seconds "$cli" show "$work"/music/*.ogg)
# Each round sets another value: a value the files already hold is left alone, and the round would
# time a run that writes nothing.
round=0
mass_round() {
  round=$((round + 1))
  "$cli" mass "$work/music" --set "ARTIST=Bench $round"
}
mass=$(seconds mass_round)
"$cli" show --json "$work/music/track0000.ogg" | grep -q '"ARTIST", "Bench ' || { echo "mass did not write" >&2; exit 1; }

ratio() { bench_ratio "$@"; }
row() { printf '%-38s %9s s %10s\n' "$1" "$2" "$(ratio "$2" "$copy")"; }

printf '%-38s %11s %10s\n' "run" "time" "/ cp -r"
row "cp -r of the folder" "$copy"
row "cp -r of the folder, then sync" "$copy_sync"
row "parvex-cli show (all files)" "$show"
row "parvex-cli mass --set ARTIST=..." "$mass"

if command -v vorbiscomment > /dev/null; then
  vc_show=$(seconds vorbiscomment_each -l)
  vc_mass=$(seconds vorbiscomment_each -a)
  row "vorbiscomment -l, once per file" "$vc_show"
  row "vorbiscomment -a -t, once per file" "$vc_mass"
else
  echo "vorbiscomment not installed: skipped (apt-get install vorbis-tools)"
fi
if [[ -n $mutagen_python ]]; then
  mg_show=$(seconds mutagen_all show)
  mg_mass=$(seconds mutagen_all mass)
  row "python3 + mutagen, read all" "$mg_show"
  row "python3 + mutagen, set ARTIST in all" "$mg_mass"
else
  echo "mutagen not installed: skipped (apt-get install python3-mutagen)"
fi

echo
echo "parvex-cli show / mass against the others (above 1: parvex-cli is faster):"
[[ -n ${vc_show:-} ]] && printf '  vorbiscomment: show %sx, mass %sx\n' "$(ratio "$vc_show" "$show")" "$(ratio "$vc_mass" "$mass")"
[[ -n ${mg_show:-} ]] && printf '  mutagen:       show %sx, mass %sx\n' "$(ratio "$mg_show" "$show")" "$(ratio "$mg_mass" "$mass")"
exit 0
