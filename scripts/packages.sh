# SPDX-License-Identifier: MIT
# Sourced by the run and test scripts: what Zumeko needs from Debian, and a way to install what is missing.

BUILD_PACKAGES=(g++ cmake ninja-build pkg-config qt6-base-dev libfontconfig-dev libgl-dev libxcb1-dev libwayland-dev libxkbcommon-dev wayland-protocols)
RUN_PACKAGES=(qt6-qpa-plugins fonts-ipafont-gothic xdg-utils)
# The tests: X servers, a window manager and X's tools; a headless Wayland compositor with XWayland, its
# screen reader and a session bus for a desktop portal; and Qt's Wayland plugin, which a Wayland desktop
# has, and which Zumeko must not take for its window; and a native Wayland program that pastes. The test
# tool speaks KWin's fake input, whose protocol Plasma's package holds. GNOME Shell, with the desktop portal
# and GNOME's backend, and pipewire, which mutter's remote input rides on; KWin, with KDE's backend and the
# Qt 5 Wayland plugin it runs on. The D-Bus mock that the fake desktop portal is a template of. X's cursor
# extension, through which the test tool sees the pointer's shape; wtype, whose keys reach a Wayland surface.
# And the formatter every C++ file is checked with.
TEST_PACKAGES=(clang-format xvfb xdotool xclip x11-xserver-utils x11-apps x11-utils imagemagick desktop-file-utils appstream openbox
    procps sway xwayland grim dbus qt6-wayland wl-clipboard plasma-wayland-protocols gnome-shell xdg-desktop-portal
    xdg-desktop-portal-gnome pipewire kwin-wayland xdg-desktop-portal-kde qtwayland5 python3-dbusmock
    libxcb-xfixes0-dev wtype)
# The Windows build and its check: MinGW-w64's posix-thread compilers for both widths, the 64-bit Wine,
# and an X server with a coloured root and a placed pointer for the probe to read.
WINDOWS_PACKAGES=(cmake ninja-build g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine64 xvfb xdotool
    x11-xserver-utils xclip imagemagick nsis unzip binutils)
# Qt for Windows, cross-built from Debian's source: the 64-bit compiler, the host Qt whose tools it
# borrows, and dpkg-source to unpack the source with Debian's patches.
QT_WINDOWS_PACKAGES=(cmake ninja-build g++-mingw-w64-x86-64-posix qt6-base-dev dpkg-dev xz-utils)
# The Debian package: the tools that build it; debian/control names the rest, which apt-get build-dep
# installs.
DEB_PACKAGES=(dpkg-dev build-essential)
# Its check: the linter; the installed program is tried by the end-to-end driver, with the test packages.
DEB_CHECK_PACKAGES=(lintian)

# apt-get as root, asking nothing, and waiting for another apt run (an unattended upgrade, say) to end
# rather than failing.
apt_get()
{
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 "$@"
}

ensure_packages() {
    local missing=() package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing from Debian: ${missing[*]}"
    apt_get update -qq
    apt_get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}
