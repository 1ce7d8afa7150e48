#!/usr/bin/env bash
# The tests that start a JACK server of their own fail when it does not start in a run that
# promised JACK, saying why in jackd's words, and skip without starting one in a run without
# JACK. Each test program is run with a jackd first in PATH that is refused as a full JACK
# registry refuses it.
set -u
stubs=$(mktemp -d)
trap 'rm -rf "$stubs"' EXIT
cat >"$stubs/jackd" <<STUB
#!/bin/sh
touch "$stubs/ran"
echo "Too many servers already active"
echo "Failed to open server"
echo "jackdmp 1.9.21"
echo "Copyright 2004-2016 Grame."
exit 1
STUB
chmod +x "$stubs/jackd"
status=0
run() { # PROGRAM FILTER EXPECTED_FAILED EXPECTED_SKIPPED ENV...
  local program=$1 filter=$2 failed=$3 skipped=$4
  shift 4
  output=$(env -u JACK_DEFAULT_SERVER -u ZOZ_JACK_LOG -u ZOZ_NO_JACK "PATH=$stubs:$PATH" "$@" \
             "$program" --gtest_filter="$filter" 2>&1)
  local said ok=1
  said=$(grep -c "^\[  FAILED  \] .*(" <<<"$output")
  [ "$said" -eq "$failed" ] || { echo "$filter, $*: $said failed, not $failed:"; ok=0; }
  said=$(grep -c "^\[  SKIPPED \] .*(" <<<"$output")
  [ "$said" -eq "$skipped" ] || { echo "$filter, $*: $said skipped, not $skipped:"; ok=0; }
  [ "$ok" = 1 ] || { echo "$output"; status=1; }
}
# Under scripts/test: every JACK test fails, the own servers' with jackd's reason.
for program in "$1:JackOutput.*:11" "$2:Studio.AJackServer*:1"; do
  IFS=: read -r path filter count <<<"$program"
  run "$path" "$filter" "$count" 0 ZOZ_TEST_SERVICES="programs jack"
  grep -q 'its log says "Too many servers already active", "Failed to open server"' <<<"$output" ||
    { echo "no reason in:"; echo "$output"; status=1; }
done
# Under scripts/test --no-jack: they skip, and none starts jackd.
rm -f "$stubs/ran"
run "$1" "JackOutput.*" 0 11 ZOZ_TEST_SERVICES=programs ZOZ_NO_JACK=1
run "$2" "Studio.AJackServer*" 0 1 ZOZ_TEST_SERVICES=programs ZOZ_NO_JACK=1
[ ! -e "$stubs/ran" ] || { echo "jackd was started without JACK"; status=1; }
exit $status
