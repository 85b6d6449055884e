#!/usr/bin/env bash
# Prints the size of the tests against the size of the program: non-blank lines of .cpp and .h files
# under tests/ (support included) against those of the program's folders, and the ratio in percent.
# With a limit (a whole percent) it exits non-zero when the ratio is above it.
set -euo pipefail
cd "$(dirname "$0")/.."
count() { find "$@" \( -name '*.cpp' -o -name '*.h' \) -type f -print0 | xargs -0 cat | grep -cv '^[[:space:]]*$'; }
tests=$(count tests)
code=$(count app toolkit session local transfer profiles commandline help)
percent=$(( (100 * tests + code / 2) / code ))
echo "Test lines: $tests, code lines: $code, ratio: ${percent}%"
if [ $# -ge 1 ] && [ "$percent" -gt "$1" ]; then
    echo "The tests are more than $1% of the code." >&2
    exit 1
fi
