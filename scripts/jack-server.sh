# Sourced by scripts/test, scripts/bench and scripts/run: start_jack_server LOG [NAME] starts a
# private JACK server (named NAME, else zoztest and the shell's pid) with the dummy driver
# (unless jackd is missing or ZOZ_NO_JACK is set), exports its name so that every client of the
# run finds it and none starts a server of its own, waits until it answers, and appends its pid
# to the caller's `started` array.
start_jack_server() {
  command -v jackd >/dev/null && [ -z "${ZOZ_NO_JACK:-}" ] || return 0
  # JACK keeps at most eight servers in a shared registry and frees the entry of a killed one only
  # when a server of the same name starts again; with no server running, every entry is stale.
  pgrep -x jackd >/dev/null || rm -f /dev/shm/jack-shm-registry
  export JACK_DEFAULT_SERVER="${2:-zoztest$$}"
  export JACK_NO_START_SERVER=1
  # Tests read what the server says of its clients (their missed cycles) here.
  export ZOZ_JACK_LOG="$1"
  # Synchronous: each cycle waits for every client. A server that is not scheduled for a while
  # (no realtime priority, a loaded machine) otherwise runs on past its late clients, and MIDI
  # written in those cycles is lost or delivered several times.
  jackd -n "$JACK_DEFAULT_SERVER" -S -t 2000 -d dummy -r 48000 -p 256 >"$1" 2>&1 &
  started+=($!)
  # A loaded machine can take several seconds to bring the server up.
  for _ in $(seq 300); do
    jack_lsp -s "$JACK_DEFAULT_SERVER" >/dev/null 2>&1 && break
    sleep 0.1
  done
}
