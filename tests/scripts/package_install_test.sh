#!/usr/bin/env bash
# package_install_test.sh <build folder>
# The Debian package of the built tree (cpack on it, nothing rebuilt),
# unpacked into a scratch root: its fields and files checked, its launcher
# entry and metainfo validated, and the installed program started from the
# entry's Exec line with a scratch home, far enough to make its database
# folder from the installed template and open it. Needs a display
# (xvfb-run) and xdotool.
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
pid=
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail=0
ok() { echo "ok   $1"; }
bad() { echo "FAIL $1"; fail=1; }
# check <name> <command...>: the command's output shown when it fails.
check() {
  local name=$1; shift
  if "$@" > "$work/out" 2>&1; then ok "$name"; else bad "$name"; cat "$work/out"; fi
}

if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/pkg" > "$work/cpack.log" 2>&1; then
  echo "FAIL cpack"; cat "$work/cpack.log"; exit 1
fi
deb=$(ls "$work"/pkg/quillory_*.deb)
root=$work/root
dpkg-deb -x "$deb" "$root"
id=io.github.quillory.Quillory

# Fields: the libraries' packages found by dpkg-shlibdeps, the tools as
# recommends.
depends=$(dpkg-deb -f "$deb" Depends)
# (SQLCipher is linked in; OpenSSL is its cipher.)
check "depends on the Qt, JPEG and OpenSSL libraries" grep -Eq 'libjpeg.*libqt6printsupport6.*libqt6widgets6.*libssl' <<<"$depends"
check "depends carry versions" grep -Eq 'libc6 \(>= [0-9.]+\)' <<<"$depends"
check "recommends pandoc and the printing tools" grep -Eq 'pandoc.*cups-client' <<<"$(dpkg-deb -f "$deb" Recommends)"

# Files under the FHS layout.
for f in usr/share/quillory/DataTemplate/Quillory.db usr/share/quillory/DataTemplate/Profile.db \
         usr/share/quillory/American.spm usr/share/quillory/British.spm usr/share/quillory/Wordhoard.spt \
         usr/share/quillory/American.spm.copyright usr/share/quillory/help/index.txt \
         usr/share/quillory/BitMaps/Quillory.bmp usr/share/quillory/icons/quillory.ico \
         usr/share/applications/$id.desktop usr/share/metainfo/$id.metainfo.xml; do
  check "installed: $f" test -s "$root/$f"
done
check "installed: usr/bin/quillory, stripped" bash -c "file '$root/usr/bin/quillory' | grep -q 'ELF.*stripped' && ! file '$root/usr/bin/quillory' | grep -q 'not stripped'"
for size in 48 64 128 256; do
  check "icon ${size}px" bash -c "file '$root/usr/share/icons/hicolor/${size}x${size}/apps/$id.png' | grep -q 'PNG image data, $size x $size'"
done
check "nothing outside usr/" bash -c "[ \"\$(ls '$root')\" = usr ]"

# The desktop's validators.
check "desktop-file-validate" desktop-file-validate "$root/usr/share/applications/$id.desktop"
check "appstreamcli validate" appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml"
entry=$root/usr/share/applications/$id.desktop
check "the entry names the installed icon" grep -qx "Icon=$id" "$entry"
exec_line=$(sed -n 's/^Exec=//p' "$entry")
check "the entry's program is installed" test -x "$root/usr/bin/${exec_line%% *}"

# The installed program from the entry's Exec line, in a scratch home; the
# build tree is out of its reach (nothing of it is on the way from the root).
home=$work/home
mkdir -p "$home/run" && chmod 700 "$home/run"
export HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share
export XDG_DOCUMENTS_DIR=$home/Documents XDG_RUNTIME_DIR=$home/run
unset QT_QPA_PLATFORM QT_SCALE_FACTOR QT_FONT_DPI
PATH="$root/usr/bin:$PATH" sh -c "exec $exec_line" > "$work/program.log" 2>&1 &
pid=$!
user=$(id -un)
data="$XDG_DOCUMENTS_DIR/Quillory for $user"
# The first window whose name matches, within a minute (a loaded machine).
# A search stops with an X error when a window goes while it reads the
# names (a dialog that just closed): it is asked again rather than trusted
# once.
find_window() {
  local tries=0 found
  while [ $tries -lt 120 ]; do
    found=$(xdotool search "$@" 2>/dev/null | head -1) || true
    if [ -n "$found" ]; then echo "$found"; return 0; fi
    sleep 0.5; tries=$((tries + 1))
  done
  return 1
}
# The first start asks before it makes the database folder: OK.
if win=$(find_window --name "CREATING NEW QUILLORY"); then
  ok "the first start asks for the database folder"
  xdotool windowfocus --sync "$win" key Return || true
else
  bad "the first start asks for the database folder"
fi
# Then, once, whether to start at log-in (No by default): Yes.
if win=$(find_window --name "Quillory Start-Up"); then
  ok "the first start asks whether to start at log-in"
  xdotool windowfocus --sync "$win" key alt+y || true
else
  bad "the first start asks whether to start at log-in"
fi
waited=0
until [ -s "$data/Profile.db" ] && [ -s "$XDG_CONFIG_HOME/autostart/QUILLORY.desktop" ] || [ $waited -ge 600 ]; do
  sleep 0.1; waited=$((waited + 1))
done
check "the database folder made from the installed template" test -s "$data/Quillory.db" -a -s "$data/Profile.db"
# Starting at log-in puts the program in the autostart folder, pointing at
# the installed program.
check "the autostart entry starts the installed program" \
  grep -qx "Exec=$root/usr/bin/quillory" "$XDG_CONFIG_HOME/autostart/QUILLORY.desktop"
check "the main window shows" find_window --onlyvisible --name "^QUILLORY"
check "the program still runs" kill -0 "$pid"
if [ $fail -ne 0 ]; then echo "--- program output"; cat "$work/program.log"; fi
exit $fail
