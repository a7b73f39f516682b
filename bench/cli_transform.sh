#!/usr/bin/env bash
# Times ternavo-cli on a similarity key from 50 identical points and the
# transformation of 1,000,000 detail points, protocol saved with -o and
# standard output written to a file. Prints wall time and peak memory.
#
#   bench/cli_transform.sh [BUILD_DIR] [DETAIL_COUNT]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-${TERNAVO_BUILD_DIR:-$here/build}}"
count="${2:-1000000}"
cli="$build/ternavo-cli"
[ -x "$cli" ] || { echo "no $cli: build the ternavo-cli target first" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (package time)" >&2; exit 2; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# 50 identical points on a 10 x 5 grid, a known similarity key with a few
# millimetres of noise, then the detail points in the source system.
awk -v n="$count" 'BEGIN {
  srand(7); pi = atan2(0, -1); k = 23.5 * pi / 180; s = 1.000021
  c = cos(k); d = sin(k)
  print 50
  for (i = 0; i < 50; i++) {
    x = 100 + (i % 10) * 95.3; y = 80 + int(i / 10) * 131.7; z = 20 + (i * 7) % 40
    tx = 1043000 + s * (c * x - d * y) + (rand() - 0.5) * 0.01
    ty = 742000 + s * (d * x + c * y) + (rand() - 0.5) * 0.01
    tz = 210 + s * z + (rand() - 0.5) * 0.01
    printf "%d %.3f %.3f %.3f\n%.3f %.3f %.3f\n", 1001 + i, tx, ty, tz, x, y, z
  }
  print n
  for (j = 0; j < n; j++)
    printf "%d %.3f %.3f %.3f\n", 100001 + j, rand() * 1000, rand() * 700, rand() * 60
}' > "$work/points.txt"

/usr/bin/time -v -o "$work/time.txt" \
  "$cli" -t similarity --transform -o "$work/protocol.txt" "$work/points.txt" \
  > "$work/stdout.txt" 2> "$work/stderr.txt"

lines=$(wc -l < "$work/stdout.txt")
bytes=$(stat -c %s "$work/protocol.txt")
wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$work/time.txt")
peak=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time.txt")
user=$(sed -n 's/.*User time (seconds): //p' "$work/time.txt")
system=$(sed -n 's/.*System time (seconds): //p' "$work/time.txt")
echo "detail points:      $count"
echo "standard output:    $lines lines"
echo "protocol file:      $bytes bytes"
echo "wall time:          $wall (user $user s, system $system s)"
echo "peak memory:        $((peak / 1024)) MB"
