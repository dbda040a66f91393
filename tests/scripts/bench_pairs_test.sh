#!/usr/bin/env bash
# The pairing of scripts/bench-pairs.awk over Google Benchmark JSON output:
# pairs across how-it-ran name parts and arguments, units (of the real and
# the CPU time), peers that were not run, aggregates, and cases without a peer.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# json <file> <name|real time|unit|error message|run type|run name|aggregate>...:
# a file laid out as Google Benchmark writes it (its context first, counters
# among the keys; the run name is the name unless given).
json() {
  local file=$1 first=1; shift
  { printf '{\n  "context": {\n    "date": "2026-12-08",\n    "caches": [\n      {\n        "type": "Data",\n        "name": "not a run"\n      }\n    ]\n  },\n  "benchmarks": [\n'
    for row in "$@"; do
      IFS='|' read -r name real unit error type run aggregate <<<"$row"
      [ $first = 1 ] || printf '    },\n'
      first=0
      printf '    {\n      "name": "%s",\n      "run_name": "%s",\n      "run_type": "%s",\n' \
        "$name" "${run:-$name}" "${type:-iteration}"
      [ -z "$aggregate" ] ||
        printf '      "repetitions": 3,\n      "threads": 1,\n      "aggregate_name": "%s",\n' "$aggregate"
      [ -z "$error" ] || printf '      "error_occurred": true,\n      "error_message": "%s",\n' "$error"
      printf '      "iterations": 2,\n      "real_time": %s,\n      "cpu_time": 1.0e+00,\n      "time_unit": "%s",\n      "peak_MB": 1.2e+01\n' "$real" "$unit"
    done
    printf '    }\n  ]\n}\n'
  } > "$file"
}
json "$work/a.json" \
  "Import1_5MB/ours/1|4.0e+01|ms" \
  "Import1_5MB/pandoc/1/iterations:2|4.0e+02|ms" \
  "Import1_5MB/unrtf/1/iterations:3|0|ms|unrtf is not installed" \
  "Import20MB/ours/20/iterations:2|2000|ms" \
  "Import20MB/pandoc/20/iterations:1|8.0e+06|us"
json "$work/b.json" \
  "Check/ours|5e+06|ns" \
  "Check/aspell|2e+07|ns" \
  "Check/hunspell|0|ns|hunspell is not installed, \\\"no\\\" comparison" \
  "DictionaryMemory/ours|1|ms" \
  "HitTest1MB/ours|3.5|us" \
  "HitTest1MB/qt|700|ns" \
  "HitTest1MB/ours_mean|3.5|us||aggregate" \
  "HitTest1MB/qt_mean|700|ns||aggregate" \
  "Suggest/ours/iterations:1|0|ms|the dictionary did not open" \
  "Suggest/aspell/iterations:1|900|ms"
awk -f "$root/scripts/bench-pairs.awk" "$work/a.json" "$work/b.json" > "$work/out"
cat "$work/out"
fail=0
expect() { # name, pattern
  if grep -qE -- "$2" "$work/out"; then echo "ok   $1"; else echo "FAIL $1"; fail=1; fi
}
expect "pair across iterations parts" '^Import1_5MB/1 +40.0 ms +pandoc +400 ms +0\.1 +1$'
expect "a peer not run says why" '^Import1_5MB/1 +40.0 ms +unrtf +not run: unrtf is not installed$'
expect "units made alike" '^Import20MB/20 +2000 ms +pandoc +8000 ms +0\.25 +1e\+03$'
expect "nanoseconds, second file" '^Check +5.0 ms +aspell +20.0 ms +0\.25 +1$'
expect "microseconds" '^HitTest1MB +3.5 us +qt +700 ns +5 +1e\+03$'
expect "message with a comma and quotes" 'hunspell +not run: hunspell is not installed, "no" comparison$'
expect "ours not run" '^Suggest +- +aspell +ours not run: the dictionary did not open$'
if grep -q DictionaryMemory "$work/out"; then echo "FAIL a case without peer listed"; fail=1; else echo "ok   a case without peer left out"; fi
[ "$(tail -n +2 "$work/out" | wc -l)" -eq 7 ] || { echo "FAIL seven pairs expected"; fail=1; }
# Repeated runs pair by their medians: neither the single runs nor the other
# aggregates make pairs of their own; a file of aggregates alone pairs too.
r=PrintPdf/ours/repeats:3 q=PrintPdf/qt/repeats:3
json "$work/d.json" \
  "$r|700|ms" "$r|500|ms" "$r|520|ms" \
  "${r}_mean|573|ms||aggregate|$r|mean" "${r}_median|520|ms||aggregate|$r|median" \
  "${r}_stddev|110|ms||aggregate|$r|stddev" \
  "$q|1300|ms" "$q|1250|ms" "$q|1400|ms" \
  "${q}_mean|1317|ms||aggregate|$q|mean" "${q}_median|1300|ms||aggregate|$q|median" \
  "Paint/ours_median|2|ms||aggregate|Paint/ours|median" "Paint/ours_mean|9|ms||aggregate|Paint/ours|mean" \
  "Paint/qt_median|4|ms||aggregate|Paint/qt|median"
awk -f "$root/scripts/bench-pairs.awk" "$work/d.json" > "$work/medians"
cat "$work/medians"
expect_in() { # file, name, pattern
  if grep -qE -- "$3" "$1"; then echo "ok   $2"; else echo "FAIL $2"; fail=1; fi
}
expect_in "$work/medians" "repetitions pair by their medians" '^PrintPdf +520 ms +qt +1300 ms +0\.4 '
expect_in "$work/medians" "aggregates alone pair by their medians" '^Paint +2\.0 ms +qt +4\.0 ms +0\.5 '
[ "$(tail -n +2 "$work/medians" | wc -l)" -eq 2 ] || { echo "FAIL two pairs of medians expected"; fail=1; }
# Nothing paired: said so.
json "$work/c.json" "A/ours|1|ms"
awk -f "$root/scripts/bench-pairs.awk" "$work/c.json" | grep -q '^no pairs' && echo "ok   no pairs said" || { echo "FAIL no pairs said"; fail=1; }
exit $fail
