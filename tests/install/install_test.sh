#!/usr/bin/env bash
# Installs the build folder BUILD into a temporary prefix and checks every installed file:
#   install_test.sh BUILD "ICON SIZES"
# Exits 77 (skipped) when a validator is not installed, 1 on the first thing wrong.
set -euo pipefail
build=$1
sizes=$2
id=org.example.parvex
for tool in desktop-file-validate appstreamcli man; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null

expected=(bin/parvex bin/parvex-cli "share/applications/$id.desktop" "share/metainfo/$id.metainfo.xml"
          "share/icons/hicolor/scalable/apps/$id.svg" share/man/man1/parvex.1 share/man/man1/parvex-cli.1)
for size in $sizes; do expected+=("share/icons/hicolor/${size}x$size/apps/$id.png"); done
for file in "${expected[@]}"; do [ -f "$prefix/$file" ] || fail "$file was not installed"; done
for program in parvex parvex-cli; do [ -x "$prefix/bin/$program" ] || fail "bin/$program cannot be run"; done

# Each PNG is as large as the folder it is in says: width and height are bytes 16-23 of its header.
for size in $sizes; do
    png="$prefix/share/icons/hicolor/${size}x$size/apps/$id.png"
    read -r width height < <(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4, $7*256+$8}')
    [ "$width x $height" = "$size x $size" ] || fail "$png is $width x $height"
done

desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/$id.metainfo.xml" || fail "appstreamcli validate"
grep -q "^Icon=$id$" "$prefix/share/applications/$id.desktop" || fail "the desktop entry names another icon"
grep -q "^Exec=parvex" "$prefix/share/applications/$id.desktop" || fail "the desktop entry starts something else"
for page in parvex parvex-cli; do
    warnings=$(MANWIDTH=80 man --warnings -l "$prefix/share/man/man1/$page.1" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man page $page: $warnings"
done

# The installed programs answer --version and --help without a window (no display is needed).
version=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= "$prefix/bin/parvex" --version)
[[ $version =~ ^parvex\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "parvex --version said: $version"
[ "$("$prefix/bin/parvex-cli" --version)" = "parvex-cli ${version#parvex }" ] || fail "parvex-cli --version"
env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= "$prefix/bin/parvex" --help | grep -q "^Usage: parvex" ||
    fail "parvex --help"
grep -q "version=\"${version#parvex }\"" "$prefix/share/metainfo/$id.metainfo.xml" ||
    fail "the metainfo has no release of version ${version#parvex }"

# Shell completion: the files are where the shells look, and each completes commands, options
# (read from the installed program's help) and the words of --fields.
completions=(share/bash-completion/completions/parvex-cli share/zsh/site-functions/_parvex-cli
             share/fish/vendor_completions.d/parvex-cli.fish)
for file in "${completions[@]}"; do [ -f "$prefix/$file" ] || fail "$file was not installed"; done
complete_bash() {
    PATH="$prefix/bin:$PATH" bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
        _parvex_cli; printf "%s\n" "${COMPREPLY[@]}"' _ "$prefix/${completions[0]}" parvex-cli "$@" | sort | xargs
}
[ "$(complete_bash ex)" = export ] || fail "bash completes 'ex' as: $(complete_bash ex)"
[ "$(complete_bash set --tag)" = "--tag --tag-file" ] || fail "bash completes 'set --tag' as: $(complete_bash set --tag)"
[ "$(complete_bash from-list --fields target,ar)" = target,artist ] || fail "bash completes --fields target,ar"
if command -v zsh >/dev/null; then zsh -n "$prefix/${completions[1]}" || fail "zsh cannot read its completion"; fi
if command -v fish >/dev/null; then
    complete_fish() { PATH="$prefix/bin:$PATH" fish -c "source '$prefix/${completions[2]}'; complete -C '$1'" | cut -f1 | sort | xargs; }
    [ "$(complete_fish 'parvex-cli ex')" = export ] || fail "fish completes 'ex' as: $(complete_fish 'parvex-cli ex')"
    [ "$(complete_fish 'parvex-cli set --tag')" = "--tag --tag-file" ] || fail "fish completes 'set --tag' as: $(complete_fish 'parvex-cli set --tag')"
    [ "$(complete_fish 'parvex-cli rename --fields title,da')" = title,date ] || fail "fish completes --fields title,da"
fi
echo "installed and valid: $((${#expected[@]} + ${#completions[@]})) files in $prefix"
