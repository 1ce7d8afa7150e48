#!/usr/bin/env bash
# scripts/setup --test unpacks jack1's packages into build/jack1 once: a download that fails
# fails the setup, naming them, and leaves no part of the tree; a later setup downloads nothing.
# It runs from a copy of the script, whose build folder is its own, with every package there.
set -u
copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT
mkdir "$copy/scripts" "$copy/stubs"
cp "$1" "$copy/scripts/setup"
stubs=$copy/stubs
cat >"$stubs/apt-get" <<STUB
#!/bin/sh
echo "\$*" >>"$stubs/calls"
[ -e "$stubs/offline" ] && { echo "E: Failed to fetch libjack0" >&2; exit 100; }
touch libjack0_1.deb jackd1_1.deb
STUB
cat >"$stubs/dpkg-deb" <<'STUB'
#!/bin/sh
mkdir -p "$3/usr/bin" && touch "$3/usr/bin/jackd" && chmod +x "$3/usr/bin/jackd"
STUB
printf '#!/bin/sh\necho "install ok installed"\n' >"$stubs/dpkg-query"
printf '#!/bin/sh\necho 1000\n' >"$stubs/id"
chmod +x "$stubs"/*
setup() { PATH="$stubs:$PATH" "$copy/scripts/setup" --test >"$stubs/out" 2>&1; }
fail() { echo "$1"; cat "$stubs/out"; exit 1; }

touch "$stubs/offline"
setup && fail "setup passed without jack1's packages:"
grep -q "could not download jack1's packages libjack0 and jackd1" "$stubs/out" ||
  fail "the failure does not name jack1's packages:"
[ -z "$(ls "$copy/build")" ] || fail "a failed download left $(ls "$copy/build") in build/"

rm "$stubs/offline" "$stubs/calls"
setup || fail "setup failed:"
[ -x "$copy/build/jack1/usr/bin/jackd" ] || fail "nothing unpacked into build/jack1:"
[ "$(ls "$copy/build")" = jack1 ] || fail "more than jack1 left in build/: $(ls "$copy/build")"
rm "$stubs/calls"
setup || fail "setup failed with jack1 unpacked:"
[ ! -e "$stubs/calls" ] || fail "setup downloaded again: $(cat "$stubs/calls")"
