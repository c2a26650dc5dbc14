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
display=${GIFREC_BENCH_DISPLAY:-:$((90 + RANDOM % 400))}

work=$(mktemp -d)
pids=()
cleanup() {
  kill -0 "${gifrec_pid:-0}" 2>/dev/null || { echo "gifrec ended early:"; cat "$work/gifrec.log"; }
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp -noreset >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run
export XDG_STATE_HOME=$HOME/.local/state  # never the caller's own recordings
mkdir -p "$HOME/Desktop" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
echo 'XDG_DESKTOP_DIR="$HOME/Desktop"' >"$XDG_CONFIG_HOME/user-dirs.dirs"

"$helper" draw $((minutes * 60 + 600)) &
pids+=($!)
"$gifrec" >"$work/gifrec.log" 2>&1 &
gifrec_pid=$!
pids+=("$gifrec_pid")
sleep 3

field() { awk -v key="$1:" '$1 == key {print $2}' "/proc/$gifrec_pid/status"; }
cpu() { awk '{print $14 + $15}' "/proc/$gifrec_pid/stat"; }
tap_f2() { xdotool keydown F2; sleep 0.05; xdotool keyup F2; }

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
  # The name is held by an empty file until the finished GIF is renamed over it.
  [ -n "$(find "$HOME/Desktop/GIF动画" -name '*.gif' -size +0c 2>/dev/null)" ] && break
  sleep 0.5
done
gif=$(find "$HOME/Desktop/GIF动画" -name '*.gif' -size +0c | head -n1)
echo "saved in $((($(date +%s%N) - saved) / 1000000)) ms (to within 500 ms): $(($(stat -c %s "$gif") / 1024)) KiB, $frames frames"
ticks=$(getconf CLK_TCK)
[ "$frames" != "?" ] && awk -v c="$cpu_recording" -v t="$ticks" -v f="$frames" \
  'BEGIN {printf "recorder CPU while recording: %.2f ms per frame\n", c * 1000 / t / f}'
true
sleep 2
echo "peak rss over the run: $(($(field VmHWM) / 1024)) MB"
