#!/usr/bin/env bash
# Debian packages of Parvex: parvex (the window) and parvex-cli (the command line, no Qt).
#   scripts/package.sh [OUTDIR]            builds both from this tree into OUTDIR (default build-deb/)
#                                          and checks them with lintian: an error fails the build
#   scripts/package.sh --install [OUTDIR]  installs them with apt-get (which pulls their dependencies),
#                                          runs both programs, removes them and checks that nothing
#                                          of theirs is left (root, or sudo)
# The build needs dpkg-dev, debhelper, lintian and the Build-Depends of debian/control; they are
# installed when missing. The tests are not run inside the package build: CI runs the suite.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
sudo_cmd=(); [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
apt_get() { DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get -y -q "$@"; }
fail() { echo "package.sh: $*" >&2; exit 1; }

install_and_remove() {
    local out=$1
    local debs=("$out"/parvex_*.deb "$out"/parvex-cli_*.deb)
    for deb in "${debs[@]}"; do [ -f "$deb" ] || fail "no package $deb: build them first"; done
    local paths=()
    for deb in "${debs[@]}"; do paths+=("$(realpath "$deb")"); done
    apt_get install "${paths[@]}" >/dev/null
    local files
    files=$(dpkg -L parvex parvex-cli | sort -u)
    /usr/bin/parvex-cli --version
    env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen /usr/bin/parvex --version
    # The command-line package must run without any Qt library.
    ! ldd /usr/bin/parvex-cli | grep -qi qt || fail "parvex-cli is linked to Qt"
    apt_get remove parvex parvex-cli >/dev/null
    local left=()
    while read -r file; do
        # Folders the packages share with others (/usr/share/man/man1, ...) stay.
        [ -e "$file" ] && [ ! -d "$file" ] && left+=("$file")
    done <<<"$files"
    ((${#left[@]} == 0)) || fail "left behind after apt-get remove: ${left[*]}"
    dpkg-query -W -f='${Status}\n' parvex parvex-cli 2>/dev/null | grep -v "not-installed" | grep -q . &&
        fail "dpkg still knows the packages after apt-get remove"
    echo "installed, ran and removed without a trace: ${debs[*]##*/}"
}

if [ "${1:-}" = --install ]; then
    install_and_remove "${2:-build-deb}"
    exit
fi
out=$(mkdir -p "${1:-build-deb}" && cd "${1:-build-deb}" && pwd)

# The changelog gives the packages their version: it must be the project's.
version=$(sed -n 's/^project(Parvex VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
changelog=$(sed -n '1s/^parvex (\([^)]*\)).*/\1/p' debian/changelog)
[ "$version" = "$changelog" ] ||
    fail "debian/changelog is at $changelog, CMakeLists.txt at $version: add an entry for $version to debian/changelog"

needed=(dpkg-dev debhelper lintian)
missing=()
for p in "${needed[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
((${#missing[@]} == 0)) || { "${sudo_cmd[@]}" apt-get update -qq; apt_get install "${missing[@]}" >/dev/null; }
dpkg-checkbuilddeps 2>/dev/null || apt_get build-dep "$root" >/dev/null

# dpkg-buildpackage writes beside the source folder: build a copy of the tree in a folder of our
# own, so that neither the tree nor its parent gets the build's leftovers.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/parvex-$version"
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$work/parvex-$version"
else
    tar -c --exclude='./build*' --exclude=./.git . | tar -x -C "$work/parvex-$version"
fi
(cd "$work/parvex-$version" &&
    DEB_BUILD_OPTIONS="nocheck noddebs parallel=$(nproc)" dpkg-buildpackage -us -uc -b >"$work/build.log" 2>&1) ||
    { tail -40 "$work/build.log"; fail "dpkg-buildpackage failed (the log's end is above)"; }
rm -f "$out"/parvex*_"$version"_*
mv "$work"/*.deb "$work"/*.changes "$work"/*.buildinfo "$out/"

# lintian: an error fails the build; whatever else it reports is shown (it reports nothing today).
lintian --fail-on error --display-info "$out"/parvex_"$version"_*.changes
ls -l "$out"/*.deb
