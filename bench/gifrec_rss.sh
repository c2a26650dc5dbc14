#!/usr/bin/env bash
# Resident memory of gifrec over a long full-screen recording of a changing 1920x1080 screen, on
# a private Xvfb: the resident size every 30 s, the peak, and the save at the end.
#
#   bench/gifrec_rss.sh [BUILD_DIR] [MINUTES]      (defaults: build, 10)
#   GIFREC_BENCH_DISPLAY=:81 picks the display number.
set -euo pipefail
build=${1:-build}
minutes=${2:-10}
gifrec=$build/app/gifrec
helper=$build/tests/e2e/e2e_helper
[ -x "$gifrec" ] && [ -x "$helper" ] || { echo "build gifrec and e2e_helper first" >&2; exit 2; }
source "$(dirname "$0")/private_desktop.bash"
trap 'kill -0 "${gifrec_pid:-0}" 2>/dev/null || { echo "gifrec ended early:"; cat "$work/gifrec.log"; }; cleanup' EXIT

"$helper" draw $((minutes * 60 + 600)) &
pids+=($!)
start_gifrec gifrec.log
sleep 1

echo "before recording: rss $(($(field VmRSS) / 1024)) MB"
tap_f2
start=$(date +%s)
cpu_start=$(cpu)
while [ $(($(date +%s) - start)) -lt $((minutes * 60)) ]; do
  sleep 30
  echo "$(($(date +%s) - start)) s: rss $(($(field VmRSS) / 1024)) MB, peak $(($(field VmHWM) / 1024)) MB"
done
journal=$(ls "$HOME/.local/state/gifrec/"*.frames 2>/dev/null | head -n1 || true)
frames=$([ -n "$journal" ] && "$helper" journal-frames "$journal" || echo "?")
cpu_recording=$(($(cpu) - cpu_start))
tap_f2
saved=$(date +%s%N)
for _ in $(seq 600); do
  [ -n "$(saved_gif)" ] && break
  sleep 0.5
done
gif=$(saved_gif)
echo "saved in $((($(date +%s%N) - saved) / 1000000)) ms (to within 500 ms): $(($(stat -c %s "$gif") / 1024)) KiB, $frames frames"
ticks=$(getconf CLK_TCK)
[ "$frames" != "?" ] && awk -v c="$cpu_recording" -v t="$ticks" -v f="$frames" \
  'BEGIN {printf "recorder CPU while recording: %.2f ms per frame\n", c * 1000 / t / f}'
true
sleep 2
echo "peak rss over the run: $(($(field VmHWM) / 1024)) MB"
