#!/usr/bin/env bash
# Remakes the pictures of docs/screenshots/: runs the screenshot tests under a
# virtual display (each checks its pictures and leaves them in the build
# folder), then copies them over the documentation's. Nothing else writes
# docs/screenshots/.
#   scripts/update-screenshots.sh            (build folder: build/, or QY_BUILD_DIR)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QY_BUILD_DIR:-$root/build}
cmake --build "$build" -j4
cd "$build"
rm -rf screenshots
ctest -R '_screenshots$|^journal_end_to_end$' --output-on-failure
# Two pictures of the offscreen tests: every item kind, mixed fonts.
QY_SCREENSHOT_DIR=$build/screenshots QT_QPA_PLATFORM=offscreen QY_SOURCE_DIR=$root \
  tests/richtext/view/test_richtext_view --gtest_filter='ItemsPaint.*:RealFontLayout.PaintedInk*'
cp screenshots/*.png "$root/docs/screenshots/"
cp tests/app/journal.png "$root/docs/screenshots/journal.png"
ls -l "$root/docs/screenshots/"
