#!/usr/bin/env bash
# Times `parvex-cli show --json` over a folder of small real Ogg Vorbis files next to one python3
# process reading the same files with mutagen (the floor an interpreted reader sets). Warm page
# cache: the folder was just written. Prints both times; the last line is the figure
#   read show --json N files<TAB>ours<TAB>mutagen<TAB>ratio<TAB><= 0.1
#
#   bench/floor_read.sh PARVEX_CLI [FILES] [KILOBYTES] [ROUNDS]
#
# Defaults: 3000 files of 100 KB, the best of 5 rounds. Needs oggenc (vorbis-tools) and
# python3-mutagen.
set -euo pipefail

source "$(dirname "$0")/bench_lib.sh"
files=${2:-3000}
kilobytes=${3:-100}
rounds=${4:-5}

bench_need_cli "${1:-}"
bench_need_tool oggenc vorbis-tools
mutagen_python=$(bench_mutagen_python)
if [[ -z $mutagen_python ]]; then
  echo "python3-mutagen is needed (apt-get install python3-mutagen)" >&2
  exit 2
fi
bench_music parvex-floor-read "$files" "$kilobytes"

# Both readers get the same list of names, made before the timing: listing the folder is not the
# readers' work. They are started from a small launcher (see spawn_rounds.py), their rounds
# alternating so that neither gets the machine alone.
printf '%s\n' "$work"/music/*.ogg > "$work/names"

# The stream information and comments of every file, one line each, as show --json gives them.
cat > "$work/mutagen_read.py" <<'PY'
import sys
from mutagen.oggvorbis import OggVorbis
for path in sys.argv[1:]:
    f = OggVorbis(path)
    print(path, f.info.channels, f.info.sample_rate, f.info.length, f.info.bitrate, f.tags.vendor,
          f.tags.items())
PY

read -r ours theirs < <(python3 "$(dirname "$0")/spawn_rounds.py" "$rounds" "$work/names" \
  "$(printf '%q show --json' "$cli")" "$(printf '%q %q' "$mutagen_python" "$work/mutagen_read.py")")
printf 'files: %d of %s bytes each; best of %d rounds\n' "$files" "$(stat -c %s "$work/sample.ogg")" "$rounds"
printf '%-34s %8s s\n' "parvex-cli show --json" "$ours" "python3 + mutagen, read all" "$theirs"
bench_figure "read show --json $files files" "$ours" "$theirs" "<= 0.1"
