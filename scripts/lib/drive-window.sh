# Shell functions that run the window program under a virtual X server and drive it with the
# keyboard; sourced by scripts/screenshots and scripts/window-timing. The caller sets $work (a
# scratch folder) and $out (where failure pictures go) and builds build/app/mozaikon first.

# Starts Xvfb on $DISPLAY and the program in it, with settings and lock in $work.
start_program() {
  export DISPLAY=${DISPLAY_NUMBER:-:97}
  mkdir -p "$work/config" "$work/runtime"
  chmod 700 "$work/runtime"
  Xvfb "$DISPLAY" -screen 0 1400x1000x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
  started_ns=$(date +%s%N)
  XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime QT_QPA_PLATFORM=xcb \
    build/app/mozaikon >/dev/null 2>&1 &
  app_pid=$!
}

stop_program() {
  kill "${app_pid:-}" "${xvfb_pid:-}" 2>/dev/null || true
  wait 2>/dev/null || true
}

# The id of the newest visible window called exactly $1, waiting up to 20 seconds for it.
window() {
  for _ in $(seq 400); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | tail -n 1 || true)
    [ -n "$id" ] && { echo "$id"; return; }
    sleep 0.05
  done
  xwd -silent -root | xwdtopnm 2>/dev/null | pnmtopng > "$out/failed-screen.png"
  echo "no window called '$1' (the screen is in $out/failed-screen.png)" >&2
  exit 1
}

gone() {  # waits until no visible window is called exactly $1
  while xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; do sleep 0.05; done
}

# Clicks the middle of the main window $1's control at dialog units x y w h (of 349 x 319), for
# the buttons whose Alt key another button shares (Options and Print Poster, About and Save
# Poster).
click_control() {
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xdotool mousemove --sync $((X + ($2 + $4 / 2) * WIDTH / 349)) \
    $((Y + ($3 + $5 / 2) * HEIGHT / 319)) click 1
}

# No window manager runs: the input focus is set on the window itself.
keys() { xdotool windowfocus --sync "$1"; shift; xdotool key --delay 60 "$@"; }
# Types path $2 into the file dialog called $1 once it has the keyboard, and waits until it has
# closed: keys typed while it is still being mapped go astray.
choose_file() {
  local id
  id=$(window "$1")
  xdotool windowfocus --sync "$id"
  xdotool type --delay 10 "$2"
  xdotool key Return
  gone "$1"
}

# No printer on the virtual display: the program says so before its main window opens.
answer_no_printer() {
  local id
  if id=$(xdotool search --sync --onlyvisible --limit 1 --name '^Quillet Poster 1.0$' 2>/dev/null); then
    keys "$id" Return
  fi
}

# Main image $1 and tile list file $2 into the main window $3, print width $4 inches.
load_poster_inputs() {
  keys "$3" Return                          # the default button: choose the main image
  choose_file "Select Poster Image File" "$1"
  keys "$3" alt+o                           # Open a tile list file
  choose_file "Select file containing tile filenames" "$2"
  keys "$3" alt+i ctrl+a                    # print width
  xdotool type "$4"
}
