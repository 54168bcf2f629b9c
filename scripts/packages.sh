# SPDX-License-Identifier: MIT
# Sourced by the run and test scripts: what Zumeko needs from Debian, and a way to install what is missing.

BUILD_PACKAGES=(g++ cmake ninja-build pkg-config qt6-base-dev libgl-dev libxcb1-dev)
RUN_PACKAGES=(qt6-qpa-plugins fonts-ipafont-gothic xdg-utils)
TEST_PACKAGES=(xvfb xdotool xclip x11-xserver-utils x11-apps x11-utils imagemagick desktop-file-utils appstream)

ensure_packages() {
    local missing=() package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    echo "Installing from Debian: ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}
