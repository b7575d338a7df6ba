#!/bin/sh
# Crash recovery with the real program on the X display: a reading is opened,
# three points are added by clicking the picture, and after 3 s the program is
# killed (SIGKILL, no chance to clean up). The recovery folder must then hold
# a reading with those points that the export subcommand reads; started
# again, the program asks whether to restore it and does.
# All data folders are temporary (XDG_DATA_HOME), never the user's.
# usage: program_crash_recovery.sh PROGRAM READING ARTIFACT_DIR
set -u
prog=$1 reading=$2 art=$3
for tool in xdotool import convert python3; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "$tool is not installed: skipped" >&2
    exit 77
  fi
done
mkdir -p "$art"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/data"
status=0
fail() {
  echo "FAIL: $*" >&2
  import -window root "$art/failure-recovery.png" 2>/dev/null
  status=1
}

# A plain magenta picture is easy to find on the screen; the reading's frame
# is kept, its points dropped.
convert -size 400x300 xc:'#ff00ff' "$work/pic.png"
sed -e "s|^Graph Picture :.*|Graph Picture :$work/pic.png\r|" \
    -e 's/^ Array Data   :TRUE.*/ Array Data   :FALSE,0,0,0,0\r/' "$reading" >"$work/r.orvd"

main_window() {
  timeout "$1" xdotool search --sync --onlyvisible --name '^Orvalinetrix +Version' 2>/dev/null | head -n 1
}

# Top-left corner of the 400 x 300 picture on the screen ("x y").
find_picture() {
  import -window root -depth 8 "$work/screen.ppm" 2>/dev/null
  python3 - "$work/screen.ppm" <<'EOF'
import sys
data = open(sys.argv[1], 'rb').read()
# P6 header: magic, width, height, maxval, each followed by white space.
fields, pos = [], 0
while len(fields) < 4:
    while data[pos:pos + 1].isspace():
        pos += 1
    start = pos
    while not data[pos:pos + 1].isspace():
        pos += 1
    fields.append(data[start:pos])
pos += 1
w, h = int(fields[1]), int(fields[2])
px = b'\xff\x00\xff'
for y in range(h):
    row = data[pos + y * w * 3: pos + (y + 1) * w * 3]
    x = 0
    while True:
        i = row.find(px, x * 3)
        while i >= 0 and i % 3:
            i = row.find(px, i + 1)
        if i < 0:
            break
        x0 = i // 3
        x1 = x0
        while x1 < w and row[x1 * 3: x1 * 3 + 3] == px:
            x1 += 1
        if x1 - x0 >= 380:  # the picture (the zoom view is narrower)
            print(x0, y)
            sys.exit(0)
        x = x1 + 1
sys.exit(1)
EOF
}

copies() { find "$XDG_DATA_HOME" -path '*/recovery/*.orvd' -not -path '*/old/*' 2>/dev/null; }

# 1. Open, click three points, wait, kill.
"$prog" "$work/r.orvd" >/dev/null 2>"$art/recovery-first.log" &
pid=$!
wid=$(main_window 15)
[ -n "$wid" ] || { fail "no main window"; kill -9 "$pid"; exit 1; }
tries=0
until pos=$(find_picture); do
  tries=$((tries + 1))
  if [ "$tries" -gt 20 ]; then
    fail "picture not found on the screen"
    kill -9 "$pid"
    exit 1
  fi
  sleep 0.5
done
set -- $pos
left=$1 top=$2
for f in 0.3 0.5 0.7; do
  x=$(python3 -c "print(int($left + $f * 400))")
  y=$(python3 -c "print(int($top + (1 - $f) * 300))")
  xdotool mousemove --sync "$x" "$y" click 1
  sleep 0.3
done
sleep 3
import -window root "$art/recovery-before-kill.png" 2>/dev/null
kill -9 "$pid"
wait "$pid" 2>/dev/null

copy=$(copies | head -n 1)
if [ -z "$copy" ]; then
  fail "no recovery copy after the kill"
  exit 1
fi
n=$(grep -c 'Array Data   :TRUE,1,' "$copy")
[ "$n" -eq 3 ] || fail "the recovery copy holds $n points, not 3"
"$prog" export "$copy" --format json >"$work/export.json" 2>"$art/recovery-export.log"
rc=$?
[ "$rc" -eq 0 ] || fail "export of the recovery copy: exit status $rc"
m=$(grep -o '"series"' "$work/export.json" | wc -l)
[ "$m" -eq 3 ] || fail "export read $m points, not 3"

# 2. Started again: the question, answered Yes ("y", the button's access key).
"$prog" --no-splash >/dev/null 2>"$art/recovery-second.log" &
pid=$!
box=$(timeout 15 xdotool search --sync --onlyvisible --name '^Notice!$' 2>/dev/null | head -n 1)
if [ -z "$box" ]; then
  fail "no restore question at the second start"
  kill -9 "$pid"
  exit 1
fi
import -window root "$art/recovery-question.png" 2>/dev/null
xdotool windowfocus --sync "$box" 2>/dev/null
xdotool key --clearmodifiers y
sleep 3
import -window root "$art/recovery-restored.png" 2>/dev/null
# Restored as an unsaved reading: this program keeps its own copy of it, with
# the three points, and the crashed one's is in old/.
mine=$(copies | head -n 1)
if [ -z "$mine" ] || [ "$mine" = "$copy" ]; then
  fail "the restored reading is not kept as unsaved"
else
  n=$(grep -c 'Array Data   :TRUE,1,' "$mine")
  [ "$n" -eq 3 ] || fail "the restored reading holds $n points, not 3"
fi
[ -f "$(dirname "$copy")/old/$(basename "$copy")" ] || fail "the crashed copy was not moved to old/"

# 3. Quit, discarding the changes ("n" in the save question): nothing is left.
wid=$(main_window 5)
xdotool windowfocus --sync "$wid" 2>/dev/null
sleep 0.2
xdotool key --clearmodifiers alt+f
sleep 0.3
xdotool key q
box=$(timeout 5 xdotool search --sync --onlyvisible --name '^Notice!$' 2>/dev/null | head -n 1)
if [ -n "$box" ]; then
  xdotool windowfocus --sync "$box" 2>/dev/null
  xdotool key --clearmodifiers n
else
  fail "quitting with the restored reading did not ask about unsaved changes"
fi
n=0
while kill -0 "$pid" 2>/dev/null && [ "$n" -lt 50 ]; do
  sleep 0.1
  n=$((n + 1))
done
if kill -0 "$pid" 2>/dev/null; then
  fail "the program did not end"
  kill -9 "$pid"
fi
[ -z "$(copies)" ] || fail "a recovery copy is left after the normal end"
[ "$status" -eq 0 ] && echo "recovery copy written, read by export, restored after SIGKILL"
exit "$status"
