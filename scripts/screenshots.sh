#!/usr/bin/env bash
# Saves PNGs of every page of Parvex's main window, of its two dialogs, of a run's preview and of the
# whole screen, drawn by a real X server (Xvfb), for checking the layout by eye: nothing cut off,
# nothing overlapping, the window on the screen. One folder of pictures for each desktop:
#   scale-1       a 1024x768 screen at scale 1 (the layout as drawn)
#   full-hd       a 1920x1080 screen at scale 1, where the maximised window's table takes the room
#   scale-1.5     a 1280x1024 screen at scale 1.5
#   scale-2       a 2560x1600 screen at scale 2
#   large-font    a 1280x1024 screen at scale 1 with a 15-point desktop font
#   scripts/screenshots.sh [OUTPUT_DIR [MUSIC_FOLDER]]
# The build goes to build-screenshots/ unless BUILD_DIR names another configured build folder; the
# pictures go to OUTPUT_DIR, by default the folder "pictures" in the build folder. Without a
# MUSIC_FOLDER the pages show a folder of test files, one with a cover picture.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build-screenshots}
out=${1:-$build/pictures}
if [ ! -f "$build/build.ninja" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j 2 --target parvex_screenshots parvex-cli >/dev/null

music=${2:-}
if [ -z "$music" ]; then
    music=$(mktemp -d)
    trap 'rm -rf "$music"' EXIT
    cp tests/data/stereo-44khz.ogg "$music/01 - Two tones.ogg"
    cp tests/data/unicode.ogg "$music/02 - Unicode.ogg"
    if "$build/src/cli/parvex-cli" set --help 2>/dev/null | grep -q -- --picture; then
        "$build/src/cli/parvex-cli" set "$music/01 - Two tones.ogg" --picture src/app/logo/logo.jpg
    fi
fi

shoot() {  # shoot NAME SCREEN SCALE [--font-points N]
    local name=$1 screen=$2 scale=$3
    shift 3
    mkdir -p "$out/$name"
    # On the X server, also where the shell runs the tests offscreen (QT_QPA_PLATFORM=offscreen):
    # there every picture would show Qt's own 800x800 screen instead.
    QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$scale xvfb-run -a -s "-screen 0 ${screen}x24 -dpi 96" \
        "$build/tests/app/parvex_screenshots" "$out/$name" "$music" "$@"
}
shoot scale-1 1024x768 1
shoot full-hd 1920x1080 1
shoot scale-1.5 1280x1024 1.5
shoot scale-2 2560x1600 2
shoot large-font 1280x1024 1 --font-points 15
ls "$out"/*/*.png
