#!/usr/bin/env bash
# Fails when a source file of ours differs from what clang-format makes of it (.clang-format
# at the top). Fix with: git ls-files '*.cpp' '*.h' '*.c' | xargs clang-format -i
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files 'src/*.cpp' 'src/*.h' 'app/*.cpp' 'app/*.h' 'tests/*.cpp' 'tests/*.h' 'tests/*.c' \
    'bench/*.cpp' 'bench/*.h' | xargs clang-format --dry-run --Werror
echo "check-format: every file follows .clang-format"
