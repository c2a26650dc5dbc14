#!/usr/bin/env bash
# Real-time recording under load, gifrec beside ffmpeg's x11grab in the same run: a browser
# scrolling a long page and a terminal whose counter changes every 20 ms, on a private
# 1920x1080 Xvfb with openbox. Two recordings each: the full screen at the default interval of
# 100 ms, and a 1280x720 region at 50 ms; and gifrec's full screen with fixed delays beside. Prints for each the frames kept a second, the played
# length against the wall time, the CPU per frame, and (gifrec) the resident memory over the
# recording.
#
#   bench/realtime_recording.sh [BUILD_DIR] [SECONDS] [OUT_DIR]   (defaults: build, 20)
#   OUT_DIR, when given, keeps the GIFs and a screenshot of the scene.
#   GIFREC_BENCH_DISPLAY=:N picks the private display's number.
# Needs chromium, xterm, openbox and xdotool; ffmpeg's half is skipped without ffmpeg. A
# comparison tool only, no test uses it.
set -euo pipefail
build=${1:-build}
seconds=${2:-20}
out=${3:-}
gifrec=$build/app/gifrec
helper=$build/tests/e2e/e2e_helper
[ -x "$gifrec" ] && [ -x "$helper" ] || { echo "build gifrec and e2e_helper first" >&2; exit 2; }
for tool in Xvfb openbox xterm chromium xdotool xwininfo; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed" >&2; exit 0; }
done
source "$(dirname "$0")/private_desktop.bash"
ticks=$(getconf CLK_TCK)
now_ms() { date +%s%3N; }

openbox >/dev/null 2>&1 &
pids+=($!)
# A long page that scrolls itself, and the counter, both inside the 1280x720 region at (100,100).
{
  echo '<html><body style="font:16px sans-serif"><script>'
  echo 'setInterval(() => { window.scrollBy(0, 3); if (innerHeight + scrollY >= document.body.scrollHeight) scrollTo(0, 0); }, 16);'
  echo '</script>'
  for i in $(seq 400); do
    echo "<h3>Section $i</h3><p style=\"background:hsl($((i * 37 % 360)),60%,85%)\">"
    echo "Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod tempor $i."
    echo "Ut enim ad minim veniam, quis nostrud exercitation ullamco laboris nisi ut aliquip.</p>"
  done
  echo '</body></html>'
} >"$work/page.html"
sandbox=()
[ "$(id -u)" -ne 0 ] || sandbox=(--no-sandbox)  # chromium refuses root otherwise
chromium "${sandbox[@]}" --user-data-dir="$work/chromium" --no-first-run --no-default-browser-check \
  --disable-gpu --window-position=110,110 --window-size=900,680 "file://$work/page.html" \
  >/dev/null 2>&1 &
pids+=($!)
xterm -geometry 30x4+1050+200 -fa Monospace -fs 20 -e bash -c \
  'i=0; while :; do printf "\r%08d" $i; i=$((i + 1)); sleep 0.02; done' &
pids+=($!)
for _ in $(seq 300); do
  xdotool search --onlyvisible --class chromium >/dev/null 2>&1 && break
  sleep 0.1
done
sleep 4
if [ -n "$out" ]; then
  mkdir -p "$out"
  import -window root "$out/scene.png" 2>/dev/null || true
fi

# gifrec's resident memory every second while it records, in MB: "first max last".
watch_memory() {
  local samples=()
  while kill -0 "$gifrec_pid" 2>/dev/null && [ ! -e "$work/stop-watching" ]; do
    samples+=($(($(field VmRSS) / 1024)))
    sleep 1
  done
  printf '%s\n' "${samples[@]}" | awk 'NR == 3 {first = $1} {if ($1 > max) max = $1; last = $1}
    END {printf "%d %d %d\n", first, max, last}'
}

# One recording by gifrec; the second argument sets it up in the main window.
record_gifrec() {  # record_gifrec NAME SETUP
  rm -rf "$HOME/Desktop/GIF动画" "$work/stop-watching"
  start_gifrec "gifrec-$1.log"
  sleep 1
  local window
  window=$(xdotool search --onlyvisible --pid "$gifrec_pid" --name GIF | head -n1)
  "$2" "$window"
  watch_memory >"$work/memory" &
  local cpu0 t0 t1 cpu1
  cpu0=$(cpu)
  t0=$(now_ms)
  tap_f2
  sleep "$seconds"
  t1=$(now_ms)
  tap_f2
  cpu1=$(cpu)
  local gif=""
  for _ in $(seq 1200); do
    gif=$(saved_gif)
    [ -n "$gif" ] && break
    sleep 0.05
  done
  touch "$work/stop-watching"
  wait $! 2>/dev/null || true
  [ -n "$gif" ] || { echo "no GIF was saved:"; cat "$work/gifrec-$1.log"; exit 1; }
  [ -z "$out" ] || cp "$gif" "$out/gifrec-$1.gif"
  read -r frames total _ _ < <("$helper" delays "$gif")
  read -r first max last <"$work/memory"
  awk -v n="$1" -v f="$frames" -v p="$total" -v w=$((t1 - t0)) -v c=$((cpu1 - cpu0)) -v t="$ticks" \
    'BEGIN {printf "gifrec %-10s %4d frames, %5.2f a second kept; played %6.2f s of %6.2f s (%+.1f%%); CPU %.1f ms a frame\n",
            n, f, f / (w / 1000), p / 100, w / 1000, (p * 10 - w) * 100 / w, f ? c * 1000 / t / f : 0}'
  echo "gifrec $1 resident memory: ${first} MB after 2 s, ${max} MB at most, ${last} MB at the end"
  kill "$gifrec_pid"
  wait "$gifrec_pid" 2>/dev/null || true
}

full_screen() { :; }
# The tools menu's 固定帧延时 (its second entry): the fixed delays and sleep-after-work, for the
# CPU a frame costs without the real-time threads.
full_screen_fixed() {
  xdotool mousemove --window "$1" 20 10 click 1
  sleep 0.5
  xdotool key Down Down Return
  sleep 0.3
}
# The interval slider to its first position (50 ms), then a 1280x720 region dragged at (100,100).
region_at_50ms() {
  eval "$(xwininfo -id "$1" | sed -n 's/ *Absolute upper-left \([XY\]\): *\(-\?[0-9]*\)/\1=\2/p')"
  xdotool mousemove $((X + 8 + 66 + 97)) $((Y + 20 + 40 + 10)) click 1
  xdotool key Home
  xdotool mousemove $((X + 8 + 72 + 40)) $((Y + 20 + 26)) click 5 click 5
  sleep 0.5
  xdotool mousemove $((X + 8 + 168 + 20)) $((Y + 20 + 26)) click 1
  sleep 1
  xdotool mousemove 100 100 mousedown 1 mousemove 700 400 mousemove 1380 820
  sleep 0.3
  xdotool mouseup 1
  sleep 1
}

# ffmpeg writing a GIF from x11grab at the same rate and size.
record_ffmpeg() {  # record_ffmpeg NAME RATE SIZE OFFSET
  if ! command -v ffmpeg >/dev/null; then
    echo "ffmpeg    $1: skipped, ffmpeg is not installed"
    return
  fi
  local gif=$work/ffmpeg-$1.gif t0 t1
  t0=$(now_ms)
  /usr/bin/time -f '%U %S %M' -o "$work/ffmpeg-time" ffmpeg -hide_banner -loglevel error -stats \
    -f x11grab -framerate "$2" -video_size "$3" -i "$DISPLAY+$4" -t "$seconds" -y "$gif" \
    2>"$work/ffmpeg-$1.log"
  t1=$(now_ms)
  read -r frames total _ _ < <("$helper" delays "$gif")
  read -r user system peak <"$work/ffmpeg-time"
  [ -z "$out" ] || cp "$gif" "$out/"
  local stats
  stats=$(tr '\r' '\n' <"$work/ffmpeg-$1.log" | grep -o 'dup=[0-9]* drop=[0-9]*' | tail -n1 || true)
  awk -v n="$1" -v f="$frames" -v p="$total" -v w=$((t1 - t0)) -v s="$seconds" -v u="$user" \
    -v y="$system" -v d="$stats" -v m="$peak" \
    'BEGIN {printf "ffmpeg %-10s %4d frames, %5.2f a second kept; played %6.2f s of %6.2f s asked (ran %.2f s); CPU %.1f ms a frame; %s; peak %d MB\n",
            n, f, f / s, p / 100, s, w / 1000, f ? (u + y) * 1000 / f : 0, d, m / 1024}'
}

record_gifrec full-100ms full_screen
record_ffmpeg full-100ms 10 1920x1080 0,0
record_gifrec full-fixed full_screen_fixed
record_gifrec region-50ms region_at_50ms
record_ffmpeg region-50ms 20 1280x720 100,100
