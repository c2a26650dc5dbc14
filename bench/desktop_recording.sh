#!/usr/bin/env bash
# A full-screen recording of a desktop as a user has it: a photo-like wallpaper, a terminal
# scrolling text and a clock with a seconds hand, on a private 1920x1080 Xvfb with openbox.
# Prints the GIF's size and frames, the frame rate, gifrec's CPU per frame and peak memory,
# and the time the save took; leaves the GIF and a screenshot of the desktop after the save in
# OUT_DIR when one is given.
#
#   bench/desktop_recording.sh [BUILD_DIR] [SECONDS] [OUT_DIR] [gifrec options...]
#                              (defaults: build, 30; e.g. --lang en)
#   GIFREC_BENCH_SCENE=still leaves the terminal out: a still desktop with a ticking clock.
# Needs xterm, xclock (x11-apps), openbox and ImageMagick; a comparison tool only, no test uses it.
set -euo pipefail
build=${1:-build}
seconds=${2:-30}
out=${3:-}
shift $(($# < 3 ? $# : 3))
gifrec=$build/app/gifrec
helper=$build/tests/e2e/e2e_helper
[ -x "$gifrec" ] && [ -x "$helper" ] || { echo "build gifrec and e2e_helper first" >&2; exit 2; }
for tool in Xvfb openbox xterm xclock convert display xdotool; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed" >&2; exit 0; }
done
source "$(dirname "$0")/private_desktop.bash"

openbox >/dev/null 2>&1 &
pids+=($!)
convert -size 1920x1080 -seed 7 plasma:steelblue-wheat -blur 0x2 "$work/wallpaper.png"
display -window root "$work/wallpaper.png" &
pids+=($!)
if [ "${GIFREC_BENCH_SCENE:-}" != still ]; then
  xterm -geometry 110x36+80+90 -fa Monospace -fs 11 -e bash -c \
    'while :; do for f in /usr/share/doc/*/copyright; do head -n 3 "$f"; sleep 0.15; done; done' &
  pids+=($!)
fi
xclock -update 1 -geometry 220x220+1620+60 &
pids+=($!)
sleep 2

start_gifrec gifrec.log "$@"
sleep 1

tap_f2
cpu_start=$(cpu)
sleep "$seconds"
journal=$(ls "$XDG_STATE_HOME/gifrec/"*.frames 2>/dev/null | head -n1 || true)
records=$([ -n "$journal" ] && "$helper" journal-frames "$journal" || echo 0)
cpu_recording=$(($(cpu) - cpu_start))
tap_f2
saved=$(date +%s%N)
gif=""
for _ in $(seq 1200); do
  gif=$(saved_gif)
  [ -n "$gif" ] && break
  sleep 0.05
done
[ -n "$gif" ] || { echo "no GIF was saved:"; cat "$work/gifrec.log"; exit 1; }
echo "saved in $((($(date +%s%N) - saved) / 1000000)) ms (to within 50 ms)"
sleep 2
ticks=$(getconf CLK_TCK)
awk -v c="$cpu_recording" -v t="$ticks" -v r="$records" -v s="$seconds" 'BEGIN {
  printf "%d pictures in %d s: %.1f a second; gifrec CPU while recording %.2f ms a picture\n",
         r, s, r / s, r ? c * 1000 / t / r : 0 }'
echo "GIF: $(stat -c %s "$gif") bytes, $("$helper" frames "$gif") images (still pictures lengthen the image before)"
echo "gifrec peak rss: $(($(field VmHWM) / 1024)) MB, now $(($(field VmRSS) / 1024)) MB"
if [ -n "$out" ]; then
  mkdir -p "$out"
  cp "$gif" "$out/"
  import -window root "$out/desktop-after-save.png" 2>/dev/null || true
  echo "kept in $out"
fi
