#!/bin/sh
# Time from the process's start to the settled screen when a photo is opened
# from the command line, under Xvfb: the last of the whole picture area's
# first full paint and the main window's exposure, measured on the wall clock
# from just before the program is started. Usage: opening_time.sh PROGRAM PHOTO [RUNS]
prog=$1 photo=$2 runs=${3:-5}
i=0
while [ $i -lt "$runs" ]; do
    ORV_STARTUP_TRACE=1 xvfb-run -a -s '-screen 0 1280x1024x24' sh -c '
        t0=$(date +%s%3N)
        "$0" "$1" 2>/tmp/orv-opening.$$ & p=$!
        sleep 2; kill $p; wait $p 2>/dev/null
        awk -v t0="$t0" "/startup: (whole picture area painted|main window exposed) .*wall/ {
            gsub(/[()]/, \"\"); w = \$(NF-1); if (w > last) last = w }
            END { printf \"settled %d ms after the process started\\n\", last - t0 }" /tmp/orv-opening.$$
        rm -f /tmp/orv-opening.$$' "$prog" "$photo"
    i=$((i + 1))
done
