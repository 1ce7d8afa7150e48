#!/usr/bin/env bash
# scripts/test whose JACK server does not start (JACK's registry full) fails at once, naming the
# server and what its log says, before it builds anything. It runs from a copy of the scripts,
# whose build folder is its own.
set -u
scripts=$1
copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT
cp -r "$scripts" "$copy/scripts"
mkdir "$copy/stubs"
printf '#!/bin/sh\necho "Too many servers already active"\nexit 255\n' >"$copy/stubs/jackd"
chmod +x "$copy/stubs/jackd"
output=$(PATH="$copy/stubs:$PATH" "$copy/scripts/test" 2>&1)
status=$?
fail() { echo "$1"; echo "$output"; exit 1; }
[ "$status" -ne 0 ] || fail "scripts/test passed without its JACK server:"
grep -q "JACK server zoztest[0-9]* (jackd, pid [0-9]*) did not start" <<<"$output" ||
  fail "the server is not named:"
grep -q "^  Too many servers already active" <<<"$output" || fail "its log is not shown:"
[ ! -e "$copy/build/test/CMakeCache.txt" ] || fail "it built first:"
