#!/usr/bin/env bash
# Draws the PNG sizes of the application icon from parvex.svg with rsvg-convert (Debian package
# librsvg2-bin). The PNGs are committed; run this only after changing the drawing.
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 24 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" parvex.svg -o "parvex-$size.png"
done
ls -l ./*.png
