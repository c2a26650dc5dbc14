#!/usr/bin/env bash
# A full-screen recording of a desktop as a user has it: a photo-like wallpaper, a terminal
# scrolling text and a clock with a seconds hand, on a private 1920x1080 Xvfb with openbox.
# Prints the GIF's size, images and played length, the frame rate, gifrec's CPU per frame and
# peak memory, and the time from the stop to the saved file; leaves the GIF and a screenshot of
# the desktop after the save in OUT_DIR when one is given.
#
#   bench/desktop_recording.sh [BUILD_DIR] [SECONDS] [OUT_DIR] [gifrec options...]
#                              (defaults: build, 30; e.g. --lang en)
#   GIFREC_BENCH_SCENE=still leaves the terminal out: a still desktop with a ticking clock.
#   GIFREC_BENCH_SCENE=browser records bench/browser_scene.bash instead: chromium scrolling a
#   long page beside a terminal printing coloured lines (the scene of colour_quality.sh).
# Needs xterm, xclock (x11-apps), openbox and ImageMagick (and chromium for the browser); a
# comparison tool only, no test uses it. With gif_compare built it also gives the played length.
set -euo pipefail
build=${1:-build}
seconds=${2:-30}
out=${3:-}
shift $(($# < 3 ? $# : 3))
gifrec=$build/app/gifrec
helper=$build/tests/e2e/e2e_helper
compare=$build/bench/gif_compare
scene=${GIFREC_BENCH_SCENE:-desktop}
[ -x "$gifrec" ] && [ -x "$helper" ] || { echo "build gifrec and e2e_helper first" >&2; exit 2; }
source "$(dirname "$0")/browser_scene.bash"
tools=(Xvfb openbox xterm xclock convert display xdotool)
[ "$scene" = browser ] && tools+=("${browser_scene_tools[@]}")
for tool in "${tools[@]}"; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed" >&2; exit 0; }
done
source "$(dirname "$0")/private_desktop.bash"

if [ "$scene" = browser ]; then
  browser_scene_start
else
  openbox >/dev/null 2>&1 &
  pids+=($!)
  convert -size 1920x1080 -seed 7 plasma:steelblue-wheat -blur 0x2 "$work/wallpaper.png"
  display -window root "$work/wallpaper.png" &
  pids+=($!)
  if [ "$scene" != still ]; then
    xterm -geometry 110x36+80+90 -fa Monospace -fs 11 -e bash -c \
      'while :; do for f in /usr/share/doc/*/copyright; do head -n 3 "$f"; sleep 0.15; done; done' &
    pids+=($!)
  fi
  xclock -update 1 -geometry 220x220+1620+60 &
  pids+=($!)
  sleep 2
fi

start_gifrec gifrec.log "$@"
sleep 1

if [ "$scene" = browser ]; then
  browser_scene_scroll &
  pids+=($!)
fi
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
if [ -x "$compare" ]; then
  "$compare" "$gif" | sed -n 's/.*played_s=\([^ ]*\).*/played length (sum of the delays): \1 s/p'
fi
echo "gifrec peak rss: $(($(field VmHWM) / 1024)) MB, now $(($(field VmRSS) / 1024)) MB"
if [ -n "$out" ]; then
  mkdir -p "$out"
  cp "$gif" "$out/"
  import -window root "$out/desktop-after-save.png" 2>/dev/null || true
  echo "kept in $out"
fi
