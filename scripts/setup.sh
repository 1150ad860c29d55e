#!/usr/bin/env bash
# Installs what Parvex needs (when missing), then configures and builds it.
#   scripts/setup.sh [default|asan|tsan]
# default: build/ with the window; asan: build-asan/ with AddressSanitizer and
# UndefinedBehaviorSanitizer; tsan: build-tsan/ with ThreadSanitizer, core only.
set -euo pipefail
cd "$(dirname "$0")/.."

flavour=${1:-default}
# The build's own needs, then the peers and validators the tests check against: vorbis-tools and
# python3-mutagen read what Parvex writes, desktop-file-utils, appstream and groff-base check what it
# installs, xvfb draws the screenshots.
packages=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev qt6-base-dev
          libgl-dev libjpeg62-turbo-dev vorbis-tools python3-mutagen desktop-file-utils appstream
          groff-base man-db xvfb xauth)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=(); [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
fi

case "$flavour" in
  default) dir=build;      flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
  asan)    dir=build-asan; flags=(-DCMAKE_BUILD_TYPE=Debug -DPARVEX_SANITIZE=ON) ;;
  tsan)    dir=build-tsan; flags=(-DCMAKE_BUILD_TYPE=Debug -DPARVEX_TSAN=ON -DPARVEX_GUI=OFF) ;;
  *) echo "usage: $0 [default|asan|tsan]" >&2; exit 2 ;;
esac

cmake -S . -B "$dir" -G Ninja "${flags[@]}" >/dev/null
cmake --build "$dir" -j 2
echo "$dir"
