#!/usr/bin/env bash
# Times a tag change in a large Ogg Vorbis file on XFS made with reflink=1, where the save shares
# the audio's blocks with the old file instead of copying them, next to an unshared copy of the
# same file flushed to disk (`cp --reflink=never` and `sync`). The file system lives in an image on
# a loop device, so the script needs root, mkfs.xfs (xfsprogs) and oggenc (vorbis-tools); it skips
# with a message where one is missing.
#
#   bench/floor_share.sh PARVEX_CLI [MEGABYTES] [ROUNDS]
#
# Defaults: a 100 MB file, the best of 5 rounds of each run. Each change of the title changes the
# size of the comment header. The last line reads
# FIGURE<TAB>ours_seconds<TAB>baseline_seconds<TAB>ratio<TAB>goal, FIGURE naming what was timed.
set -euo pipefail

cli=${1:?usage: $0 PARVEX_CLI [MEGABYTES] [ROUNDS]}
megabytes=${2:-100}
rounds=${3:-5}

if [[ ! -x $cli ]]; then
  echo "no parvex-cli at '$cli': build it first (cmake -DCMAKE_BUILD_TYPE=Release)" >&2
  exit 2
fi
cli=$(realpath "$cli")
if [[ $(id -u) -ne 0 ]]; then
  echo "skipped: mounting a file system image needs root" >&2
  exit 0
fi
for tool in mkfs.xfs oggenc; do
  if ! command -v "$tool" > /dev/null; then
    echo "skipped: $tool is not installed (apt-get install xfsprogs vorbis-tools)" >&2
    exit 0
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/parvex-share-bench-XXXXXX")
mounted=
cleanup() {
  if [[ -n $mounted ]]; then umount "$work/mnt" || umount -l "$work/mnt"; fi
  rm -rf "$work"
}
trap cleanup EXIT

truncate -s $((megabytes * 3 + 300))M "$work/image"
mkfs.xfs -q -m reflink=1 "$work/image"
mkdir "$work/mnt"
if ! mount -o loop "$work/image" "$work/mnt"; then
  echo "skipped: the XFS image cannot be mounted on a loop device" >&2
  exit 0
fi
mounted=1
music=$work/mnt/music
mkdir "$music"

# Noise at quality 10 (about 520 kbit/s), as many seconds as the size asks for.
seconds=$((megabytes * 1024 * 1024 * 8 / 520000))
python3 -c "
import os, sys
for _ in range($seconds):
    sys.stdout.buffer.write(os.urandom(44100 * 4))" |
  oggenc -Q -r -R 44100 -C 2 -q 10 -c "TITLE=Sample" -c "ARTIST=Band" -o "$music/big.ogg" -
sync

now() { echo "$EPOCHREALTIME"; }
# seconds COMMAND...: the best time of $rounds runs; each round starts with nothing left to write
# back, and gets its round number as the last argument.
seconds() {
  local start end best= round
  for ((round = 1; round <= rounds; round++)); do
    sync
    start=$(now)
    "$@" "$round" > /dev/null
    end=$(now)
    best=$(awk -v s="$start" -v e="$end" -v b="$best" 'BEGIN { t = e - s; if (b != "" && b < t) t = b; printf "%.4f", t }')
  done
  echo "$best"
}

# A title one character longer each round, so that the comment header changes size. The titles are
# made before the timing starts: making one takes two processes of its own.
titles=()
for ((round = 1; round <= rounds; round++)); do titles[round]="Changed $(printf '%*s' "$round" '' | tr ' ' x)"; done
set_title() { "$cli" set "$music/big.ogg" --tag "TITLE=${titles[$1]}"; }
unshared_copy() {
  rm -f "$music/copy.ogg"
  cp --reflink=never "$music/big.ogg" "$music/copy.ogg" && sync
}

start_only() { "$cli" --version; }
size_before=$(stat -c %s "$music/big.ogg")
start=$(seconds start_only)
ours=$(seconds set_title)
baseline=$(seconds unshared_copy)
size_after=$(stat -c %s "$music/big.ogg")
ratio=$(awk -v o="$ours" -v b="$baseline" 'BEGIN { printf "%.3f", o / b }')

echo "file: $size_before bytes before, $size_after bytes after $rounds changes of its title"
printf '%-48s %9s s\n' "parvex-cli set --tag TITLE=... (XFS, reflink=1)" "$ours"
printf '%-48s %9s s\n' "cp --reflink=never FILE COPY && sync" "$baseline"
printf '%-48s %9s s\n' "parvex-cli --version (starting the process)" "$start"
printf 'tag change in a %d MB file on XFS with reflink\t%s\t%s\t%s\t%s\n' "$megabytes" "$ours" "$baseline" "$ratio" \
  "<= 0.1"
