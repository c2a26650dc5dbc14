#!/usr/bin/env bash
# A full-screen recording of a 3840x2160 screen on which a page scrolls (a terminal over the
# whole screen printing text steadily), at the default interval (10 pictures a second), on a
# private Xvfb with openbox. Prints the pictures a second that reached the encoder, gifrec's CPU
# per picture, its peak memory and the GIF's size.
#
#   bench/recording_4k.sh [BUILD_DIR] [SECONDS] [gifrec options...]   (defaults: build, 15)
#   GIFREC_BENCH_OUTPUT_SIZE=50 records at that percent of the screen's size (the tools menu's
#   output size, given through the settings file).
set -euo pipefail
build=${1:-build}
seconds=${2:-15}
shift $(($# < 2 ? $# : 2))
gifrec=$build/app/gifrec
helper=$build/tests/e2e/e2e_helper
[ -x "$gifrec" ] && [ -x "$helper" ] || { echo "build gifrec and e2e_helper first" >&2; exit 2; }
for tool in Xvfb openbox xterm xdotool; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed" >&2; exit 0; }
done
GIFREC_BENCH_SCREEN=${GIFREC_BENCH_SCREEN:-3840x2160}  # another size to compare with
source "$(dirname "$0")/private_desktop.bash"
if [ -n "${GIFREC_BENCH_OUTPUT_SIZE:-}" ]; then
  mkdir -p "$XDG_CONFIG_HOME/gifrec"
  printf '[gifrec]\nversion=1\n[tools]\noutputScalePercent=%s\n' "$GIFREC_BENCH_OUTPUT_SIZE" \
    >"$XDG_CONFIG_HOME/gifrec/gifrec.conf"
fi

openbox >/dev/null 2>&1 &
pids+=($!)
# Four lines every 50 ms: the whole page moves in every picture, as a scrolled web page does.
xterm -geometry 400x125+0+0 -fa Monospace -fs 11 -e bash -c \
  'while :; do for f in /usr/share/doc/*/copyright; do head -n 4 "$f"; sleep 0.05; done; done' &
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
gif=""
for _ in $(seq 1200); do
  gif=$(saved_gif)
  [ -n "$gif" ] && break
  sleep 0.05
done
[ -n "$gif" ] || { echo "no GIF was saved:"; cat "$work/gifrec.log"; exit 1; }
sleep 1
ticks=$(getconf CLK_TCK)
awk -v size="$GIFREC_BENCH_SCREEN" -v c="$cpu_recording" -v t="$ticks" -v r="$records" -v s="$seconds" 'BEGIN {
  printf "%s: %d pictures in %d s: %.1f a second; gifrec CPU while recording %.1f ms a picture\n",
         size, r, s, r / s, r ? c * 1000 / t / r : 0 }'
echo "GIF: $(stat -c %s "$gif") bytes, $("$helper" frames "$gif") images"
echo "gifrec peak rss: $(($(field VmHWM) / 1024)) MB"
