#!/usr/bin/env bash
# A run that gives every file one large value: time and peak resident memory of `parvex-cli mass
# --picture` (a cover of about 200 KB) over many small real Ogg Vorbis files, as a dry run and for
# real. Every plan is made before any file is written, so the peak shows how many copies of the
# cover the plans hold: one in all, or one a file.
#
#   bench/given_cover.sh PARVEX_CLI [FILES] [KILOBYTES]
#
# Defaults: 2000 files, a 200 KB cover. Needs oggenc (vorbis-tools), python3 and GNU time.
set -euo pipefail
source "$(dirname "$0")/bench_lib.sh"

bench_need_cli "${1:-build-rel/src/cli/parvex-cli}"
files=${2:-2000}
kilobytes=${3:-200}
bench_need_tool oggenc vorbis-tools
bench_need_tool /usr/bin/time time
bench_work_dir parvex-given-cover

bench_sample "$work/sample.ogg" 20
bench_copies "$work/sample.ogg" "$work/music" "$files"
# A PNG of noise, which no compression makes smaller: about KILOBYTES on disk.
python3 - "$work/cover.png" "$kilobytes" <<'PY'
import math, os, struct, sys, zlib
side = max(1, int(math.sqrt(int(sys.argv[2]) * 1024 / 3)))
rows = b"".join(b"\0" + os.urandom(3 * side) for _ in range(side))
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", side, side, 8, 2, 0, 0, 0))
open(sys.argv[1], "wb").write(png + chunk(b"IDAT", zlib.compress(rows, 0)) + chunk(b"IEND", b""))
PY

# Prints: label, seconds, peak MB.
measure() {
  local label=$1 report
  shift
  report=$(mktemp "$work/time-XXXXXX")
  /usr/bin/time -v -o "$report" "$@" > /dev/null
  awk -F': ' -v label="$label" '
    /Elapsed \(wall clock\)/ { n = split($2, t, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + t[i] }
    /Maximum resident set size/ { kb = $2 }
    END { printf "%-48s %7.2f s %7.0f MB\n", label, s, kb / 1024 }' "$report"
}

printf '%d files, a cover of %d KB\n' "$files" "$kilobytes"
measure "parvex-cli mass --picture, dry run" "$cli" mass "$work/music" --picture "$work/cover.png" --dry-run
measure "parvex-cli mass --picture --no-undo" "$cli" mass "$work/music" --picture "$work/cover.png" --no-undo
"$cli" show "$work/music/track0000.ogg" | grep -q 'METADATA_BLOCK_PICTURE\|picture\|Picture' ||
  { echo "mass did not give the cover" >&2; exit 1; }
