#!/usr/bin/env bash
# Runs the random sequences of the journal window (the sequence test of
# test_asan_window) on many seeds, side by side on the cores, and prints the
# seeds that fail with the end of their output (the steps and the
# sanitizer's stack), then each failing seed's first failure on one line.
#   scripts/table-sequences.sh [--seeds N] [--first S] [--steps N] [--jobs N]
#                              [--minutes M] [--build DIR] [--plain]
#                              [--program FILE] [--keep]
# --minutes keeps going past --seeds until the time is up. --plain runs the
# program built without the sanitizers (target table_sequences, built when
# missing), several times faster, for long runs. --program runs another
# build of it. --keep keeps every seed's log, not only the failing ones'.
# The application's libraries keep no frame pointers: for where a freed
# object was freed, rerun the seed with
# ASAN_OPTIONS=detect_leaks=1:fast_unwind_on_malloc=0 (several times slower).
set -uo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
seeds=100 first=1 steps=300 jobs="$(nproc)" minutes=0 build="${QY_BUILD_DIR:-$root/build}" plain=0 program="" keep=0
while [ $# -gt 0 ]; do
  case "$1" in
    --seeds) seeds="$2"; shift 2 ;;
    --first) first="$2"; shift 2 ;;
    --steps) steps="$2"; shift 2 ;;
    --jobs) jobs="$2"; shift 2 ;;
    --minutes) minutes="$2"; shift 2 ;;
    --build) build="$2"; shift 2 ;;
    --plain) plain=1; shift ;;
    --program) program="$2"; shift 2 ;;
    --keep) keep=1; shift ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done

if [ -z "$program" ]; then
  if [ "$plain" -eq 1 ]; then
    program="$build/tests/asan/table_sequences"
    if ! cmake --build "$build" --target table_sequences >/dev/null; then
      echo "table_sequences does not build (cmake --build $build --target table_sequences)" >&2
      exit 2
    fi
  else
    program="$build/tests/asan/test_asan_window"
  fi
fi
if [ ! -x "$program" ]; then
  echo "$program is not built (cmake --build $build --target test_asan_window)" >&2
  exit 2
fi
logs="$(mktemp -d "${TMPDIR:-/tmp}/table-sequences.XXXXXX")"
echo "$(basename "$program"): seeds from $first, $steps steps each, $jobs at a time; logs in $logs"

# One seed: its own temporary HOME and XDG folders, headless, the leak check
# on. Prints "FAIL <seed>" with the stack, or nothing.
run_one() {
  local seed="$1" log="$logs/seed-$1.log" home
  home="$(mktemp -d "$logs/home-$1.XXXX")"
  if HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" \
     XDG_CACHE_HOME="$home/.cache" XDG_RUNTIME_DIR="$home/run" \
     QT_QPA_PLATFORM=offscreen QY_SOURCE_DIR="$root" FONTCONFIG_FILE="$root/tests/fonts.conf" \
     ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}" LSAN_OPTIONS="suppressions=$root/tests/asan/lsan.supp" \
     UBSAN_OPTIONS=print_stacktrace=1 \
     QY_TABLE_SEQUENCE_SEED="$seed" QY_TABLE_SEQUENCE_STEPS="$steps" \
     timeout 900 "$program" >"$log" 2>&1; then
    rm -rf "$home"
    [ "$keep" -eq 1 ] || rm -f "$log"
  else
    rm -rf "$home"
    {
      echo "FAIL $seed (rerun: QY_TABLE_SEQUENCE_SEED=$seed QY_TABLE_SEQUENCE_STEPS=$steps $program; log $log)"
      # The failed checks, and the sanitizer's report with its first frames
      # (the steps that led there are the log's last "steps:" line).
      grep -v "This plugin does not support" "$log" |
        awk '/Failure$/ {n = 6} /ERROR: (Address|Leak)Sanitizer|runtime error|did not return/ {n = 14}
             /^(freed|previously allocated) by/ {n = 7} /^steps: / {next} n > 0 {print; n--}' | head -60
    } | sed 's/^/  /; 1s/^  //'
  fi
}
export -f run_one
export logs steps program root keep

# The CPU time of the seeds' programs: what the shell's children used, less
# what they had used before the first seed (the build check).
# (`times` runs in this shell: a subshell's would count nothing.)
children_cpu() {
  times >"$logs/times"
  read -r "$1" "$2" < <(tr '\n' ' ' <"$logs/times" | sed 's/m/ /g; s/s//g' |
                        awk '{printf "%.0f %.0f\n", $5 * 60 + $6, $7 * 60 + $8}')
}
children_cpu cu0 cs0
start=$(date +%s)
end=$((start + minutes * 60))
seed="$first"
failed=0
while :; do
  batch=()
  for ((i = 0; i < jobs * 4; i++)); do
    if [ "$minutes" -eq 0 ] && [ "$seed" -ge $((first + seeds)) ]; then break; fi
    batch+=("$seed"); seed=$((seed + 1))
  done
  [ ${#batch[@]} -eq 0 ] && break
  out="$(printf '%s\n' "${batch[@]}" | xargs -P "$jobs" -I{} bash -c 'run_one {}')"
  if [ -n "$out" ]; then echo "$out"; failed=$((failed + $(grep -c '^FAIL' <<<"$out"))); fi
  if [ "$minutes" -gt 0 ] && [ "$(date +%s)" -ge "$end" ]; then break; fi
done

# Each failing seed's first failed check, one line each, for sorting them.
for log in "$logs"/seed-*.log; do
  [ -e "$log" ] || continue
  grep -q -e 'Failure$' -e 'ERROR: ' -e 'runtime error' -e 'did not return' "$log" || continue
  s="${log##*/seed-}"
  what="$(grep -v "This plugin does not support" "$log" |
          awk 'f && /^Google Test trace/ {print fallback; exit}
               f && !/^[ \t]/ && !/^(Expected|Value of:|Actual:)/ {print; exit}
               f && fallback == "" && /Which is:/ {fallback = $0}
               /Failure$/ {f = 1; next}
               /ERROR: |runtime error|did not return/ {print; exit}')"
  printf 'seed %s: %s\n' "${s%.log}" "${what:0:200}"
done | sort -t' ' -k2 -n

children_cpu cu cs
echo "$((seed - first)) seeds run, $failed failed; $(( $(date +%s) - start )) s elapsed," \
     "$((cu - cu0)) s user + $((cs - cs0)) s system CPU"
[ "$failed" -eq 0 ]
