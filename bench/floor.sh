#!/usr/bin/env bash
# Builds a Release parvex-cli (and the benchmark programs) in build-rel/, runs every
# bench/floor_*.sh against it and prints their figures as one table: what was timed, our seconds,
# the baseline's seconds measured in the same run, the ratio and the goal.
#
#   bench/floor.sh [floor_NAME.sh ...]     (default: all of them)
# A benchmark that cannot run here (not root for the loop-mounted file systems, a tool missing)
# says why on standard error and is left out of the table.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build-rel -G Ninja -DCMAKE_BUILD_TYPE=Release -DPARVEX_GUI=OFF > /dev/null
cmake --build build-rel -j "$(nproc)" > /dev/null
cli=$PWD/build-rel/src/cli/parvex-cli

scripts=("$@")
((${#scripts[@]})) || scripts=(bench/floor_*.sh)
rows=()
for script in "${scripts[@]}"; do
  [[ $script == */* ]] || script=bench/$script
  echo "running $script ..." >&2
  if row=$("$script" "$cli" | tail -n 1) && [[ $row == *$'\t'*$'\t'*$'\t'*$'\t'* ]]; then
    rows+=("$row")
  else
    echo "$script gave no figure" >&2
  fi
done

printf '\n| %s | %s | %s | %s | %s |\n|---|---:|---:|---:|---|\n' "figure" "Parvex (s)" "baseline (s)" "ratio" "goal"
for row in "${rows[@]}"; do
  IFS=$'\t' read -r figure ours baseline ratio goal <<< "$row"
  printf '| %s | %s | %s | %s | %s |\n' "$figure" "$ours" "$baseline" "$ratio" "$goal"
done
