# Sourced by scripts/test and scripts/bench: start_x_server LOG starts a virtual X display
# (unless Xvfb is missing or ZOZ_NO_X is set), exports it as DISPLAY and appends its pid to the
# caller's `started` array.
start_x_server() {
  command -v Xvfb >/dev/null && [ -z "${ZOZ_NO_X:-}" ] || return 0
  # -displayfd lets the server pick a free display, so parallel runs never share one.
  exec {dfd}<> <(:)
  Xvfb -displayfd "$dfd" -screen 0 1800x1000x24 -nolisten tcp >"$1" 2>&1 &
  started+=($!)
  read -r -t 10 -u "$dfd" dnum && export DISPLAY=":$dnum"
  exec {dfd}<&-
}
