# shellcheck shell=bash
# Sourced by the quick-start scripts: installs the Debian packages that are
# missing, and nothing when all of them are there.

# shellcheck disable=SC2034 # the lists are used by the scripts that source this file
# Needed to build and run the editor.
BUILD_PACKAGES=(cmake g++ ninja-build freeglut3-dev libgl-dev libegl-dev libgtest-dev libbenchmark-dev libboost-dev
    libsvgpp-dev libcairo2-dev zlib1g-dev)
# Needed on top of those to run every test: the X server and tools that drive
# the real window, Mesa's software renderer and its surfaceless EGL platform
# for the offscreen drawing tests, and the compilers and tools of the checking
# builds, and what the package test needs: dpkg-shlibdeps (dpkg-dev) and
# file for the package's dependencies, man for checking the manual page, and
# the validators of the package, the desktop entry, the metainfo and the map
# file type; xprop (x11-utils) reads the window's properties; rsvg-convert
# (librsvg2-bin) renders the drawings the editor writes; xclip reads and fills
# the clipboard the editor serves.
TEST_PACKAGES=(xvfb xdotool imagemagick libgl1-mesa-dri libegl-mesa0 clang libclang-rt-14-dev valgrind
    dpkg-dev file man-db lintian desktop-file-utils appstream shared-mime-info x11-utils strace librsvg2-bin
    xclip)

package_installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

# ensure_packages [--no-install-recommends] PACKAGE...: one apt-get update and
# one apt-get install for the missing ones; sudo when not root. The package
# lists are updated once per run: the first update exports
# MAPEDITOR_APT_UPDATED=1, and later calls, in this script or in the scripts it
# starts, install without updating again.
ensure_packages() {
    local missing=() package options=()
    if [ "${1:-}" = --no-install-recommends ]; then
        options=(--no-install-recommends)
        shift
    fi
    for package in "$@"; do
        package_installed "$package" || missing+=("$package")
    done
    [ ${#missing[@]} -gt 0 ] || return 0

    if ! command -v apt-get >/dev/null; then
        echo "missing packages and no apt-get to install them: ${missing[*]}" >&2
        return 1
    fi
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        if ! command -v sudo >/dev/null; then
            echo "missing packages, not root and no sudo: ${missing[*]}" >&2
            return 1
        fi
        # sudo asks for a password on the terminal itself, if it needs one.
        sudo=(sudo env DEBIAN_FRONTEND=noninteractive)
    fi
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    if [ "${MAPEDITOR_APT_UPDATED:-}" != 1 ]; then
        "${sudo[@]}" apt-get -o DPkg::Lock::Timeout=900 update -q </dev/null
        export MAPEDITOR_APT_UPDATED=1
    fi
    "${sudo[@]}" apt-get -o DPkg::Lock::Timeout=900 install -y -q "${options[@]}" "${missing[@]}" </dev/null
}

# Needed on top of the build group to cross-build the Windows program and run
# it and its tests under Wine (scripts/build-windows, stage windows), which
# installs them without Wine's many recommended packages (sound, fonts,
# GStreamer) that neither the build nor the tests use.
WINDOWS_PACKAGES=(cmake ninja-build libboost-dev libsvgpp-dev g++-mingw-w64-x86-64-posix wine wine64 xvfb xdotool imagemagick dpkg-dev googletest
    nsis icoutils)
