#!/usr/bin/env bash
# Installs what Parvex needs (when missing), then configures and builds it.
#   scripts/setup.sh [default|asan|tsan|fuzz] [TARGET...]
# With TARGETs only those are built (./run.sh builds the two programs, not the tests).
# default: build/ with the window; asan: build-asan/ with AddressSanitizer and
# UndefinedBehaviorSanitizer; tsan: build-tsan/ with ThreadSanitizer, core only; fuzz: build-fuzz/
# with clang, the fuzz targets only.
set -euo pipefail
cd "$(dirname "$0")/.."

flavour=${1:-default}
shift || true
targets=()
# The build's own needs (liburing-dev opens many files in few system calls), then the peers and
# validators the tests check against: vorbis-tools, opus-tools and python3-mutagen read what Parvex
# writes, desktop-file-utils, appstream and groff-base check what it installs, xvfb draws the
# screenshots, xfsprogs and btrfs-progs make the file systems that share blocks between files, zsh
# and fish read the shell completion the install test checks, openssh-server and sshfs mount a
# folder as a network file system does.
packages=(cmake ninja-build g++ pkg-config liburing-dev libgtest-dev libgmock-dev qt6-base-dev
          libgl-dev libjpeg62-turbo-dev vorbis-tools opus-tools python3-mutagen desktop-file-utils appstream
          groff-base man-db xvfb xauth xfsprogs btrfs-progs zsh fish openssh-server sshfs)
# The fuzz targets need clang and its libFuzzer.
[ "$flavour" = fuzz ] && packages+=(clang libclang-rt-dev)

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
  fuzz)    dir=build-fuzz; flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DPARVEX_FUZZ=ON -DPARVEX_GUI=OFF
                                  -DCMAKE_CXX_COMPILER=clang++)
           targets=(--target parvex_fuzz_reader parvex_fuzz_save) ;;
  *) echo "usage: $0 [default|asan|tsan|fuzz]" >&2; exit 2 ;;
esac

(($#)) && targets=(--target "$@")
cmake -S . -B "$dir" -G Ninja "${flags[@]}" >/dev/null
cmake --build "$dir" -j 2 "${targets[@]}"
echo "$dir"
