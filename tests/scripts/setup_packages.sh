#!/usr/bin/env bash
# scripts/setup puts on a musician's machine what building and running the plug-in need; what
# the tests and benchmarks need comes with --test alone.
set -u
setup=$1
plain=$("$setup" --dry-run) || exit 1
with_tests=$("$setup" --dry-run --test) || exit 1
status=0
for p in g++ cmake librtmidi-dev libjack-jackd2-dev libpoco-dev fonts-dejavu-core jackd2; do
  grep -qx -- "$p" <<<"$plain" || { echo "missing for the build: $p"; status=1; }
done
for p in libgtest-dev libbenchmark-dev xvfb xdotool imagemagick golang-1.19-src \
         zynaddsubfx-vst ardour pipewire-bin pipewire-jack; do
  grep -qx -- "$p" <<<"$plain" && { echo "installed without --test: $p"; status=1; }
  grep -qx -- "$p" <<<"$with_tests" || { echo "missing with --test: $p"; status=1; }
done
grep -qx clang <<<"$with_tests" && { echo "clang without --fuzz"; status=1; }
exit $status
