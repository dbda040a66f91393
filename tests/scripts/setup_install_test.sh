#!/usr/bin/env bash
# The package install path of ./run and ./test, run against stub commands on
# PATH: no network, no real apt-get. Checks who calls apt-get and with what.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
stubs="$work/bin"; mkdir -p "$stubs"
log="$work/calls"

# dpkg-query reports every package installed except those in $MISSING.
cat > "$stubs/dpkg-query" <<'S'
#!/usr/bin/env bash
pkg="${@: -1}"
for m in $MISSING; do [ "$m" = "$pkg" ] && { echo -n "unknown ok not-installed"; exit 1; }; done
echo -n "install ok installed"
S
cat > "$stubs/apt-get" <<'S'
#!/usr/bin/env bash
echo "apt-get $* [DEBIAN_FRONTEND=${DEBIAN_FRONTEND:-}]" >> "$CALLS"
S
cat > "$stubs/sudo" <<'S'
#!/usr/bin/env bash
echo "sudo $*" >> "$CALLS"
[ "$1" = "-E" ] && shift
exec "$@"
S
cat > "$stubs/id" <<'S'
#!/usr/bin/env bash
echo "$FAKE_UID"
S
chmod +x "$stubs"/*

fail=0
check() { # name, expected-pattern, file
  if grep -qE -- "$2" "$3"; then echo "ok   $1"; else echo "FAIL $1"; echo "---"; cat "$3"; echo "---"; fail=1; fi
}
check_not() {
  if grep -qE -- "$2" "$3"; then echo "FAIL $1"; cat "$3"; fail=1; else echo "ok   $1"; fi
}

run_case() { # uid, missing packages
  : > "$log"
  PATH="$stubs:$PATH" CALLS="$log" FAKE_UID="$1" MISSING="$2" bash -c '
    set -euo pipefail
    QY_PACKAGES=(alpha beta gamma)
    source "'"$root"'/scripts/setup.sh"
    qy_install_packages' > "$work/out" 2>&1 || { echo "FAIL install exited non-zero (uid $1)"; cat "$work/out"; fail=1; }
}

# As root: apt-get directly, only the missing packages, never sudo.
run_case 0 "beta gamma"
check "root: install of the missing packages" '^apt-get install -y -qq --no-install-recommends beta gamma \[DEBIAN_FRONTEND=noninteractive\]$' "$log"
check_not "root: sudo not called" '^sudo' "$log"
check_not "root: installed package not asked for" 'install.* alpha' "$log"

# As a user: through sudo, keeping the environment.
run_case 1000 "alpha"
check "user: sudo -E apt-get install" '^sudo -E apt-get install -y -qq --no-install-recommends alpha$' "$log"
check "user: apt-get reached with the front end" '^apt-get install .* alpha \[DEBIAN_FRONTEND=noninteractive\]$' "$log"

# Nothing missing: nothing called.
run_case 1000 ""
if [ -s "$log" ]; then echo "FAIL nothing missing still called:"; cat "$log"; fail=1; else echo "ok   nothing missing, nothing called"; fi

exit $fail
