#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# install.sh BUILD_DIR VERSION: makes the zip and the installer, then installs silently under Wine, checks the
# files and the Start-menu shortcut, uninstalls and checks that nothing is left.
set -euo pipefail
build="$1" version="$2"
# shellcheck source-path=SCRIPTDIR source=../e2e/lib.sh
. "$(dirname "$0")/../e2e/lib.sh"
E2E_TIMEOUT=60
start_xvfb
start_wine
cpack --config "$build/CPackConfig.cmake" -B "$build/packages" >"$E2E_TMP/cpack.log" 2>&1 || fail "cpack failed"
name="zumeko-$version-windows-x86_64"
listed="$(unzip -Z1 "$build/packages/$name.zip" | sort | tr '\n' ' ')"
[ "$listed" = "$name/LICENSE.txt $name/help.html $name/zumeko.exe " ] || fail "the zip holds $listed"
pass "the zip holds zumeko.exe, help.html and the licence in one folder"

drive="$WINEPREFIX/drive_c"
folder="$drive/Program Files/Zumeko" menu="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/Zumeko"
rm -rf "$folder" "$menu" # what a run that failed half-way may have left
timeout "$E2E_TIMEOUT" "$WINE" "$build/packages/$name.exe" /S || fail "the installer failed"
for file in zumeko.exe help.html LICENSE.txt Uninstall.exe; do
    [ -s "$folder/$file" ] || fail "the installer put no $file in C:\\Program Files\\Zumeko"
done
# The shortcut's working folder is where help.html lies, since Zumeko looks for it there.
strings -el "$menu/Zumeko.lnk" | grep -qx 'C:\\Program Files\\Zumeko' || fail "the shortcut does not start Zumeko in its folder"
"$WINE" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Zumeko' >/dev/null 2>&1 \
    || fail "Zumeko is not in the list of programs to uninstall"
pass "the installer puts Zumeko in C:\\Program Files\\Zumeko with a Start-menu shortcut that starts it there"

timeout "$E2E_TIMEOUT" "$WINE" "$folder/Uninstall.exe" /S || fail "the uninstaller failed"
# The uninstaller runs on from a copy of itself, and may finish after it has returned.
gone() { [ ! -e "$folder" ] && [ ! -e "$menu" ] && ! "$WINE" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Zumeko' >/dev/null 2>&1; }
poll_until gone || fail "after uninstalling, something is left: $(ls -R "$folder" "$menu" 2>&1 | tr '\n' ' ')"
pass "the uninstaller leaves nothing behind"
