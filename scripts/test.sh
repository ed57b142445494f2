#!/usr/bin/env bash
# Installs the programs the tests run, builds everything in build/ (tests and benchmarks
# too) and runs every test. Arguments go to ctest: scripts/test.sh -R tst_faults
# Exits non-zero when a test fails. Run scripts/setup.sh first on a fresh machine.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

packages=(
    xvfb xauth            # a real X display, for running the window benchmark under xvfb-run
    libarchive-tools      # bsdtar makes the test archives
    zip unzip             # other zip programs, for the archive tests
    python3 sqlite3 mariadb-server python3-xlrd python3-openpyxl libreoffice-calc-nogui  # readers of the exports
    xxhash                # xxh128sum, the reference for content checksums
    dosfstools xorriso    # mkfs.vfat and xorriso make the media whose identity is probed
    desktop-file-utils    # desktop-file-validate, for the install test
    clang libclang-rt-14-dev  # libFuzzer and its sanitizer runtimes, for scripts/fuzz.sh
    clang-format          # scripts/check-format.sh, which CI runs
)
install_missing "${packages[@]}"

[ -f "$build/CMakeCache.txt" ] || configure_build
cmake --build "$build"
ctest --test-dir "$build" --output-on-failure "$@"
