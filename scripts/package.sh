#!/usr/bin/env bash
# Builds the Debian package of Quillory: sets up and builds the program as
# ./run does, then CPack installs it into a staging folder and packs it
# (dependencies from dpkg-shlibdeps). The package lands in build/package/;
# install it with `sudo apt install ./build/package/quillory_*.deb`.
set -euo pipefail
source "$(dirname "$0")/setup.sh"
qy_install_packages
qy_build --target quillory
out="$QY_BUILD/package"
rm -f "$out"/quillory_*.deb
cpack -G DEB --config "$QY_BUILD/CPackConfig.cmake" -B "$out"
ls "$out"/quillory_*.deb
