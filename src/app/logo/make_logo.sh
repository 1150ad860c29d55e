#!/usr/bin/env bash
# Draws the logo of the Log page (553 x 81 pixels) with ImageMagick and writes logo.jpg beside this
# script. The left part under the name and the right part stay plain: the version label and the two
# contact lines are drawn over them by the window.
set -euo pipefail
cd "$(dirname "$0")"

bars=()
# A row of level bars, the look of a sound file's waveform, tapering at both ends.
for i in $(seq 0 29); do
    x=$((190 + i * 5))
    h=$(python3 -c "import math; print(int(6 + 26 * math.sin(math.pi * ($i + 0.5) / 30) * (0.55 + 0.45 * abs(math.sin($i * 1.7)))))")
    bars+=(-draw "rectangle $x,$((40 - h)) $((x + 2)),$((40 + h))")
done

convert -size 553x81 gradient:'#f4f7fb-#d9e6f2' \
    -fill '#c7d9ea' -draw 'rectangle 0,76 553,81' \
    -fill '#5b8fc7' "${bars[@]}" \
    -font DejaVu-Sans-Bold -pointsize 30 -fill '#1f4e7a' -annotate +10+34 'Parvex' \
    -font DejaVu-Sans -pointsize 10 -fill '#4a6b8a' -annotate +12+70 'Ogg Vorbis and Opus tag editor' \
    -quality 90 -sampling-factor 4:2:0 -strip logo.jpg
