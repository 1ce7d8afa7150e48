# Sourced by scripts/test, scripts/bench and scripts/run: start_jack_server LOG [NAME] starts a
# private JACK server (named NAME, else zoztest and the shell's pid) with the dummy driver,
# exports its name so that every client of the run finds it and none starts a server of its
# own, waits until it answers, and appends its pid to the caller's `started` array. When it
# does not answer, it says why, with the last lines of LOG, and returns 1.
start_jack_server() {
  local log=$1 name=${2:-zoztest$$}
  if ! command -v jackd >/dev/null; then
    echo "The JACK server jackd is not installed (scripts/setup installs it)" >&2
    return 1
  fi
  export JACK_NO_START_SERVER=1
  # Another server of that name would answer in its place.
  if jack_lsp -s "$name" >/dev/null 2>&1; then
    echo "The private JACK server $name could not start: a server of that name already runs" >&2
    return 1
  fi
  # JACK keeps at most eight servers in a shared registry and frees the entry of a killed one only
  # when a server of the same name starts again; with no server running, every entry is stale.
  pgrep -x jackd >/dev/null || rm -f /dev/shm/jack-shm-registry
  export JACK_DEFAULT_SERVER=$name
  # Tests read what the server says of its clients (their missed cycles) here.
  export ZOZ_JACK_LOG=$log
  # Synchronous: each cycle waits for every client. A server that is not scheduled for a while
  # (no realtime priority, a loaded machine) otherwise runs on past its late clients, and MIDI
  # written in those cycles is lost or delivered several times.
  jackd -n "$name" -S -t 2000 -d dummy -r 48000 -p 256 >"$log" 2>&1 &
  local pid=$!
  started+=("$pid")
  # A loaded machine can take several seconds to bring the server up.
  for _ in $(seq 300); do
    jack_lsp -s "$name" >/dev/null 2>&1 && return 0
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  echo "The private JACK server $name (jackd, pid $pid) did not start; the end of $log:" >&2
  tail -n 5 "$log" | sed 's/^/  /' >&2
  return 1
}
