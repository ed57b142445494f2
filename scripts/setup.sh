#!/usr/bin/env bash
# Installs what Orlith needs to build and run (Debian packages), configures build/ and
# builds the two programs, build/app/orlith and build/app/orlith-cli. The test tools and
# the tests themselves come with scripts/test.sh. Safe to run again: it installs only what
# is missing and rebuilds only what changed.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev          # Core, Gui, Widgets, Test, DBus and the offscreen platform
    libzip-dev zipcmp zipmerge ziptool  # libzip and the tools its CMake files look for
    libarchive-dev        # archive members on capture
    libxlsxwriter-dev     # the Excel 2007+ (xlsx) export
    libxxhash-dev         # content checksums (XXH3-128)
    libblkid-dev          # what a medium says of itself (UUID, label, file system)
    libroaring-dev        # the search index's posting lists
)
install_missing "${packages[@]}"

configure_build
cmake --build "$build" --target orlith orlith-cli
