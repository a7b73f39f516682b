#!/usr/bin/env bash
# Times ternavo-cli computing a key with its full leave-one-out diagnostics
# from N identical points: seeded noisy similarity data at national-grid
# coordinates (X, Y around 10^6 m over +-20 km, heights 100..500 m, 3 cm
# noise, a few decimetres on every 97th point). Prints one line per type with
# wall time, user and system CPU and peak memory.
#
#   bench/cli_keys.sh [BUILD_DIR] [N] [TYPES]
#   TYPES: a blank-separated subset of "affine similarity congruence" (default all)
#   TERNAVO_BENCH_WRAP: a command put before ternavo-cli, e.g.
#     "valgrind --tool=callgrind --callgrind-out-file=/tmp/cg.%p"
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-${TERNAVO_BUILD_DIR:-$here/build}}"
count="${2:-1000}"
types="${3:-affine similarity congruence}"
cli="$build/ternavo-cli"
[ -x "$cli" ] || { echo "no $cli: build the ternavo-cli target first" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (package time)" >&2; exit 2; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

awk -v n="$count" 'BEGIN {
  srand(14); pi = atan2(0, -1)
  o = 0.0003; f = -0.0002; k = 0.0123; s = 1.0000123
  co = cos(o); so = sin(o); cp = cos(f); sp = sin(f); ck = cos(k); sk = sin(k)
  # R = Ry(phi) Rx(omega) Rz(kappa)
  r11 = cp * ck - so * sp * sk; r12 = cp * sk + so * sp * ck; r13 = -co * sp
  r21 = -co * sk;               r22 = co * ck;               r23 = so
  r31 = sp * ck + so * cp * sk; r32 = sp * sk - so * cp * ck; r33 = co * cp
  print n
  for (i = 0; i < n; i++) {
    x = 1000000 + (rand() - 0.5) * 40000; y = 1100000 + (rand() - 0.5) * 40000
    z = 300 + (rand() - 0.5) * 400
    e = (i % 97 == 0) ? 0.4 : 0.03
    tx = -1234.5 + s * (r11 * x + r12 * y + r13 * z) + (rand() - 0.5) * e
    ty = 876.25 + s * (r21 * x + r22 * y + r23 * z) + (rand() - 0.5) * e
    tz = 45.5 + s * (r31 * x + r32 * y + r33 * z) + (rand() - 0.5) * e
    printf "%d %.3f %.3f %.3f\n%.3f %.3f %.3f\n", 1 + i, tx, ty, tz, x, y, z
  }
  print 0
}' > "$work/points.txt"

for type in $types; do
  # shellcheck disable=SC2086
  /usr/bin/time -v -o "$work/time.txt" ${TERNAVO_BENCH_WRAP:-} \
    "$cli" -t "$type" -o "$work/protocol.txt" "$work/points.txt" \
    > "$work/stdout.txt" 2> "$work/stderr.txt" || { cat "$work/stderr.txt" >&2; exit 1; }
  wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$work/time.txt")
  user=$(sed -n 's/.*User time (seconds): //p' "$work/time.txt")
  system=$(sed -n 's/.*System time (seconds): //p' "$work/time.txt")
  peak=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time.txt")
  sum=$(md5sum < "$work/protocol.txt" | cut -c1-12)
  printf '%-10s n=%-6s wall %-8s user %-7s system %-6s peak %4s MB  protocol %s\n' \
    "$type" "$count" "$wall" "$user" "$system" "$((peak / 1024))" "$sum"
done
