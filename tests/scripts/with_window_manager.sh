#!/usr/bin/env bash
# with_window_manager.sh <program> [arguments...]
# Runs a test program on a virtual display of its own with a window manager
# (Xvfb and openbox), so that windows get frames and title bars as on a
# desktop. Without Xvfb or openbox the program runs as it is and its framed
# tests skip with a message.
set -uo pipefail
if ! command -v Xvfb > /dev/null || ! command -v openbox > /dev/null; then
  echo "Xvfb or openbox is not installed: the tests that need window frames skip"
  exec "$@"
fi
work=$(mktemp -d)
xvfb=0 wm=0
cleanup() {
  [ "$wm" != 0 ] && kill "$wm" 2> /dev/null
  [ "$xvfb" != 0 ] && kill "$xvfb" 2> /dev/null
  wait 2> /dev/null
  rm -rf "$work"
}
trap cleanup EXIT
# The server picks a free display and writes its number.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3> "$work/display" 2> "$work/xvfb.log" &
xvfb=$!
for _ in $(seq 600); do [ -s "$work/display" ] && break; sleep 0.1; done
if [ ! -s "$work/display" ]; then
  echo "Xvfb did not start:" && cat "$work/xvfb.log"
  exit 1
fi
export DISPLAY=":$(head -n1 "$work/display")"
HOME=$work openbox --sm-disable > "$work/openbox.log" 2>&1 &
wm=$!
# Ready once it has announced itself on the root window.
if command -v xprop > /dev/null; then
  for _ in $(seq 600); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2> /dev/null | grep -q "window id" && break
    sleep 0.1
  done
fi
sleep 0.5
export QT_QPA_PLATFORM=xcb
"$@"
