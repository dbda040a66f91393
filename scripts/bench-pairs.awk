# Reads Google Benchmark CSV output (one file or more) and prints, for every
# case run as "<Case>/ours" and as "<Case>/<peer>", both times and their
# ratio (ours / peer: below 1, ours is faster). Name parts that only say how
# a case ran (iterations:2, real_time, ...) do not count in the pairing.
#   awk -f bench-pairs.awk a.csv b.csv ...

# Splits one CSV line into F[1..n] (quoted fields may hold commas and "").
function csv(line,    n, i, c, field, quoted) {
  n = 0; field = ""; quoted = 0
  for (i = 1; i <= length(line); i++) {
    c = substr(line, i, 1)
    if (quoted) {
      if (c == "\"" && substr(line, i + 1, 1) == "\"") { field = field c; i++ }
      else if (c == "\"") quoted = 0
      else field = field c
    } else if (c == "\"") quoted = 1
    else if (c == ",") { F[++n] = field; field = "" }
    else field = field c
  }
  F[++n] = field
  return n
}

function to_ms(value, unit) {
  value += 0
  if (unit == "ns") return value / 1e6
  if (unit == "us") return value / 1e3
  if (unit == "s") return value * 1e3
  return value
}

function show(ms) {
  if (ms >= 100) return sprintf("%.0f ms", ms)
  if (ms >= 1) return sprintf("%.1f ms", ms)
  if (ms >= 0.001) return sprintf("%.1f us", ms * 1e3)
  return sprintf("%.0f ns", ms * 1e6)
}

FNR == 1 { header = 0 }
!header && /^name,/ {
  header = 1
  n = csv($0)
  for (i = 1; i <= n; i++) col[F[i]] = i
  next
}
header {
  csv($0)
  rows++
  name = F[col["name"]]
  parts = split(name, part, "/")
  k = 0
  for (i = 1; i <= parts; i++)
    if (part[i] !~ /^(iterations|repeats|threads|min_time|min_warmup_time):/ &&
        part[i] !~ /^(real_time|manual_time|process_time)$/)
      P[rows, ++k] = part[i]
  N[rows] = k
  if (F[col["error_occurred"]] == "true") Err[rows] = F[col["error_message"]]
  else Ms[rows] = to_ms(F[col["real_time"]], F[col["time_unit"]])
}

END {
  pairs = 0
  for (r = 1; r <= rows; r++)
    for (at = 1; at <= N[r]; at++) {
      if (P[r, at] != "ours") continue
      label = ""
      for (i = 1; i <= N[r]; i++) if (i != at) label = label (label == "" ? "" : "/") P[r, i]
      for (s = 1; s <= rows; s++) {
        if (s == r || N[s] != N[r] || P[s, at] == "ours") continue
        same = 1
        for (i = 1; i <= N[r] && same; i++) if (i != at && P[s, i] != P[r, i]) same = 0
        if (!same) continue
        if (!pairs++) printf "%-26s %-12s %-10s %-12s %s\n", "case", "ours", "peer", "peer's", "ours/peer"
        peer = P[s, at]
        if (r in Err) printf "%-26s %-12s %-10s ours not run: %s\n", label, "-", peer, Err[r]
        else if (s in Err) printf "%-26s %-12s %-10s not run: %s\n", label, show(Ms[r]), peer, Err[s]
        else if (Ms[s] > 0) printf "%-26s %-12s %-10s %-12s %.3f\n", label, show(Ms[r]), peer, show(Ms[s]), Ms[r] / Ms[s]
      }
    }
  if (!pairs) print "no pairs of <Case>/ours and <Case>/<peer> were run"
}
