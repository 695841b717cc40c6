# Sourced by the tests that run the real programs: starts a virtual X server and exports DISPLAY
# once it takes connections. The caller defines skip (exit 77 with a reason) and the array pids,
# which gets the server's process to stop.
#
#   start_xvfb FOLDER [XVFB ARGUMENT...]   FOLDER keeps the display number and the server's log
start_xvfb() {
  local folder=$1 _
  shift
  # -noreset: the server stays up when the last program ends, ready for the next one.
  Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp "$@" \
    3>"$folder/display" 2>"$folder/xvfb.log" &
  pids+=($!)
  for _ in $(seq 100); do
    [ -s "$folder/display" ] && break
    kill -0 "${pids[-1]}" 2>/dev/null || skip "Xvfb cannot start: $(tail -n 3 "$folder/xvfb.log")"
    sleep 0.1
  done
  [ -s "$folder/display" ] || skip "Xvfb did not report a display within 10 s"
  export DISPLAY=:$(head -n 1 "$folder/display")
  for _ in $(seq 100); do
    xdotool getmouselocation >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  skip "Xvfb on $DISPLAY takes no connection"
}
