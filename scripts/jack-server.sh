# Sourced by scripts/test, scripts/bench and scripts/run: start_jack_server LOG [NAME] starts a
# private JACK server (named NAME, else zoztest and the shell's pid) with the dummy driver,
# exports its name so that every client of the run finds it and none starts a server of its
# own, waits until it answers (half a minute at most), and appends its pid to the caller's
# `started` array. When it does not answer, it says why, with what jackd's log says of it, and
# returns 1.

# Whether the JACK server NAME takes a client, asked under a client name of this run's own:
# libjack names a client's socket after the client alone, whatever its server, so a fixed name
# would meet the same name asked at the same moment by a run beside on another server.
jack_server_answers() {
  [ "$(timeout 10 jack_wait -s "$1" -n "zozwait$$" -c 2>/dev/null)" = running ]
}

# The lines of jackd's log LOG that say why it stopped ("Too many servers already active",
# "Failed to open server" …), wherever they stand: the banner it prints at every start says
# nothing of it.
jackd_reasons() {
  grep -v -m 10 -e '^jackdmp ' -e '^Copyright ' -e '^This is free software' \
          -e '^under certain conditions' -e '^JACK server starting in ' \
          -e '^self-connect-mode is ' -e '^$' "$1" || true
}

start_jack_server() {
  local log=$1 name=${2:-zoztest$$}
  if ! command -v jackd >/dev/null; then
    echo "The JACK server jackd is not installed (scripts/setup installs it)" >&2
    return 1
  fi
  export JACK_NO_START_SERVER=1
  # Another server of that name would answer in its place.
  if jack_server_answers "$name"; then
    echo "The private JACK server $name could not start: a server of that name already runs" >&2
    return 1
  fi
  # JACK keeps at most eight servers in a shared registry and frees the entry of a killed one only
  # when a server of the same name starts again; with no server running, every entry is stale.
  # Runs started at once take turns here, until their server answers: one that found no server
  # would otherwise drop the registry that the other's new server has just entered. The lock
  # lies beside the registry: runs that keep a /dev/shm of their own share neither.
  local lock=/dev/shm/zoz-jack-registry.lock turn
  [ -e "$lock" ] || : >>"$lock"
  exec {turn}<"$lock"
  if ! flock -w 60 "$turn"; then
    echo "The private JACK server $name could not start: another run held the turn at JACK's" \
         "registry ($lock) for 60 s" >&2
    exec {turn}<&-
    return 1
  fi
  pgrep -x jackd >/dev/null || rm -f /dev/shm/jack-shm-registry
  export JACK_DEFAULT_SERVER=$name
  # Tests read what the server says of its clients (their missed cycles) here.
  export ZOZ_JACK_LOG=$log
  # Synchronous: each cycle waits for every client. A server that is not scheduled for a while
  # (no realtime priority, a loaded machine) otherwise runs on past its late clients, and MIDI
  # written in those cycles is lost or delivered several times.
  jackd -n "$name" -S -t 2000 -d dummy -r 48000 -p 256 >"$log" 2>&1 {turn}<&- &
  local pid=$!
  started+=("$pid")
  # A loaded machine can take several seconds to bring the server up.
  local deadline=$((SECONDS + 30)) why status=0
  while ! jack_server_answers "$name"; do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid" || status=$?
      why="ended with status $status"
    elif [ "$SECONDS" -ge "$deadline" ]; then
      why="did not answer within 30 s"
    else
      sleep 0.1
      continue
    fi
    exec {turn}<&-
    echo "The private JACK server $name (jackd, pid $pid) did not start: it $why. Its log ($log) says:" >&2
    jackd_reasons "$log" | sed 's/^/  /' >&2
    return 1
  done
  exec {turn}<&-
}
