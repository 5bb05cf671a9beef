#!/bin/bash
# Runs bench_effects and the matching libvips command-line operations on the
# same 12-megapixel 24-bit image and prints megapixels per second and the
# ratio (our time / vips time) per operation.
# Usage: bench/effects_vs_vips.sh [build-dir]   (VIPS_CONCURRENCY is passed on to vips)
set -euo pipefail
build=${1:-build}
bench="$build/bench/bench_effects"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
megapixels=12

"$bench" --write-image="$work/in.ppm"
vips copy "$work/in.ppm" "$work/in.v"
printf '3 3 16 0\n1 2 1\n2 4 2\n1 2 1\n' > "$work/k3.mat"
printf '5 5 64 0\n0 1 2 1 0\n1 4 6 4 1\n2 6 8 6 2\n1 4 6 4 1\n0 1 2 1 0\n' > "$work/k5.mat"
printf '7 7 999 0\n1 4 8 10 8 4 1\n4 12 25 29 25 12 4\n8 25 49 58 49 25 8\n10 29 58 67 58 29 10\n8 25 49 58 49 25 8\n4 12 25 29 25 12 4\n1 4 8 10 8 4 1\n' > "$work/k7.mat"

# Best of three wall-clock seconds of one vips command.
vips_seconds() {
  local best=""
  for _ in 1 2 3; do
    local t0 t1 s
    t0=$(date +%s.%N)
    vips "$@" >/dev/null
    t1=$(date +%s.%N)
    s=$(awk -v a="$t0" -v b="$t1" 'BEGIN { print b - a }')
    if [ -z "$best" ] || awk -v s="$s" -v b="$best" 'BEGIN { exit !(s < b) }'; then best=$s; fi
  done
  echo "$best"
}

# Start-up, loading and writing a 12-megapixel result, taken off every vips figure.
overhead=$(vips_seconds copy "$work/in.v" "$work/out.v")

declare -A ours
while IFS=, read -r name _ real _; do
  ours[$name]=$real
done < <("$bench" --benchmark_format=csv --benchmark_min_time=1 2>/dev/null | grep -E '^"?[A-Za-z0-9]+"?,' | tr -d '"')

declare -A vipscmd=(
  [Filter3x3]="conv $work/in.v $work/out.v $work/k3.mat --precision integer"
  [Filter5x5]="conv $work/in.v $work/out.v $work/k5.mat --precision integer"
  [Filter7x7]="conv $work/in.v $work/out.v $work/k7.mat --precision integer"
  [Median3x3]="rank $work/in.v $work/out.v 3 3 4"
  [ResampleLanczos3Half]="resize $work/in.v $work/out.v 0.5 --kernel lanczos3"
  [Rotate30]="rotate $work/in.v $work/out.v 30"
)

printf 'vips concurrency: %s; vips start-up+I/O overhead subtracted: %.3f s\n' "${VIPS_CONCURRENCY:-default}" "$overhead"
printf '%-22s %10s %10s %8s\n' operation "ours MP/s" "vips MP/s" "ratio"
for op in Filter3x3 Filter5x5 Filter7x7 Median3x3 ResampleLanczos3Half Rotate30; do
  # shellcheck disable=SC2086
  v=$(vips_seconds ${vipscmd[$op]})
  awk -v op="$op" -v v="$v" -v over="$overhead" -v ms="${ours[$op]}" -v mp="$megapixels" \
    'BEGIN { v -= over; o = ms / 1000; printf "%-22s %10.1f %10.1f %8.2f\n", op, mp / o, mp / v, o / v }'
done
