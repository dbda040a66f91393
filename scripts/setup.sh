#!/usr/bin/env bash
# Shared set-up of ./run and ./test: install the Debian packages the build
# needs when any is missing, then configure and build with Ninja and ccache.
# (dpkg-dev and file make the Debian package, whose test validates with
# desktop-file-utils and appstream and answers the program with xdotool;
# openbox frames the windows of the tests that need a window manager;
# faketime runs a test across midnight.)
set -euo pipefail

QY_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
QY_BUILD="${QY_BUILD_DIR:-$QY_ROOT/build}"

if [ -z "${QY_PACKAGES+x}" ]; then QY_PACKAGES=(
  cmake g++ ninja-build ccache pkg-config
  wamerican wbritish mythes-en-us wordnet-base
  qt6-base-dev qt6-image-formats-plugins libsqlcipher-dev sqlcipher libssl-dev libargon2-dev libjpeg62-turbo-dev
  libgtest-dev googletest libgmock-dev libbenchmark-dev
  fonts-liberation2 fonts-liberation fonts-dejavu-core fonts-urw-base35
  poppler-utils xvfb xauth
  pandoc default-jre-headless
  dpkg-dev file desktop-file-utils appstream xdotool openbox faketime
); fi

qy_install_packages() {
  local missing=()
  for p in "${QY_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$p")
    fi
  done
  if [ ${#missing[@]} -eq 0 ]; then return 0; fi
  echo "Installing: ${missing[*]}"
  # As root apt-get runs directly; otherwise through sudo, keeping the
  # non-interactive front end.
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then sudo=(sudo -E); fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -qq || true
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# The Nu HTML Checker that the export tests run, from the npm registry into
# tools/node_modules as package-lock.json pins it (its own Java download is
# not run: Debian's Java runs it).
qy_install_checkers() {
  local jar="$QY_ROOT/tools/node_modules/vnu-jar/build/dist/vnu.jar"
  if [ -f "$jar" ]; then return 0; fi
  # Debian's npm only where no npm is there: a Node.js from elsewhere brings
  # its own and conflicts with Debian's.
  if ! command -v npm >/dev/null 2>&1; then
    local QY_PACKAGES=(npm)
    qy_install_packages
  fi
  echo "Installing the HTML checker"
  (cd "$QY_ROOT/tools" && npm ci --ignore-scripts --no-audit --no-fund --loglevel=error)
}

qy_build() {
  # Cache hits across clones of the repository in other folders.
  export CCACHE_BASEDIR="$QY_ROOT"
  export CCACHE_NOHASHDIR=1
  export CCACHE_MAXSIZE="${CCACHE_MAXSIZE:-5G}"
  # The test programs' precompiled headers are cached too.
  export CCACHE_SLOPPINESS="pch_defines,time_macros"
  if [ ! -f "$QY_BUILD/build.ninja" ]; then
    cmake -S "$QY_ROOT" -B "$QY_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
  fi
  cmake --build "$QY_BUILD" "$@"
}
