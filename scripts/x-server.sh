# Sourced by scripts/test and scripts/bench: start_x_server LOG starts a virtual X display,
# exports it as DISPLAY and appends its pid to the caller's `started` array. When it does not
# answer, it says why, with the last lines of LOG, and returns 1.
start_x_server() {
  local log=$1
  if ! command -v Xvfb >/dev/null; then
    echo "The virtual display Xvfb is not installed (scripts/setup --test installs it)" >&2
    return 1
  fi
  # -displayfd lets the server pick a free display, so parallel runs never share one.
  local dfd dnum
  exec {dfd}<> <(:)
  Xvfb -displayfd "$dfd" -screen 0 1800x1000x24 -nolisten tcp >"$log" 2>&1 &
  local pid=$!
  started+=("$pid")
  # A loaded machine can take several seconds to bring the server up.
  for _ in $(seq 300); do
    read -r -t 0.1 -u "$dfd" dnum && break
    kill -0 "$pid" 2>/dev/null || break
  done
  exec {dfd}<&-
  if [ -n "${dnum:-}" ]; then
    export DISPLAY=":$dnum"
    return 0
  fi
  echo "The virtual display (Xvfb, pid $pid) did not start; the end of $log:" >&2
  tail -n 5 "$log" | sed 's/^/  /' >&2
  return 1
}
