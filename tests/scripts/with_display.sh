#!/usr/bin/env bash
# with_display.sh <program> [arguments...]
# Runs a program on a virtual display of its own. The server picks a free
# display number and reports it, so runs started at the same moment (other
# builds' tests too) never race for one, as xvfb-run -a's guess can.
set -uo pipefail
work=$(mktemp -d)
xvfb=0
cleanup() {
  [ "$xvfb" != 0 ] && kill "$xvfb" 2> /dev/null
  wait 2> /dev/null
  rm -rf "$work"
}
trap cleanup EXIT
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3> "$work/display" 2> "$work/xvfb.log" &
xvfb=$!
for _ in $(seq 600); do [ -s "$work/display" ] && break; sleep 0.1; done
if [ ! -s "$work/display" ]; then
  echo "Xvfb did not start:" && cat "$work/xvfb.log"
  exit 1
fi
export DISPLAY=":$(head -n1 "$work/display")"
"$@"
