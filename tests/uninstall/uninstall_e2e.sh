#!/usr/bin/env bash
# Installs the product into a scratch prefix and HOME, then runs the installed tessrem under a
# virtual X server of its own and answers its message boxes with the keyboard, as a user would.
#   uninstall_e2e.sh SOURCE_DIR BUILD_DIR SCENARIO
# SCENARIO: complete (No, then Yes and a full removal), running (the poster program holds its
# lock), no_log (Install.log is missing, a pipe, a device, or names nothing). Exit 77 (skipped) when the X server cannot start.
set -euo pipefail
source_dir=$1
build_dir=$2
scenario=$3

skip() {
  echo "SKIPPED: $*" >&2
  exit 77
}
fail() {
  echo "FAILED: $*" >&2
  exit 1
}

for tool in Xvfb xdotool xclip flock desktop-file-validate; do
  command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/setup installs it)"
done

scratch=$(mktemp -d "${TMPDIR:-/tmp}/tessrem-e2e.XXXXXX")
pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  chmod -R u+w "$scratch" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT

export HOME=$scratch/home
export XDG_DATA_HOME=$HOME/.local/share XDG_CONFIG_HOME=$HOME/.config
export XDG_CONFIG_DIRS=$scratch/etc-xdg XDG_RUNTIME_DIR=$scratch/run TMPDIR=$scratch/tmp
export QT_QPA_PLATFORM=xcb
unset SESSION_MANAGER
mkdir -p "$HOME" "$TMPDIR" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

prefix="$scratch/Quillet Poster"
key='Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillet Poster 1.0'
keys() { "$build_dir/uninstall/tessrem-keys" "$@"; }
menu_folder="$XDG_DATA_HOME/applications/Quillet Poster 1.0"
icon=$XDG_DATA_HOME/icons/hicolor/64x64/apps/quillet-poster.png

install_product() {
  "$source_dir/scripts/install" --no-build --build-dir "$build_dir" "$prefix" >/dev/null 2>&1 ||
    fail "scripts/install failed"
}

# The message box now shown, once it is mapped: its window id.
wait_box() {
  timeout 40 xdotool search --sync --onlyvisible --name '^Quillet Poster Uninstall$' | head -n 1 ||
    true
}

wait_closed() {
  local tries
  for tries in $(seq 50); do
    xdotool search --onlyvisible --name '^Quillet Poster Uninstall$' | grep -qx "$1" || return 0
    sleep 0.1
  done
  fail "the message box stayed open after the answer"
}

# Checks that the box shown holds `text` (copied with Ctrl+C, as a user would pass it on), then
# presses `key` in it and waits until it closes; box_pid is then the process id of its program.
answer_box() {
  local text=$1 key=$2 window pid copied
  box_pid=
  window=$(wait_box)
  [ -n "$window" ] || fail "no message box appeared (expected: $text)"
  pid=$(xdotool getwindowpid "$window")
  xdotool windowfocus --sync "$window"
  xdotool key ctrl+c
  sleep 0.3
  copied=$(timeout 5 xclip -o -selection clipboard 2>/dev/null || true)
  [[ $copied == *"$text"* ]] || fail "the box says \"$copied\", not \"$text\""
  xdotool key "$key"
  wait_closed "$window"
  box_pid=$pid
}

wait_exit() {
  local tries
  for tries in $(seq 100); do
    kill -0 "$1" 2>/dev/null || return 0
    sleep 0.1
  done
  fail "tessrem (process $1) did not end after its last message"
}

# Starts the installed uninstaller, as its menu entry does; the first phase ends at once.
start_uninstaller() {
  timeout 20 "$prefix/tessrem" "$@" || fail "the first phase of tessrem did not end by itself"
}

logged_paths() { tr -d '\r' < "$1"; }

expect_installation_intact() {
  local path
  while IFS= read -r path; do
    [ -e "$path" ] || fail "$path was removed"
  done < <(logged_paths "$saved_log")
  [ -f "$menu_folder/Uninstall Quillet Poster.desktop" ] || fail "the menu entries were removed"
  keys exists HKLM "$key" || fail "the installed-programs key was removed"
}

# Adds to the log what a larger installation would list, and lines it must never act on.
extend_log() {
  local i
  mkdir -p "$prefix/extras/deep" "$prefix/many" "$prefix/user" "$scratch/outside"
  echo x > "$prefix/extras/deep/a.txt"
  echo x > "$prefix/crlf.txt"
  echo x > "$prefix/Mozaikon.GID"
  echo mine > "$prefix/user/notes.txt"
  echo mine > "$scratch/outside/keep.txt"
  ln -s "$scratch/outside" "$prefix/link"
  for i in $(seq 300); do echo x > "$prefix/many/f$i"; done
  chmod 444 "$prefix/mozaikon-cli" "$prefix/many/f300"
  # A hard link to a file outside: its name goes, the outside file keeps its mode.
  echo shared > "$scratch/outside/shared.txt"
  chmod 444 "$scratch/outside/shared.txt"
  ln "$scratch/outside/shared.txt" "$prefix/shared.txt"
  chmod 555 "$prefix/extras/deep"
  {
    printf '%s\n' "$prefix/shared.txt"
    printf '%s\n' "$prefix/extras/" "$prefix/extras/deep/" "$prefix/extras/deep/a.txt"
    printf '%s\r\n' "$prefix/crlf.txt"
    printf '%s\n' "" "$scratch/outside/keep.txt" "$prefix/../outside/keep.txt" \
      "$prefix/link/keep.txt" "$scratch/outside/" "$scratch/" "$prefix/link/" "outside/keep.txt"
    for i in $(seq 300); do echo "$prefix/many/f$i"; done
  } >> "$prefix/Install.log"
}

expect_removed() {
  local path
  for path in "$@"; do
    [ ! -e "$path" ] && [ ! -L "$path" ] || fail "$path is still there"
  done
}

expect_kept() {
  local path
  for path in "$@"; do
    [ -e "$path" ] || [ -L "$path" ] || fail "$path was removed"
  done
}

scenario_complete() {
  install_product
  cmp -s "$saved_log" "$prefix/Install.log" || fail "installing again changed Install.log"
  [ "$(find "$menu_folder" -type f | wc -l)" = 3 ] || fail "the menu folder does not hold 3 entries"
  desktop-file-validate "$menu_folder"/*.desktop \
    "$XDG_DATA_HOME/desktop-directories/quillet-poster-1.0.directory" || fail "invalid menu entries"
  [ -f "$icon" ] || fail "the program's icon is not in the icon theme"
  extend_log
  keys set HKLM "$key\\Parts\\Help" Installed yes
  keys set HKLM 'Software\Microsoft\Windows\CurrentVersion\Uninstall\Another Program' Name other

  start_uninstaller
  answer_box "Continue with uninstall?" Return
  wait_exit "$box_pid"
  [ -x "$TMPDIR/tessrem" ] || fail "the first phase left no copy in the temporary folder"
  expect_installation_intact

  # The argument of the first phase is not passed on: the copy works on the folder it lies in.
  start_uninstaller "$scratch/outside"
  answer_box "Continue with uninstall?" y
  answer_box "Uninstall complete." Return
  wait_exit "$box_pid"

  local path
  while IFS= read -r path; do
    case $path in */) ;; *) expect_removed "$path" ;; esac
  done < <(logged_paths "$saved_log")
  expect_removed "$prefix/mozaikon-cli" "$prefix/tessrem" "$prefix/Install.log" \
    "$prefix/crlf.txt" "$prefix/Mozaikon.GID" "$prefix/extras" "$prefix/many"
  expect_kept "$prefix/user/notes.txt" "$prefix/link" "$scratch/outside/keep.txt"
  expect_removed "$prefix/shared.txt"
  [ "$(stat -c %a "$scratch/outside/shared.txt")" = 444 ] ||
    fail "the mode of a file outside the installation folder was changed"
  expect_removed "$menu_folder" "$XDG_DATA_HOME/desktop-directories/quillet-poster-1.0.directory" \
    "$XDG_CONFIG_HOME/menus/applications-merged/quillet-poster-1.0.menu" "$icon"
  ! keys exists HKLM "$key" || fail "the installed-programs key is still there"
  keys exists HKLM 'Software\Microsoft\Windows\CurrentVersion\Uninstall\Another Program' ||
    fail "another program's key was removed"
}

scenario_running() {
  local lock="$XDG_RUNTIME_DIR/Quillet Poster 1.0 Mutex"
  # The poster program's lock, held shared as long as it runs.
  (exec 9>"$lock" && flock -s 9 && exec sleep 300) &
  pids+=($!)
  until ! flock -n -x "$lock" true; do sleep 0.05; done
  # Started from the temporary folder, it is the second phase itself, on the folder it is given.
  cp "$prefix/tessrem" "$TMPDIR/tessrem"
  "$TMPDIR/tessrem" "$prefix" &
  local second_phase=$!
  answer_box "Continue with uninstall?" y
  [ "$box_pid" = "$second_phase" ] || fail "tessrem started from the temporary folder copied itself"
  answer_box "Uninstall has detected that Quillet Poster is currently running." Return
  wait_exit "$box_pid"
  expect_installation_intact
}

scenario_no_log() {
  # A temporary folder that cannot take the copy stops the first phase with message 8.
  TMPDIR=$scratch/no-such-folder "$prefix/tessrem" &
  answer_box "Uninstall could not copy itself to the Windows temporary folder:

$scratch/no-such-folder

Check if there is enough disk space available." Return
  wait_exit "$box_pid"
  expect_installation_intact

  rm "$prefix/Install.log"
  grep -vxF "$prefix/Install.log" "$saved_log" > "$saved_log.rest" || true
  mv "$saved_log.rest" "$saved_log"
  start_uninstaller
  answer_box "Continue with uninstall?" y
  answer_box "Install log file not found, uninstall cannot proceed." Return
  wait_exit "$box_pid"
  expect_installation_intact

  # A named pipe or a device for the log is refused at once, and so is a log naming nothing.
  local log
  for log in pipe device nothing; do
    rm -f "$prefix/Install.log"
    case $log in
      pipe) mkfifo "$prefix/Install.log" ;;
      device) ln -s /dev/zero "$prefix/Install.log" ;;
      nothing) printf 'junk\n/etc/passwd\n\n' > "$prefix/Install.log" ;;
    esac
    start_uninstaller
    answer_box "Continue with uninstall?" y
    if [ "$log" = nothing ]; then
      answer_box "The install log names no file of the installation folder" Return
    else
      answer_box "Install log file not found, uninstall cannot proceed." Return
    fi
    wait_exit "$box_pid"
    expect_installation_intact
  done
}

case $scenario in
  complete|running|no_log) ;;
  *) fail "unknown scenario $scenario" ;;
esac

source "$source_dir/tests/support/xvfb.sh"
start_xvfb "$scratch"
install_product
saved_log=$scratch/Install.log.saved
cp "$prefix/Install.log" "$saved_log"
"scenario_$scenario"
echo "passed: $scenario"
