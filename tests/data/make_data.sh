#!/usr/bin/env bash
# Makes the small real Ogg Vorbis and Ogg Opus files and pictures the tests read. Needs python3,
# oggenc / vorbiscomment (Debian package vorbis-tools), opusenc (opus-tools) and cjpeg
# (libjpeg-turbo-progs), and for the tag list soffice (libreoffice-calc-nogui). The files are
# committed; run this only to make them again.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Raw 16-bit little-endian PCM: a tone per channel. pcm RATE CHANNELS SECONDS FILE
pcm() {
  python3 - "$@" <<'PY'
import math, struct, sys
rate, channels, seconds, path = int(sys.argv[1]), int(sys.argv[2]), float(sys.argv[3]), sys.argv[4]
with open(path, "wb") as out:
    for n in range(int(rate * seconds)):
        for c in range(channels):
            out.write(struct.pack("<h", int(8000 * math.sin(2 * math.pi * (330 + 110 * c) * n / rate))))
PY
}

encode() {  # encode OUT RATE CHANNELS SECONDS [oggenc options...]
  local out=$1 rate=$2 channels=$3 seconds=$4
  shift 4
  pcm "$rate" "$channels" "$seconds" "$work/in.raw"
  oggenc -Q -r -R "$rate" -C "$channels" -q 0 "$@" -o "$out" "$work/in.raw"
}

encode mono-8khz.ogg 8000 1 1.5 -c "TITLE=Low tone" -c "ARTIST=Parvex" -c "TRACKNUMBER=1"
encode stereo-44khz.ogg 44100 2 1 -c "TITLE=Two tones" -c "ARTIST=First" -c "ARTIST=Second" \
  -c "ALBUM=Test Album" -c "DATE=2024" -c "GENRE=Ambient" -c "DESCRIPTION=Made by a script" \
  -c "MOOD=calm"
encode stereo-96khz.ogg 96000 2 0.5 -c "TITLE=High rate" -c "COMMENT=96 kHz"
encode unicode.ogg 22050 1 0.5 -c "TITLE=Музыка для тестов" -c "ARTIST=音楽家" \
  -c "ALBUM=Ελληνικά 🎵 emoji 🎸" -c "COMMENT=Café crème"

# An ID3v2.4 tag of 1034 bytes (header and 1024 bytes of padding) in front of a copy.
python3 - <<'PY'
tag = b"ID3\x04\x00\x00" + bytes([0, 0, 8, 0]) + b"\x00" * 1024
with open("stereo-44khz.ogg", "rb") as f:
    ogg = f.read()
with open("id3v2-front.ogg", "wb") as f:
    f.write(tag + ogg)
PY

# Cover art: a picture comment of about 120 KB, so the comment header spans several pages.
encode cover-art.ogg 8000 1 1 -c "TITLE=With cover" -c "ARTIST=Parvex"
python3 - "$work/comments.txt" <<'PY'
import base64, random, struct, sys
random.seed(7)
image = bytes(random.getrandbits(8) for _ in range(90000))
mime, desc = b"image/jpeg", b"front"
block = struct.pack(">I", 3) + struct.pack(">I", len(mime)) + mime + struct.pack(">I", len(desc)) + desc
block += struct.pack(">IIIII", 300, 300, 24, 0, len(image)) + image
with open(sys.argv[1], "w") as f:
    f.write("METADATA_BLOCK_PICTURE=" + base64.b64encode(block).decode() + "\n")
PY
vorbiscomment -a -R -c "$work/comments.txt" cover-art.ogg

# Opus: mono and stereo at the rates opusenc reports as the input rate, 5.1 surround (channel
# mapping family 1, six channels), and a JPEG front cover; opusenc pads its comment header.
opus() {  # opus OUT RATE CHANNELS SECONDS [opusenc options...]
  local out=$1 rate=$2 channels=$3 seconds=$4
  shift 4
  pcm "$rate" "$channels" "$seconds" "$work/in.raw"
  opusenc --quiet --raw --raw-rate "$rate" --raw-chan "$channels" "$@" "$work/in.raw" "$out"
}
opus mono-16khz.opus 16000 1 1 --title "Low voice" --artist Parvex --comment TRACKNUMBER=1
opus stereo-48khz.opus 48000 2 1 --title "Two voices" --artist First --artist Second \
  --album "Test Album" --date 2024 --genre Ambient --comment "DESCRIPTION=Made by a script" \
  --comment MOOD=calm --comment R128_TRACK_GAIN=-256 --comment R128_ALBUM_GAIN=128
opus surround-51.opus 44100 6 0.5 --title "Six channels"

# Pictures for the cover-art tests: a JPEG of 48 x 40, an RGB PNG of 32 x 24 and an indexed PNG of
# 16 x 16 with four colours; cjpeg is in the Debian package libjpeg-turbo-progs.
python3 - "$work/cover.ppm" <<'PY'
import sys
w, h = 48, 40
with open(sys.argv[1], "wb") as f:
    f.write(b"P6 %d %d 255\n" % (w, h))
    f.write(bytes(v for y in range(h) for x in range(w) for v in (x * 5, y * 6, 128)))
PY
cjpeg -quality 80 -outfile cover-48x40.jpg "$work/cover.ppm"
opus cover-art.opus 16000 1 0.5 --title "With cover" --picture cover-48x40.jpg
python3 - <<'PY'
import struct, zlib
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
def png(path, w, h, depth, colour, rows, palette=None):
    body = chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, depth, colour, 0, 0, 0))
    if palette:
        body += chunk(b"PLTE", palette)
    body += chunk(b"IDAT", zlib.compress(b"".join(b"\0" + r for r in rows)))
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + body + chunk(b"IEND", b""))
png("cover-32x24.png", 32, 24, 8, 2, [bytes(v for x in range(32) for v in (200, x * 8, y * 10)) for y in range(24)])
png("cover-16x16-indexed.png", 16, 16, 2, 3, [bytes((x // 4 << 6 | x // 4 << 4 | x // 4 << 2 | x // 4) for x in range(0, 16, 4)) for y in range(16)],
    palette=bytes([255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255]))
PY
# A tag list as LibreOffice Calc saves the sheet tag-list.fods as CSV: ';' between fields, '"' around
# text, UTF-8, a cell of two paragraphs holding a line feed.
soffice -env:UserInstallation="file://$work/profile" --headless \
  --convert-to 'csv:Text - txt - csv (StarCalc):59,34,76,1' --outdir "$work" tag-list.fods >/dev/null
mv "$work/tag-list.csv" libreoffice-calc.csv

ls -l ./*.ogg ./*.opus ./*.jpg ./*.png ./*.csv
