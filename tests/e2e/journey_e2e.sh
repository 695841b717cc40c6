#!/usr/bin/env bash
# One user's journey through the real window program under a virtual X server of its own, driven
# with xdotool as a user would drive it with keyboard and mouse (no window manager runs: the
# test asks windows to close the way their close box does). Every step waits on a window or a
# file, never on the clock alone; every window met is captured and must show more than one
# colour.
#   journey_e2e.sh SOURCE_DIR BUILD_DIR
# Exit 77 (skipped) where the X server or the X tools are missing.
set -euo pipefail
source_dir=$1
build_dir=$2
program=$build_dir/app/mozaikon
helper=$source_dir/tests/e2e/xwindow.py

skip() { echo "SKIPPED: $*" >&2; exit 77; }
for tool in Xvfb xdotool python3; do
  command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/setup installs it)"
done

scratch=$(mktemp -d "${TMPDIR:-/tmp}/mozaikon-journey.XXXXXX")
pids=()
queue=
cleanup() {
  local pid
  [ -n "$queue" ] && lpadmin -x "$queue" 2>/dev/null
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() {
  echo "FAILED at step '$step': $*" >&2
  echo "windows shown: $(xdotool search --onlyvisible --name . 2>/dev/null |
    while read -r id; do printf "'%s' " "$(xdotool getwindowname "$id")"; done)" >&2
  cp "$scratch/screen/Xvfb_screen0" "${TMPDIR:-/tmp}/mozaikon-journey-failed.xwd" 2>/dev/null &&
    echo "the screen is in ${TMPDIR:-/tmp}/mozaikon-journey-failed.xwd" >&2
  exit 1
}

export HOME=$scratch/home XDG_CONFIG_HOME=$scratch/config XDG_RUNTIME_DIR=$scratch/runtime
export QT_QPA_PLATFORM=xcb
unset SESSION_MANAGER
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" "$scratch/in" "$scratch/out"
chmod 700 "$XDG_RUNTIME_DIR"
settings="$XDG_CONFIG_HOME/Velkamo/Quillet Poster 1.0.conf"

mkdir -p "$scratch/screen"
source "$source_dir/tests/support/xvfb.sh"
start_xvfb "$scratch" -fbdir "$scratch/screen"
python3 "$helper" inputs "$scratch/in"

# A cups-pdf queue, where a print server runs or can be started: the only printer, with no
# default destination, so the program takes it as the first queue by name.
pdf_queue() {
  local tool _
  for tool in lpadmin lpstat cupsd; do command -v "$tool" >/dev/null || return 0; done
  if [ "$(lpstat -r 2>/dev/null)" != "scheduler is running" ]; then
    [ "$(id -u)" = 0 ] || return 0
    cupsd -f >/dev/null 2>&1 &
    pids+=($!)
    for _ in $(seq 50); do
      [ "$(lpstat -r 2>/dev/null)" = "scheduler is running" ] && break
      sleep 0.2
    done
  fi
  lpadmin -p MozaikonJourneyPDF -E -v cups-pdf:/ -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd \
    >/dev/null 2>&1 && queue=MozaikonJourneyPDF
  return 0
}
pdf_queue

# --- waiting on windows ---------------------------------------------------------------------
# xdotool matches names as regular expressions: a title is matched as it is written.
exactly() { printf '^%s$' "$(printf '%s' "$1" | sed 's/[][\.*^$+?(){}|]/\\&/g')"; }
visible() { xdotool search --onlyvisible --name "$(exactly "$1")" 2>/dev/null | tail -n 1 || true; }
# The id of the visible window called exactly $1, once it is mapped; polled, since xdotool's
# --sync gives up when a window it looks at goes away meanwhile.
win() {
  local _ id
  for _ in $(seq 1500); do
    id=$(visible "$1")
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.02
  done
  fail "no window called '$1' appeared"
}
gone() {
  local _
  for _ in $(seq 600); do
    [ -z "$(visible "$1")" ] && return 0
    sleep 0.05
  done
  fail "the window '$1' stayed open"
}
# A capture of window $1, read from the screen once it has been painted: it must not stay a
# plain block of one colour, nor (given $3, an earlier capture's name) stay as that one was.
# The digest of its pixels goes into $scratch/$2.
capture() {
  local _ X Y WIDTH HEIGHT SCREEN WINDOW count digest before=
  [ -n "${3:-}" ] && before=$(cat "$scratch/$3")
  eval "$(xdotool getwindowgeometry --shell "$1")"
  for _ in $(seq 100); do
    read -r count digest < <(python3 "$helper" shot "$scratch/screen/Xvfb_screen0" \
      "$X" "$Y" "$WIDTH" "$HEIGHT")
    echo "$digest" >"$scratch/$2"
    if [ "$count" -gt 1 ] && [ "$digest" != "$before" ]; then
      # JOURNEY_SHOTS=FOLDER keeps each capture as a picture to look at.
      [ -z "${JOURNEY_SHOTS:-}" ] || convert "xwd:$scratch/screen/Xvfb_screen0" \
        -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$JOURNEY_SHOTS/$2.png"
      return 0
    fi
    sleep 0.05
  done
  [ "$count" -gt 1 ] || fail "$2 shows one plain colour"
  fail "$2 shows what $3 showed"
}
keys() { xdotool windowfocus --sync "$1"; shift; xdotool key --delay 40 "$@"; }
# Clicks the middle of the main window $1's control at dialog units x y w h (of 349 x 319).
click_button() {
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xdotool mousemove --sync $((X + ($2 + $4 / 2) * WIDTH / 349)) \
    $((Y + ($3 + $5 / 2) * HEIGHT / 319)) click 1
}
typed() { xdotool type --delay 5 "$1"; }
# Runs the command that follows until a window called $1 shows, three times at most: a key or
# click that reaches the main window while it still finishes what a closed window began can be
# lost, as a user's would be, and a user would press again.
until_shown() {
  local title=$1 _ try
  shift
  for try in 1 2 3; do
    "$@"
    for _ in $(seq 250); do
      [ -n "$(visible "$title")" ] && return 0
      sleep 0.02
    done
  done
  fail "no window called '$title' appeared"
}
choose_file() {  # dialog title, path
  local id
  id=$(win "$1")
  capture "$id" file-dialog
  xdotool windowfocus --sync "$id"
  typed "$2"
  xdotool key Return
  gone "$1"
}
wait_file() {
  local _
  for _ in $(seq 600); do
    [ -s "$1" ] && return 0
    sleep 0.05
  done
  fail "no file $1"
}
# The message box now open must say $1; it is answered with the keys that follow.
answer_box() {
  local text=$1 id
  shift
  id=$(win "Quillet Poster 1.0")
  capture "$id" message-box
  keys "$id" "$@"
  gone "Quillet Poster 1.0"
}

# Starts the program; answers the no-printer message where no printer is found; returns with
# $dlg set to the main window.
start() {
  "$program" >"$scratch/program.log" 2>&1 &
  app_pid=$!
  pids+=($app_pid)
  local _
  for _ in $(seq 600); do
    if [ -n "$(visible "Quillet Poster 1.0")" ]; then answer_box "no printer" Return; fi
    dlg=$(visible "Quillet Poster")
    [ -n "$dlg" ] && return 0
    kill -0 "$app_pid" 2>/dev/null ||
      fail "the program ended on $DISPLAY: $(cat "$scratch/program.log")"
    sleep 0.05
  done
  fail "the main window did not open"
}
# Leaving through the main window's question.
leave() {
  keys "$dlg" Escape                          # as Exit and the close box do
  answer_box "Exit Quillet Poster?" Return
  local _
  for _ in $(seq 200); do
    kill -0 "$app_pid" 2>/dev/null || return 0
    sleep 0.05
  done
  fail "the program did not end after Exit"
}
close_help() {  # the help contents open with the program: it scrolls and closes
  local help
  help=$(win "Quillet Poster Help")
  capture "$help" help-top
  keys "$help" Next Next
  capture "$help" help-scrolled help-top       # Page Down scrolled
  python3 "$helper" close "$help"
  gone "Quillet Poster Help"
}

step="start"
start
capture "$dlg" main-window
step="help window"
close_help

step="main image and tile list"
keys "$dlg" Return                            # the default button: choose the main image
choose_file "Select Poster Image File" "$scratch/in/main.bmp"
until_shown "Select file containing tile filenames" keys "$dlg" alt+o
choose_file "Select file containing tile filenames" "$scratch/in/tiles.txt"
keys "$dlg" alt+i ctrl+a
typed 60
keys "$dlg" Tab

step="build"
keys "$dlg" alt+b
progress=$(win "Build Poster")
capture "$progress" progress
gone "Build Poster"

step="cancelled build"
keys "$dlg" alt+i ctrl+a
typed 100
keys "$dlg" Tab alt+b
progress=$(win "Build Poster")
keys "$progress" Escape
gone "Build Poster"                           # not built: the preview asks to build first
until_shown "Quillet Poster 1.0" keys "$dlg" alt+w
answer_box "Poster must be built before previewing" Escape

step="preview"
keys "$dlg" alt+i ctrl+a
typed 10
keys "$dlg" Tab alt+w
answer_box "Poster must be built before previewing" Return
preview=$(win "Poster Preview (press the + key to zoom in / out, press ESC to close)")
capture "$preview" preview-fitted
keys "$preview" KP_Add
navigator=$(win "Click & Drag")
capture "$navigator" navigator
capture "$preview" preview-actual preview-fitted
eval "$(xdotool getwindowgeometry --shell "$navigator")"
xdotool mousemove --sync $((X + 4)) $((Y + 4)) mousedown 1
xdotool mousemove --sync $((X + 60)) $((Y + 50))
xdotool mouseup 1
capture "$preview" preview-moved preview-actual  # dropping the frame moved the preview
keys "$preview" Escape
gone "Poster Preview (press the + key to zoom in / out, press ESC to close)"
step="main window after the preview"
# Options shares its Alt key with Print Poster.
until_shown "Options" click_button "$dlg" 279 158 64 14
options=$(win "Options")
capture "$options" options
keys "$options" Escape
gone "Options"

step="save as PNG"
click_button "$dlg" 279 138 64 14              # Save Poster shares its Alt key with About
choose_file "Select Poster Filename" "$scratch/out/poster.png"
wait_file "$scratch/out/poster.png"
gone "Save Poster"
[ "$(head -c 8 "$scratch/out/poster.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] ||
  fail "poster.png is no PNG file"

step="print to a PDF file"
click_button "$dlg" 279 198 64 14              # Print Poster shares its Alt key with Options
destination=$(win "Print Poster")
capture "$destination" print-destination
keys "$destination" Down Return                # the PDF file, below the printer
gone "Print Poster"
choose_file "Print to PDF File" "$scratch/out/poster.pdf"
range=$(win "Print Poster")
capture "$range" print-range
keys "$range" Return                           # all pages
wait_file "$scratch/out/poster.pdf"
gone "Print Poster"
if command -v pdfinfo >/dev/null; then
  pages=$(pdfinfo "$scratch/out/poster.pdf" | sed -n 's/^Pages: *//p')
  [ "${pages:-0}" -gt 1 ] || fail "the PDF holds ${pages:-no} pages, not all of them"
fi

if [ -n "$queue" ]; then
  step="print to the printer queue"
  home=$(getent passwd "$(id -un)" | cut -d: -f6)
  since=$scratch/printed-since
  touch "$since"
  click_button "$dlg" 279 198 64 14
  destination=$(win "Print Poster")
  keys "$destination" Return                   # the queue is offered first
  for _ in $(seq 600); do                      # the range dialog, of the same title, follows
    range=$(visible "Print Poster")
    [ -n "$range" ] && [ "$range" != "$destination" ] && break
    sleep 0.05
  done
  [ "$range" != "$destination" ] || fail "the print range dialog did not follow"
  keys "$range" Return
  printed=
  for _ in $(seq 600); do
    printed=$(find "$home/PDF" /var/spool/cups-pdf -name '*main*.pdf' -newer "$since" \
      2>/dev/null | head -n 1)
    [ -n "$printed" ] && pdfinfo "$printed" >/dev/null 2>&1 && break
    sleep 0.1
  done
  [ -n "$printed" ] || fail "cups-pdf wrote no PDF of the poster within a minute"
  pages=$(pdfinfo "$printed" | sed -n 's/^Pages: *//p')
  rm -f "$printed"
  [ "${pages:-0}" -gt 1 ] || fail "the queue printed ${pages:-no} pages, not all of them"
fi

step="exit"
leave
grep -q "SaveName=$scratch/out/poster.png" "$settings" || fail "the poster's name was not kept"

step="start again"
start
close_help
# The remembered main image is offered first.
until_shown "Select Poster Image File" keys "$dlg" Return
id=$(win "Select Poster Image File")
keys "$id" Return
gone "Select Poster Image File"               # without tiles the main image is previewed
until_shown "Poster Preview (press ESC to close)" keys "$dlg" alt+w
preview=$(win "Poster Preview (press ESC to close)")
keys "$preview" Escape
gone "Poster Preview (press ESC to close)"
leave
echo "the journey went through"
