#!/usr/bin/env bash
# Builds the project (warnings as errors) and runs every test, then does the same with
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
jobs=$(nproc)

if command -v clang-format >/dev/null 2>&1; then
    echo "== format check"
    git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
fi

for preset in dev asan; do
    echo "== $preset build"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
    echo "== $preset tests"
    ctest --preset "$preset" -j "$jobs"
done
