#!/usr/bin/env bash
# Peak resident memory of `gifanim make` on 500 pictures of 1920x1080 (ten distinct 24-bit BMPs,
# each given 50 times): screen-like stripes with a band of noise, different in every picture.
#
#   bench/gifanim_make_rss.sh [BUILD_DIR]      (default: build)
set -euo pipefail
build=${1:-build}
gifanim=$build/tools/gifanim
[ -x "$gifanim" ] || { echo "build gifanim first" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

width=1920 height=1080
pixels=$((width * 3 * height))
le32() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $(($1 >> 8 & 255)))\\x$(printf %02x $(($1 >> 16 & 255)))\\x$(printf %02x $(($1 >> 24 & 255)))"; }
set +o pipefail  # yes ends by SIGPIPE
for i in $(seq 0 9); do
  {
    printf 'BM'; le32 $((54 + pixels)); le32 0; le32 54
    le32 40; le32 $width; le32 $height; printf '\x01\x00\x18\x00'; le32 0; le32 $pixels
    le32 2835; le32 2835; le32 0; le32 0
    noise=$((100000 + i * 1000))
    yes "$(printf '%*s' $((40 + i)) '' | tr ' ' 'w')$(printf '%*s' 17 '' | tr ' ' '#')" | tr -d '\n' |
      head -c $((pixels - noise))
    head -c "$noise" /dev/urandom
  } >"$work/frame$i.bmp"
done
set -o pipefail

args=()
for _ in $(seq 50); do for i in $(seq 0 9); do args+=("$work/frame$i.bmp"); done; done
start=$(date +%s%N)
"$gifanim" make --delay 10 -o "$work/out.gif" "${args[@]}" &
pid=$!
peak=0
while kill -0 "$pid" 2>/dev/null; do
  hwm=$(awk '$1 == "VmHWM:" {print $2}' "/proc/$pid/status" 2>/dev/null || true)
  [ -n "$hwm" ] && [ "$hwm" -gt "$peak" ] && peak=$hwm
  sleep 0.05
done
wait "$pid"
echo "gifanim make, 500 frames of ${width}x${height}: $((($(date +%s%N) - start) / 1000000)) ms," \
  "GIF $(($(stat -c %s "$work/out.gif") / 1048576)) MB, peak rss $((peak / 1024)) MB"
