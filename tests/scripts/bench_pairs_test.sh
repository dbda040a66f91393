#!/usr/bin/env bash
# The pairing of scripts/bench-pairs.awk over Google Benchmark CSV output:
# pairs across how-it-ran name parts and arguments, units, peers that were
# not run, and cases without a peer.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cat > "$work/a.csv" <<'CSV'
name,iterations,real_time,cpu_time,time_unit,bytes_per_second,items_per_second,label,error_occurred,error_message,"peak_MB"
"Import1_5MB/ours/1",10,40,39,ms,,,,,,12
"Import1_5MB/pandoc/1/iterations:2",2,400,1,ms,,,,,,80
"Import1_5MB/unrtf/1/iterations:3",,,,,,,,true,"unrtf is not installed"
"Import20MB/ours/20/iterations:2",2,2000,1990,ms,,,,,,50
"Import20MB/pandoc/20/iterations:1",1,8000000,10,us,,,,,,300
CSV
cat > "$work/b.csv" <<'CSV'
name,iterations,real_time,cpu_time,time_unit,bytes_per_second,items_per_second,label,error_occurred,error_message
"Check/ours",100,5e+06,5e+06,ns,,,,,
"Check/aspell",100,2e+07,2e+07,ns,,,,,
"Check/hunspell",,,,,,,,true,"hunspell is not installed, no comparison"
"DictionaryMemory/ours",10,1,1,ms,,,,,
"HitTest1MB/ours",1000,3.5,3.5,us,,,,,
"HitTest1MB/qt",1000,700,700,ns,,,,,
"Suggest/ours/iterations:1",,,,,,,,true,"the dictionary did not open"
"Suggest/aspell/iterations:1",1,900,900,ms,,,,,
CSV
awk -f "$root/scripts/bench-pairs.awk" "$work/a.csv" "$work/b.csv" > "$work/out"
cat "$work/out"
fail=0
expect() { # name, pattern
  if grep -qE -- "$2" "$work/out"; then echo "ok   $1"; else echo "FAIL $1"; fail=1; fi
}
expect "pair across iterations parts" '^Import1_5MB/1 +40.0 ms +pandoc +400 ms +0\.100$'
expect "a peer not run says why" '^Import1_5MB/1 +40.0 ms +unrtf +not run: unrtf is not installed$'
expect "units made alike" '^Import20MB/20 +2000 ms +pandoc +8000 ms +0\.250$'
expect "nanoseconds, second file" '^Check +5.0 ms +aspell +20.0 ms +0\.250$'
expect "microseconds" '^HitTest1MB +3.5 us +qt +700 ns +5\.000$'
expect "quoted message with a comma" 'hunspell +not run: hunspell is not installed, no comparison$'
expect "ours not run" '^Suggest +- +aspell +ours not run: the dictionary did not open$'
if grep -q DictionaryMemory "$work/out"; then echo "FAIL a case without peer listed"; fail=1; else echo "ok   a case without peer left out"; fi
[ "$(tail -n +2 "$work/out" | wc -l)" -eq 7 ] || { echo "FAIL seven pairs expected"; fail=1; }
# Nothing paired: said so.
printf 'name,iterations,real_time,cpu_time,time_unit,bytes_per_second,items_per_second,label,error_occurred,error_message\n"A/ours",1,1,1,ms,,,,,\n' > "$work/c.csv"
awk -f "$root/scripts/bench-pairs.awk" "$work/c.csv" | grep -q '^no pairs' && echo "ok   no pairs said" || { echo "FAIL no pairs said"; fail=1; }
exit $fail
