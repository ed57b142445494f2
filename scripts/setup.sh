#!/usr/bin/env bash
# Installs what Orlith needs to build and test (Debian packages), then configures and
# builds into build/. Safe to run again: it installs only what is missing.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev          # Core, Gui, Widgets, Test and the offscreen platform
    libzip-dev zipcmp zipmerge ziptool  # libzip and the tools its CMake files look for
    libarchive-dev libarchive-tools  # archive members on capture; bsdtar makes the test archives
    zip unzip             # other zip programs, for the archive tests
    xvfb xauth            # a real X display for desktop checks
    sqlite3 mariadb-server python3-xlrd  # readers the export tests load the exports into
    desktop-file-utils    # desktop-file-validate, for the install test
    clang libclang-rt-14-dev  # libFuzzer and its sanitizer runtimes, for scripts/fuzz.sh
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}"
cmake --build build
