#!/usr/bin/env bash
# Runs the benchmarks beside their peers and prints each pair's ratio.
#   scripts/bench.sh [bench_program ...] [-- <Google Benchmark options>]
# Installs the peers (aspell and hunspell with their English dictionaries and
# libraries, pandoc, unrtf), codespell and misspell-fixer (their lists of
# misspellings are suggestion sets) the way ./run installs the build's packages,
# configures the build again so that it finds them, builds the benchmark
# programs and runs them: those named, else every program with a
# "<Case>/ours" case. Last, each "<Case>/ours" beside each "<Case>/<peer>":
# both times and ours/peer (below 1, ours is faster), of the real time and of
# the CPU time.
# QY_BENCH_INSTALL=0 runs with whatever is installed.
set -euo pipefail
source "$(dirname "$0")/setup.sh"

programs=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do programs+=("$1"); shift; done
[ "${1:-}" = "--" ] && shift
QY_PACKAGES+=(libaspell-dev aspell-en libhunspell-dev hunspell-en-us pandoc unrtf codespell misspell-fixer)
if [ "${QY_BENCH_INSTALL:-1}" != 0 ]; then qy_install_packages; fi

# A configure run before the peers were there left them not found: look again.
cmake -S "$QY_ROOT" -B "$QY_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
paired=0
if [ ${#programs[@]} -eq 0 ]; then
  paired=1
  for src in "$QY_ROOT"/bench/bench_*.cpp; do programs+=("$(basename "$src" .cpp)"); done
fi
qy_build --target "${programs[@]}"

export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
for p in "${programs[@]}"; do
  bin="$QY_BUILD/bench/$p"
  if [ "$paired" = 1 ]; then
    cases=$("$bin" --benchmark_list_tests 2>/dev/null || true)
    grep -q '/ours\b' <<<"$cases" || continue
  fi
  echo "== $p"
  # A program that fails still leaves the pairs of the others.
  "$bin" --benchmark_out="$out/$p.json" --benchmark_out_format=json "$@" || echo "$p failed (exit $?)"
done
echo
echo "== Pairs (ours/peer of the real and of the CPU time per iteration; below 1, ours is faster)"
awk -f "$QY_ROOT/scripts/bench-pairs.awk" "$out"/*.json
