#!/usr/bin/env bash
# Saving files whose comment header is huge: time and peak resident memory of `parvex-cli set` on
# one file and of `parvex-cli mass` over four (with undo, without, and a dry run), each file a real
# Ogg Vorbis file carrying one comment of about 100 MB (made here by parvex-cli set --tag-file, so
# the header is the program's own).
#
#   bench/huge_header.sh PARVEX_CLI [MEGABYTES] [FILES] [NAME]
#
# Defaults: a 100 MB comment named LYRICS (a NAME of a field, COMMENT say, fills that field), four
# files for mass. Needs oggenc (vorbis-tools) and GNU time (/usr/bin/time). Each line gives the
# command, its seconds, its peak resident memory in MB and that peak over the header's size; the
# goal is a few seconds a file and a peak of about 2 to 3 times the header.
set -euo pipefail
source "$(dirname "$0")/bench_lib.sh"

bench_need_cli "${1:-build-rel/src/cli/parvex-cli}"
megabytes=${2:-100}
files=${3:-4}
name=${4:-LYRICS}
bench_need_tool oggenc vorbis-tools
bench_need_tool /usr/bin/time time
bench_work_dir parvex-huge-header
# The runs' undo journals (hundreds of megabytes) go with the work folder.
export XDG_STATE_HOME=$work/state

bench_sample "$work/sample.ogg" 100
# Base64 text: valid UTF-8 that no step of the save has to repair, in lines of 76 characters.
head -c $((megabytes * 1024 * 1024 * 3 / 4)) /dev/urandom | base64 > "$work/lyrics.txt"
"$cli" set "$work/sample.ogg" --tag-file "$name=$work/lyrics.txt" > /dev/null
rm "$work/lyrics.txt"
header=$(stat -c %s "$work/sample.ogg")
bench_copies "$work/sample.ogg" "$work/music" "$files"

# Prints: label, seconds, peak MB, peak / file size.
measure() {
  local label=$1 report
  shift
  sync
  report=$(mktemp "$work/time-XXXXXX")
  /usr/bin/time -v -o "$report" "$@" > /dev/null
  awk -F': ' -v label="$label" -v header="$header" '
    /Elapsed \(wall clock\)/ { n = split($2, t, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + t[i] }
    /Maximum resident set size/ { kb = $2 }
    END { printf "%-44s %7.2f s %7.0f MB %5.2fx\n", label, s, kb / 1024, kb * 1024 / header }' "$report"
}

printf 'files of %d bytes, the comment header nearly all of it (%s)\n' "$header" "$name"
measure "parvex-cli set one file --tag ARTIST=X" "$cli" set "$work/music/track0000.ogg" --tag ARTIST=X
measure "parvex-cli mass $files files --set ARTIST=Y" "$cli" mass "$work/music" --set ARTIST=Y
measure "parvex-cli mass $files files --no-undo" "$cli" mass "$work/music" --set ARTIST=Z --no-undo
measure "parvex-cli mass $files files --dry-run" "$cli" mass "$work/music" --set ARTIST=W --dry-run
"$cli" show "$work/music/track0000.ogg" > "$work/shown"
grep -q '^ *ARTIST=Z$' "$work/shown" || { echo "mass did not write" >&2; exit 1; }
