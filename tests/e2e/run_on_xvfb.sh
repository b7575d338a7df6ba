#!/bin/sh
# Runs a program on its own virtual X screen, as the end-to-end checks need a
# real display. Without Xvfb (scripts/test installs it) the check is skipped.
for tool in xvfb-run xauth; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "$tool is not installed: end-to-end checks skipped" >&2
    exit 77
  fi
done
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY QT_QPA_PLATFORMTHEME QT_STYLE_OVERRIDE
exec xvfb-run -a -s "-screen 0 1600x1200x24" "$@"
