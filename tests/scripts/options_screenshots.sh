#!/usr/bin/env bash
# options_screenshots.sh <helper> <folder> <program folder>
# Runs the preferences and manage-journals screenshot helper with a home and
# configuration folder of its own (removed after), so nothing reaches the
# user's files; the pictures go to <folder>. Needs a display (xvfb-run).
set -euo pipefail
helper=$1 out=$2 program=$3
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/run" "$out"
chmod 700 "$home/run"
export HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share
export XDG_DOCUMENTS_DIR=$home/Documents XDG_RUNTIME_DIR=$home/run
unset QT_QPA_PLATFORM QT_SCALE_FACTOR QT_FONT_DPI
"$helper" "$out" "$program"
