#!/bin/bash
# Runs bench_effects and the matching libvips command-line operations on the
# same 12-megapixel 24-bit image and prints megapixels per second and the
# ratio (our time / vips time) per operation.
# Usage: bench/effects/effects_vs_vips.sh [build-dir]   (VIPS_CONCURRENCY is passed on to vips)
set -euo pipefail
build=${1:-build}
bench="$build/bench/effects/bench_effects"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
megapixels=12

"$bench" --write-image="$work/in.ppm"
vips copy "$work/in.ppm" "$work/in.v"
printf '3 3 16 0\n1 2 1\n2 4 2\n1 2 1\n' > "$work/k3.mat"
printf '5 5 64 0\n0 1 2 1 0\n1 4 6 4 1\n2 6 8 6 2\n1 4 6 4 1\n0 1 2 1 0\n' > "$work/k5.mat"
printf '7 7 999 0\n1 4 8 10 8 4 1\n4 12 25 29 25 12 4\n8 25 49 58 49 25 8\n10 29 58 67 58 29 10\n8 25 49 58 49 25 8\n4 12 25 29 25 12 4\n1 4 8 10 8 4 1\n' > "$work/k7.mat"

# Best of three runs of one vips command: "wall cpu" seconds (cpu = user + system).
vips_seconds() {
  local best_wall="" best_cpu=""
  for _ in 1 2 3; do
    local out wall cpu
    out=$( { TIMEFORMAT='%R %U %S'; time vips "$@" >/dev/null; } 2>&1 )
    wall=$(awk '{ print $1 }' <<<"$out")
    cpu=$(awk '{ print $2 + $3 }' <<<"$out")
    if [ -z "$best_wall" ] || awk -v a="$wall" -v b="$best_wall" 'BEGIN { exit !(a < b) }'; then best_wall=$wall; fi
    if [ -z "$best_cpu" ] || awk -v a="$cpu" -v b="$best_cpu" 'BEGIN { exit !(a < b) }'; then best_cpu=$cpu; fi
  done
  echo "$best_wall $best_cpu"
}

declare -A ours_cpu
while IFS=, read -r name _ _ cpu _; do
  ours_cpu[$name]=$cpu
done < <("$bench" --benchmark_format=csv --benchmark_min_time=1 2>/dev/null | grep -E '^"?[A-Za-z0-9]+"?,' | tr -d '"')

declare -A vipscmd=(
  [Filter3x3]="conv $work/in.v $work/out.v $work/k3.mat --precision integer"
  [Filter5x5]="conv $work/in.v $work/out.v $work/k5.mat --precision integer"
  [Filter7x7]="conv $work/in.v $work/out.v $work/k7.mat --precision integer"
  [Median3x3]="rank $work/in.v $work/out.v 3 3 4"
  [ResampleLanczos3Half]="resize $work/in.v $work/out.v 0.5 --kernel lanczos3"
  [Rotate30]="rotate $work/in.v $work/out.v 30"
)

# vips start-up, loading and writing a 12-megapixel result, taken off every vips figure.
read -r base1_wall base1_cpu < <(VIPS_CONCURRENCY=1 vips_seconds copy "$work/in.v" "$work/out.v")
read -r base_wall _ < <(vips_seconds copy "$work/in.v" "$work/out.v")

echo "Ours: CPU time of one call (single thread). vips: best of 3, start-up and I/O of 'vips copy' subtracted."
echo "Ratio = our time / vips time (below 1: we are faster)."
printf '%-22s %9s %14s %7s %16s %7s\n' operation "ours MP/s" "vips 1-thr MP/s" ratio "vips 2-thr MP/s" ratio
for op in Filter3x3 Filter5x5 Filter7x7 Median3x3 ResampleLanczos3Half Rotate30; do
  # shellcheck disable=SC2086
  read -r _ v1_cpu < <(VIPS_CONCURRENCY=1 vips_seconds ${vipscmd[$op]})
  # shellcheck disable=SC2086
  read -r v_wall _ < <(vips_seconds ${vipscmd[$op]})
  awk -v op="$op" -v ms="${ours_cpu[$op]}" -v mp="$megapixels" \
      -v v1="$v1_cpu" -v b1="$base1_cpu" -v v2="$v_wall" -v b2="$base_wall" \
    'BEGIN { o = ms / 1000; v1 -= b1; v2 -= b2;
             printf "%-22s %9.1f %14.1f %7.2f %16.1f %7.2f\n", op, mp / o, mp / v1, o / v1, mp / v2, o / v2 }'
done
