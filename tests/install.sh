#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
#
# install.sh BUILD_DIR PREFIX
#
# Installs the build into a scratch folder and checks that Zumeko lands like a desktop application:
# the program, its help in the folder the menu entry starts it in, the entry itself, the theme icons
# and the AppStream metadata, each valid by the freedesktop tools where Debian has them.

set -euo pipefail
build="$1"
prefix="$2"
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
grep -qx "Exec=$prefix/bin/zumeko" "$entry" || fail "the entry does not run $prefix/bin/zumeko"
# Help is looked up in the working folder, so the entry must start Zumeko where help.html lies.
grep -qx "Path=$prefix/share/zumeko" "$entry" || fail "the entry does not start in the folder of help.html"
grep -q '^Categories=Graphics;Utility;$' "$entry" || fail "the entry's categories are not Graphics;Utility;"
grep -q '^Name\[ja\]=' "$entry" && grep -q '^Comment\[ja\]=' "$entry" || fail "the entry has no Japanese name or comment"
if command -v desktop-file-validate >/dev/null; then
    out="$(desktop-file-validate "$entry" 2>&1)" || fail "desktop-file-validate: $out"
    grep -qE 'error|warning' <<<"$out" && fail "desktop-file-validate: $out"
fi
pass "desktop entry runs $prefix/bin/zumeko in $prefix/share/zumeko and validates"

for size in 16 22 24 32 48 64 128 256; do
    icon="$root/share/icons/hicolor/${size}x${size}/apps/zumeko.png"
    [ -f "$icon" ] || fail "no ${size}x${size} icon"
    [ "$(identify -format '%wx%h' "$icon")" = "${size}x${size}" ] || fail "the ${size}x${size} icon has another size"
done
# The stripes survive the scaling: the 64-pixel icon's first stripe is red, its frame black.
[ "$(convert "$root/share/icons/hicolor/64x64/apps/zumeko.png" -format '%[hex:p{10,3}] %[hex:p{0,0}]' info:)" = "FF0000 000000" ] \
    || fail "the 64x64 icon is not the program icon scaled"
pass "theme icons in eight sizes, drawn from the program icon"

metainfo="$(ls "$root"/share/metainfo/*.metainfo.xml)"
grep -q '<launchable type="desktop-id">zumeko.desktop</launchable>' "$metainfo" || fail "the metadata does not launch zumeko.desktop"
if command -v appstreamcli >/dev/null; then
    out="$(appstreamcli validate --no-net "$metainfo" 2>&1)" || fail "appstreamcli validate: $out"
fi
pass "AppStream metadata $(basename "$metainfo") validates"
