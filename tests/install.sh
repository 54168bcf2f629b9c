#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# install.sh BUILD_DIR PREFIX VERSION: installs into a scratch folder and checks that Zumeko VERSION lands
# like a desktop application, each file valid by the freedesktop tools.
set -euo pipefail
build="$1" prefix="$2" version="$3" stage="$(mktemp -d)"
trap 'rm -rf -- "$stage"' EXIT
fail() { echo "install: FAIL: $*" >&2; exit 1; }
DESTDIR="$stage" cmake --install "$build" >/dev/null
root="$stage$prefix"
[ -x "$root/bin/zumeko" ] || fail "no program at $prefix/bin/zumeko"
grep -q "Zumeko Version $version " "$root/share/zumeko/help.html" || fail "no help of this version at $prefix/share/zumeko"
# Help is looked up in the working folder, so the entry must start Zumeko where help.html lies.
entry="$root/share/applications/zumeko.desktop"
for line in "Exec=$prefix/bin/zumeko" "Path=$prefix/share/zumeko" 'Icon=zumeko'; do
    grep -qx -- "$line" "$entry" || fail "the desktop entry has no line $line"
done
out="$(desktop-file-validate "$entry" 2>&1)" && ! grep -qE 'error|warning' <<<"$out" || fail "desktop-file-validate: $out"
# Every size drawn from the program icon; whole multiples keep, at these points of its 32 pixels, its black
# frame (top-left, right of the first stripe, below the last), its first and last stripes, red, and its
# eighth, purple.
for size in 16 22 24 32 48 64 128 256; do
    format="%wx%h" want="${size}x$size"
    for at in "0 0 000000" "31 2 000000" "16 31 000000" "16 2 FF0000" "16 29 FF0000" "16 15 800080"; do
        read -r x y colour <<<"$at"
        [ $((size % 32)) != 0 ] || format+=" %[hex:p{$((x * size / 32)),$((y * size / 32))}]" want+=" $colour"
    done
    seen="$(convert "$root/share/icons/hicolor/${size}x$size/apps/zumeko.png" -format "$format" info:)"
    [ "$seen" = "$want" ] || fail "the ${size}x$size icon is not the program icon: $seen"
done
# The Windows program's icon, drawn by the same tool: its sizes stored as PNG.
[ "$(identify -format '%wx%h ' "$build/icons/zumeko.ico")" = "16x16 24x24 32x32 48x48 64x64 256x256 " ] \
    || fail "the Windows icon does not hold the six sizes"
# Each entry of its directory says one plane of 32 bits a pixel: Windows chooses the image to show by it.
for entry in 0 1 2 3 4 5; do
    seen="$(od -An -tu2 -j $((10 + 16 * entry)) -N4 "$build/icons/zumeko.ico" | xargs)"
    [ "$seen" = "1 32" ] || fail "the Windows icon's entry $entry says planes and bits $seen"
done
metainfo="$root/share/metainfo/org.example.zumeko.metainfo.xml"
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metadata names no release $version"
out="$(appstreamcli validate --no-net "$metainfo" 2>&1)" || fail "appstreamcli validate: $out"
echo "install: PASS: program, help, desktop entry, icons in eight sizes and metadata, all valid"
