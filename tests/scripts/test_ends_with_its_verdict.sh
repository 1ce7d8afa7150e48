#!/usr/bin/env bash
# scripts/test ends with one line for the whole run: a test that failed in the first tree is
# named there even when the second tree's run, printed after it, passed; a run that passes says
# so with its counts. It runs from a copy of the scripts, with cmake and ctest stubbed.
set -u
scripts=$1
copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT
cp -r "$scripts" "$copy/scripts"
mkdir -p "$copy/stubs" "$copy/build/jack1/usr/bin" "$copy/build/test" "$copy/build/tsan"
printf '#!/bin/sh\nexit 0\n' >"$copy/stubs/cmake"
# ctest fails one test in the tree named by $FAIL_IN, passes the other.
cat >"$copy/stubs/ctest" <<'STUB'
#!/bin/sh
case "$*" in
  *"/build/$FAIL_IN "*)
    printf '99%% tests passed, 1 tests failed out of 7\n\nThe following tests FAILED:\n'
    printf '\t  3 - JackOutput.SendsAfterItsServerEnded (SEGFAULT)\nErrors while running CTest\n'
    exit 8 ;;
esac
echo "100% tests passed, 0 tests failed out of 7"
STUB
chmod +x "$copy/stubs/cmake" "$copy/stubs/ctest"
run() { FAIL_IN=$1 PATH="$copy/stubs:$PATH" "$copy/scripts/test" --no-jack --no-display 2>&1; }
fail() { echo "$1"; echo "$output"; exit 1; }

output=$(run test) && fail "a failed test passed the run:"
[ "$(tail -n 1 <<<"$output")" = \
  "scripts/test: FAILED: in build/test: JackOutput.SendsAfterItsServerEnded" ] ||
  fail "the last line does not name the test that failed:"
output=$(run none) || fail "a run whose tests passed failed:"
[ "$(tail -n 1 <<<"$output")" = "scripts/test: passed: 7 tests in build/test, 7 in build/tsan" ] ||
  fail "the last line does not say the run passed:"
