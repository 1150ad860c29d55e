#!/usr/bin/env bash
# Saves a PNG of every page of Parvex's main window and of its two dialogs, drawn by a real X server
# (Xvfb), for checking the layout by eye: nothing cut off, nothing overlapping.
#   scripts/screenshots.sh [OUTPUT_DIR [MUSIC_FOLDER]]
# The build goes to build-screenshots/ unless BUILD_DIR names another configured build folder; the
# pictures go to OUTPUT_DIR, by default the folder "pictures" in the build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build-screenshots}
out=${1:-$build/pictures}
args=("$out")
[ -n "${2:-}" ] && args+=("$2")
mkdir -p "$out"
if [ ! -f "$build/build.ninja" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j 2 --target parvex_screenshots >/dev/null
xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" "$build/tests/app/parvex_screenshots" "${args[@]}"
ls "$out"/*.png
