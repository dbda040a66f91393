# Reads Google Benchmark JSON output (one file or more) and prints, for every
# case run as "<Case>/ours" and as "<Case>/<peer>", both times and their
# ratio (ours / peer: below 1, ours is faster), of the real time and of the
# CPU time (which a shared machine's load moves less; for a peer run as
# another process only the real time counts). Name parts that only say how
# a case ran (iterations:2, real_time, ...) do not count in the pairing.
# A case run several times (repetitions) counts by the median of its runs;
# its other aggregates (mean, deviation) and its single runs do not count.
#   awk -f bench-pairs.awk a.json b.json ...

# The value of a '"key": value' line: strings unquoted and unescaped.
function value(line,    v) {
  v = line
  sub(/^[ \t]*"[^"]*":[ \t]*/, "", v)
  sub(/,[ \t]*$/, "", v)
  if (v ~ /^"/) {
    v = substr(v, 2, length(v) - 2)
    gsub(/\\"/, "\"", v)
    gsub(/\\\\/, "\\", v)
  }
  return v
}

function to_ms(t, unit) {
  t += 0
  if (unit == "ns") return t / 1e6
  if (unit == "us") return t / 1e3
  if (unit == "s") return t * 1e3
  return t
}

function show(ms) {
  if (ms >= 100) return sprintf("%.0f ms", ms)
  if (ms >= 1) return sprintf("%.1f ms", ms)
  if (ms >= 0.001) return sprintf("%.1f us", ms * 1e3)
  return sprintf("%.0f ns", ms * 1e6)
}

# The parts of a case's name that say which case it is, into P[row, 1..].
function name_parts(row, name,    parts, part, i, k) {
  parts = split(name, part, "/")
  k = 0
  for (i = 1; i <= parts; i++)
    if (part[i] !~ /^(iterations|repeats|threads|min_time|min_warmup_time):/ &&
        part[i] !~ /^(real_time|manual_time|process_time)$/)
      P[row, ++k] = part[i]
  N[row] = k
}

# One key a line, as Google Benchmark writes its JSON; only the "benchmarks"
# list counts.
FNR == 1 { inside = 0 }
/^[ \t]*"benchmarks": \[/ { inside = 1; next }
!inside { next }
/^[ \t]*"name":/ { rows++; Name[rows] = value($0); Run[rows] = Name[rows]; next }
/^[ \t]*"run_name":/ { Run[rows] = value($0); next }
/^[ \t]*"run_type":/ { Type[rows] = value($0); next }
/^[ \t]*"aggregate_name":/ { Aggregate[rows] = value($0); next }
/^[ \t]*"real_time":/ { Real[rows] = value($0) + 0; next }
/^[ \t]*"cpu_time":/ { Cpu[rows] = value($0) + 0; next }
/^[ \t]*"time_unit":/ { Ms[rows] = to_ms(Real[rows], value($0)); CpuMs[rows] = to_ms(Cpu[rows], value($0)); next }
/^[ \t]*"error_message":/ { Err[rows] = value($0); next }

END {
  # A run repeated counts by its median, which stands for its single runs.
  for (r = 1; r <= rows; r++)
    if (Type[r] == "aggregate" && Aggregate[r] == "median") Median[Run[r]] = 1
  for (r = 1; r <= rows; r++) {
    if (Type[r] == "aggregate" && Aggregate[r] == "median") name_parts(r, Run[r])
    else if (Type[r] != "aggregate" && !(Run[r] in Median)) name_parts(r, Name[r])
    else N[r] = 0
  }
  pairs = 0
  for (r = 1; r <= rows; r++)
    for (at = 1; at <= N[r]; at++) {
      if (N[r] == 0 || P[r, at] != "ours") continue
      label = ""
      for (i = 1; i <= N[r]; i++) if (i != at) label = label (label == "" ? "" : "/") P[r, i]
      for (s = 1; s <= rows; s++) {
        if (s == r || N[s] != N[r] || P[s, at] == "ours") continue
        same = 1
        for (i = 1; i <= N[r] && same; i++) if (i != at && P[s, i] != P[r, i]) same = 0
        if (!same) continue
        if (!pairs++) printf "%-30s %-12s %-10s %-12s %-10s %s\n", "case", "ours", "peer", "peer's", "ours/peer", "of CPU"
        peer = P[s, at]
        if (r in Err) printf "%-30s %-12s %-10s ours not run: %s\n", label, "-", peer, Err[r]
        else if (s in Err) printf "%-30s %-12s %-10s not run: %s\n", label, show(Ms[r]), peer, Err[s]
        else if (Ms[s] > 0)
          printf "%-30s %-12s %-10s %-12s %-10.3g %s\n", label, show(Ms[r]), peer, show(Ms[s]), Ms[r] / Ms[s],
                 (CpuMs[s] > 0 ? sprintf("%.3g", CpuMs[r] / CpuMs[s]) : "-")
      }
    }
  if (!pairs) print "no pairs of <Case>/ours and <Case>/<peer> were run"
}
