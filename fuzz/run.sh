#!/usr/bin/env bash
# Runs every fuzzer for a while, one after the other (the machine is shared).
# Usage: [TQ7_FUZZ_TARGETS="jp2 tga"] fuzz/run.sh [seconds per target]   (default 60)
# New crash inputs land in fuzz/regressions/<extension>/ for the tests to replay
# (knowledge files under dcr/, containers under sfp/).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build-fuzz"
seconds="${1:-60}"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DTQ7_BUILD_FUZZERS=ON -DTQ7_BUILD_TESTS=OFF -DTQ7_BUILD_BENCH=OFF >/dev/null
read -r -a targets <<<"${TQ7_FUZZ_TARGETS:-pcx tga pcd jp2 bmp gif tiff picturefile knowledge container dicom captionstrip}"
ninja -C "$build" -j2 fuzz_seeds "${targets[@]/#/fuzz_}"
corpus="$build/corpus"
"$build/fuzz/fuzz_seeds" "$corpus"
# A PhotoCD file is 768 KiB: one grey base image.
mkdir -p "$corpus/pcd"
python3 - "$corpus/pcd/seed" <<'PY'
import sys
data = bytearray(0x30000 + 256 * 2304)
data[72] = 8
for pair in range(256):
    at = 0x30000 + pair * 2304
    data[at:at + 1536] = bytes([100]) * 1536
    data[at + 1536:at + 2304] = bytes([140]) * 768
open(sys.argv[1], "wb").write(data)
PY
# DICOM seeds: a small 12-bit grey object, native and in the compressed syntaxes.
mkdir -p "$corpus/dicom"
if [ ! -e "$corpus/dicom/native" ]; then
  seeds=$(mktemp -d)
  head -c 512 /dev/zero | tr '\0' '\1' >"$seeds/p.raw"
  printf '%s\n' "(0008,0016) UI =SecondaryCaptureImageStorage" "(0008,0018) UI [1.2.3.4]" \
    "(0008,0005) CS [ISO_IR 100]" "(0010,0010) PN [Str\xf6m]" "(0028,0002) US 1" "(0028,0004) CS [MONOCHROME2]" \
    "(0028,0008) IS [2]" "(0028,0010) US 8" "(0028,0011) US 16" "(0028,0100) US 16" "(0028,0101) US 12" \
    "(0028,0102) US 11" "(0028,0103) US 0" "(0028,1050) DS [100]" "(0028,1051) DS [50]" \
    "(7fe0,0010) OW =$seeds/p.raw" >"$seeds/d.txt"
  dump2dcm "$seeds/d.txt" "$corpus/dicom/native"
  dcmcjpeg "$corpus/dicom/native" "$corpus/dicom/jpeg"
  dcmcjpls "$corpus/dicom/native" "$corpus/dicom/jpegls"
  dcmcrle "$corpus/dicom/native" "$corpus/dicom/rle"
  dcmconv +td "$corpus/dicom/native" "$corpus/dicom/deflated"
  rm -rf "$seeds"
fi
for target in "${targets[@]}"; do
  ext="$target"
  [ "$target" = tiff ] && ext=tif
  [ "$target" = knowledge ] && ext=dcr
  [ "$target" = container ] && ext=sfp
  artifacts="$top/fuzz/regressions/$ext/"
  mkdir -p "$artifacts" "$corpus/$target"
  maxlen=4096
  [ "$target" = pcd ] && maxlen=800000
  [ "$target" = picturefile ] && maxlen=8192
  [ "$target" = dicom ] && maxlen=8192
  echo "== $target"
  ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
    "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -max_len="$maxlen" -rss_limit_mb=2048 \
    -timeout=10 -artifact_prefix="$artifacts" -print_final_stats=1 "$corpus/$target" 2>&1 |
    grep -E "stat::number_of_executed_units|stat::peak_rss_mb|ERROR|SUMMARY|Test unit written|DONE" || true
done
