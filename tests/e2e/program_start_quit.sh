#!/bin/sh
# The program itself on the X display, driven by the X server's own input
# (xdotool): it starts with a picture from the command line and through its
# splash, shows its main window, and ends through File > Quit typed with the
# menu's access keys.
# usage: program_start_quit.sh PROGRAM PICTURE ARTIFACT_DIR
set -u
prog=$1 pic=$2 art=$3
for tool in xdotool import; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "$tool is not installed: skipped" >&2
    exit 77
  fi
done
mkdir -p "$art"
status=0

fail() {
  echo "FAIL: $*" >&2
  import -window root "$art/failure-program.png" 2>/dev/null
  status=1
}

# Waits until process $1 has ended (at most $2 tenths of a second); its exit
# status in $rc.
wait_end() {
  n=0
  while kill -0 "$1" 2>/dev/null; do
    n=$((n + 1))
    if [ "$n" -gt "$2" ]; then
      kill "$1" 2>/dev/null
      wait "$1" 2>/dev/null
      rc=timeout
      return 1
    fi
    sleep 0.1
  done
  wait "$1"
  rc=$?
  return 0
}

main_window() {
  timeout "$1" xdotool search --sync --onlyvisible --name '^Orvalinetrix +Version' 2>/dev/null | head -n 1
}

quit_by_menu() {
  xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"
  sleep 0.2
  xdotool key --clearmodifiers alt+f
  sleep 0.3
  xdotool key q
}

run() { # name, arguments...
  name=$1
  shift
  "$prog" "$@" >/dev/null 2>"$art/program-$name.log" &
  pid=$!
  wid=$(main_window 15)
  if [ -z "$wid" ]; then
    fail "$name: no main window"
    kill "$pid" 2>/dev/null
    return
  fi
  sleep 0.5
  import -window root "$art/program-$name.png" 2>/dev/null
  quit_by_menu "$wid"
  if ! wait_end "$pid" 50; then
    fail "$name: File > Quit did not end the program"
  elif [ "$rc" -ne 0 ]; then
    fail "$name: exit status $rc"
  fi
}

run picture --no-splash "$pic"
run splash
# A file named on the command line that does not exist: said on standard
# error, and the program starts as usual.
missing="$art/no-such-chart.png"
run missing "$missing"
grep -qF "orvalinetrix: $missing: no such file" "$art/program-missing.log" ||
  fail "missing file: not reported on standard error"
[ "$status" -eq 0 ] && echo "program started and quit three times"
exit "$status"
