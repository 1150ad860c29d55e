# Shell pieces shared by the benchmark scripts; source it, then call the functions.
#   bench_need_cli PATH           sets $cli to the absolute path of a built parvex-cli, or exits
#   bench_need_tool NAME PACKAGE  exits with a hint when NAME is not installed
#   bench_work_dir NAME           sets $work to a new temporary folder, removed on exit
#   bench_sample FILE KILOBYTES   encodes about that many kilobytes of noise at 256 kbit/s (oggenc)
#   bench_copies FILE FOLDER N    N copies of FILE in FOLDER: track0000.ogg, track0001.ogg, ...
#   bench_music NAME N KILOBYTES  $work (as bench_work_dir NAME) holding $work/music: N copies of
#                                 one sample of that many kilobytes, $work/sample.ogg (needs oggenc)
#   bench_best ROUNDS COMMAND...  runs the command ROUNDS times, output discarded; prints the best
#                                 seconds (the machine may be busy with other work). A function
#                                 bench_between_rounds, when defined, runs untimed after each round
#   bench_best_alternating ROUNDS A B
#                                 the best seconds of commands A and B, their rounds alternating
#   bench_ratio A B               A / B with two decimals, "-" when B is 0
#   bench_mutagen_python          prints a python3 that imports mutagen, nothing when none does
#   bench_disk_conditions DIR     one line on what sets the cost of flushing and freeing files under
#                                 DIR: file system, journal, discard, the disk's write-back throttling
#   bench_figure NAME OURS BASELINE GOAL
#                                 the closing line every benchmark script prints:
#                                 NAME, our seconds, the baseline's, their ratio and the goal, tab-separated

bench_need_cli() {
  if [[ ! -x $1 ]]; then
    echo "no parvex-cli at '$1': build it first (cmake -DCMAKE_BUILD_TYPE=Release)" >&2
    exit 2
  fi
  cli=$(realpath "$1")
}

bench_need_tool() {
  if ! command -v "$1" > /dev/null; then
    echo "$1 is needed (apt-get install $2)" >&2
    exit 2
  fi
}

bench_work_dir() {
  work=$(mktemp -d "${TMPDIR:-/tmp}/$1-XXXXXX")
  trap 'rm -rf "$work"' EXIT
}

bench_sample() {
  local file=$1 kilobytes=$2 raw
  raw=$(mktemp "${TMPDIR:-/tmp}/parvex-noise-XXXXXX")
  # 256 kbit/s is 32 KB a second; at least one second of 44.1 kHz stereo.
  local samples=$(( kilobytes * 44100 / 32 ))
  (( samples < 44100 )) && samples=44100
  python3 -c "import os, sys; sys.stdout.buffer.write(os.urandom(4 * $samples))" > "$raw"
  oggenc -Q -r -R 44100 -C 2 --managed -b 256 -m 256 -M 256 -c "TITLE=Sample" -c "ARTIST=Band" \
    -o "$file" "$raw"
  rm "$raw"
}

bench_copies() {
  local file=$1 folder=$2 count=$3 i
  mkdir -p "$folder"
  for ((i = 0; i < count; i++)); do cp "$file" "$(printf '%s/track%04d.ogg' "$folder" "$i")"; done
  sync
}

# The shorter, in seconds, of BEST (empty: none yet) and a round from START to END.
bench_shorter() {
  awk -v b="$1" -v s="$2" -v e="$3" 'BEGIN { t = e - s; if (b != "" && b < t) t = b; printf "%.3f", t }'
}

bench_best() {
  # `turn`, not `round`: bash variables are seen by the functions called, and a command may use
  # `round` for its own count.
  local rounds=$1 start best= turn
  shift
  for ((turn = 0; turn < rounds; turn++)); do
    start=$EPOCHREALTIME
    "$@" > /dev/null
    best=$(bench_shorter "$best" "$start" "$EPOCHREALTIME")
    if declare -F bench_between_rounds > /dev/null; then bench_between_rounds; fi
  done
  echo "$best"
}

# Like bench_best for two commands whose rounds alternate (A, B, A, B, ...): each then meets the
# machine in the state the other's rounds leave, and neither gets the quiet start alone. Prints the
# best seconds of A, then of B.
bench_best_alternating() {
  local rounds=$1 turn command start best_a= best_b=
  for ((turn = 0; turn < 2 * rounds; turn++)); do
    command=$2
    ((turn % 2)) && command=$3
    # Timed in this shell, not in a subshell: a command may count its rounds in a variable.
    start=$EPOCHREALTIME
    "$command" > /dev/null
    if ((turn % 2)); then
      best_b=$(bench_shorter "$best_b" "$start" "$EPOCHREALTIME")
    else
      best_a=$(bench_shorter "$best_a" "$start" "$EPOCHREALTIME")
    fi
    if declare -F bench_between_rounds > /dev/null; then bench_between_rounds; fi
  done
  echo "$best_a $best_b"
}

bench_ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else printf "-" }'; }

bench_mutagen_python() {
  local python
  for python in /usr/bin/python3 python3; do
    if "$python" -c "import mutagen" 2> /dev/null; then echo "$python"; return; fi
  done
}

bench_disk_conditions() {
  local source type options device journal=no discard=no throttle=-
  read -r source type options < <(findmnt -n -o SOURCE,FSTYPE,OPTIONS -T "$1")
  device=$(basename "$source")
  compgen -G "/proc/fs/jbd2/$device-*" > /dev/null && journal=yes
  [[ ,$options, == *,discard,* ]] && discard=yes
  [[ -r /sys/block/$device/queue/wbt_lat_usec ]] && throttle="$(< "/sys/block/$device/queue/wbt_lat_usec") us"
  printf 'disk: %s on %s, journal %s, discard %s, write-back throttling %s\n' \
    "$type" "$source" "$journal" "$discard" "$throttle"
}

bench_figure() {
  printf '%s\t%s\t%s\t%s\t%s\n' "$1" "$2" "$3" "$(bench_ratio "$2" "$3")" "$4"
}

bench_music() {
  bench_need_tool oggenc vorbis-tools
  bench_work_dir "$1"
  bench_sample "$work/sample.ogg" "$3"
  bench_copies "$work/sample.ogg" "$work/music" "$2"
}
