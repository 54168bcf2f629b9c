#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# install.sh BUILD_DIR PREFIX: installs into a scratch folder and checks that Zumeko lands like a desktop
# application: the program, its help, the menu entry, theme icons and AppStream metadata, each valid by
# the freedesktop tools where Debian has them.
set -euo pipefail
build="$1" prefix="$2"
stage="$(mktemp -d)"
trap 'rm -rf -- "$stage"' EXIT
fail() { echo "install: FAIL: $*" >&2; exit 1; }
pass() { echo "install: PASS: $*"; }
DESTDIR="$stage" cmake --install "$build" >/dev/null
root="$stage$prefix"

[ -x "$root/bin/zumeko" ] || fail "no program at $prefix/bin/zumeko"
[ -s "$root/share/zumeko/help.html" ] || fail "no help at $prefix/share/zumeko/help.html"
entry="$root/share/applications/zumeko.desktop"
[ -f "$entry" ] || fail "no desktop entry"
# Help is looked up in the working folder, so the entry must start Zumeko where help.html lies.
for line in "Exec=$prefix/bin/zumeko" "Path=$prefix/share/zumeko" 'Categories=Graphics;Utility;' \
    'Name\[ja\]=.*' 'Comment\[ja\]=.*'; do
    grep -qx -- "$line" "$entry" || fail "the desktop entry has no line $line"
done
if command -v desktop-file-validate >/dev/null; then
    out="$(desktop-file-validate "$entry" 2>&1)" && ! grep -qE 'error|warning' <<<"$out" \
        || fail "desktop-file-validate: $out"
fi
pass "desktop entry runs $prefix/bin/zumeko in $prefix/share/zumeko and validates"

for size in 16 22 24 32 48 64 128 256; do
    icon="$root/share/icons/hicolor/${size}x${size}/apps/zumeko.png"
    [ "$(identify -format '%wx%h' "$icon")" = "${size}x${size}" ] || fail "no ${size}x${size} icon at $icon"
done
# The stripes survive the scaling: the 64-pixel icon's first stripe is red, its frame black.
icon="$root/share/icons/hicolor/64x64/apps/zumeko.png"
[ "$(convert "$icon" -format '%[hex:p{10,3}] %[hex:p{0,0}]' info:)" = "FF0000 000000" ] \
    || fail "the 64x64 icon is not the program icon scaled"
pass "theme icons in eight sizes, drawn from the program icon"

metainfo="$(ls "$root"/share/metainfo/*.metainfo.xml)"
grep -q '<launchable type="desktop-id">zumeko.desktop</launchable>' "$metainfo" \
    || fail "the metadata does not launch zumeko.desktop"
if command -v appstreamcli >/dev/null; then
    out="$(appstreamcli validate --no-net "$metainfo" 2>&1)" || fail "appstreamcli validate: $out"
fi
pass "AppStream metadata $(basename "$metainfo") validates"
