#!/usr/bin/env bash
# scripts/test whose JACK server does not start (JACK's registry full) fails at once, naming the
# server and the lines of its log that say why, not the banner jackd prints after them, before
# it builds anything. It runs from a copy of the scripts, whose build folder is its own.
set -u
scripts=$1
copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT
cp -r "$scripts" "$copy/scripts"
mkdir "$copy/stubs"
# What jackd prints when JACK's registry holds eight servers already.
cat >"$copy/stubs/jackd" <<'STUB'
#!/bin/sh
echo "Too many servers already active"
echo "Failed to open server"
echo "jackdmp 1.9.21"
echo "Copyright 2001-2005 Paul Davis and others."
echo "Copyright 2004-2016 Grame."
echo "Copyright 2016-2022 Filipe Coelho."
echo "jackdmp comes with ABSOLUTELY NO WARRANTY"
echo "This is free software, and you are welcome to redistribute it"
echo "under certain conditions; see the file COPYING for details"
echo "JACK server starting in realtime mode with priority 10"
exit 1
STUB
chmod +x "$copy/stubs/jackd"
# jack1 as if unpacked, which the setup would otherwise download into the copy.
mkdir -p "$copy/build/jack1/usr/bin"
cp "$copy/stubs/jackd" "$copy/build/jack1/usr/bin/jackd"
output=$(env -u ZOZ_NO_JACK PATH="$copy/stubs:$PATH" "$copy/scripts/test" 2>&1)
status=$?
fail() { echo "$1"; echo "$output"; exit 1; }
[ "$status" -ne 0 ] || fail "scripts/test passed without its JACK server:"
grep -q "JACK server zoztest[0-9]* (jackd, pid [0-9]*) did not start: it ended with status 1" \
  <<<"$output" || fail "the server is not named:"
grep -q "^  Too many servers already active$" <<<"$output" || fail "its reason is not shown:"
grep -q "^  Failed to open server$" <<<"$output" || fail "its reason is not shown whole:"
! grep -q "Copyright\|jackdmp\|JACK server starting" <<<"$output" || fail "its banner is shown:"
[ ! -e "$copy/build/test/CMakeCache.txt" ] || fail "it built first:"
