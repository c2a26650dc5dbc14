#!/usr/bin/env bash
# Frames per second and gifrec's CPU time per frame while it records a changing 1920x1080 screen
# in full-screen mode: on Wayland in the tests' headless session (sway, PipeWire, the screen-cast
# portal), then on a private Xvfb with the X11 backend, printed side by side. On both screens
# e2e_helper's window changes colour every 100 ms (through Xwayland on Wayland) over a still
# background.
# Only the steady part counts: from the recording's second journalled frame on, for SECONDS.
# GIF KiB is the whole recording's file.
#
#   bench/wayland_recording.sh [BUILD_DIR] [SECONDS]      (defaults: build, 20)
#   needs the targets gifrec gif_frames screencopy_shim virtual_pointer e2e_helper
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(realpath "${1:-build}")
seconds=${2:-20}
gifrec=$build/app/gifrec
helper=$build/tests/e2e/e2e_helper
[ -x "$gifrec" ] && [ -x "$helper" ] || { echo "build gifrec and e2e_helper first" >&2; exit 2; }

# Its Xvfb waits unused while the Wayland session, which starts from an empty environment, runs.
source "$here/private_desktop.bash"

# The measurement, shared with the session side (which gets it through `declare -f`).
# measure_recording PID HELPER SECONDS prints "FPS CPU_MS_PER_FRAME FRAMES SECONDS".
measure_recording() {
  local pid=$1 helper=$2 seconds=$3 journal="" f0 f1 c0 c1 t0 t1
  journal_frames() { [ -n "$journal" ] && "$helper" journal-frames "$journal" || echo 0; }
  for _ in $(seq 300); do
    journal=$(ls "$XDG_STATE_HOME"/gifrec/*.frames 2>/dev/null | head -n1 || true)
    [ "$(journal_frames)" -ge 2 ] && break
    sleep 0.1
  done
  [ "$(journal_frames)" -ge 2 ] || { echo "no frames were journalled" >&2; return 1; }
  cpu_ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
  f0=$(journal_frames) c0=$(cpu_ticks) t0=$(date +%s%N)
  sleep "$seconds"
  f1=$(journal_frames) c1=$(cpu_ticks) t1=$(date +%s%N)
  awk -v f=$((f1 - f0)) -v c=$((c1 - c0)) -v t=$((t1 - t0)) -v hz="$(getconf CLK_TCK)" \
    'BEGIN {printf "%.2f %.2f %d %.1f\n", f / (t / 1e9), f ? c * 1000 / hz / f : 0, f, t / 1e9}'
}

echo "== Wayland: headless sway, PipeWire and the screen-cast portal ($seconds s)"
session_script=$work/wayland_recording_bench.sh
{
  echo "bench_seconds=$seconds"
  declare -f measure_recording
  cat "$here/wayland_recording_session.bash"
} >"$session_script"
bash "$here/../tests/e2e/wayland/run_session.sh" "$session_script" "$gifrec" "$build" \
  | tee "$work/wayland.out"
wayland=$(awk '$1 == "RESULT" {print $2, $3, $4, $5, $6}' "$work/wayland.out")
[ -n "$wayland" ] || { echo "the Wayland session gave no figures" >&2; exit 1; }

echo "== X11: Xvfb ($seconds s)"
unset WAYLAND_DISPLAY XDG_SESSION_TYPE
export GIFREC_DESKTOP=x11
"$helper" draw $((seconds + 120)) &
draw_pid=$!
pids+=("$draw_pid")
start_gifrec gifrec-x11.log
tap_f2
x11=$(measure_recording "$gifrec_pid" "$helper" "$seconds") || { cat "$work/gifrec-x11.log"; exit 1; }
kill -0 "$draw_pid" || { echo "e2e_helper's changing window did not run" >&2; exit 1; }
tap_f2
for _ in $(seq 600); do
  [ -n "$(saved_gif)" ] && break
  sleep 0.1
done
[ -n "$(saved_gif)" ] || { echo "no GIF was saved" >&2; exit 1; }
x11="$x11 $(($(stat -c %s "$(saved_gif)") / 1024))"
echo "RESULT $x11"

echo
echo "gifrec recording a changing 1920x1080 screen, full-screen mode, default settings"
echo "(the frame interval's 100 ms wait after each frame keeps both under 10 fps):"
row() { printf '%-10s %8s %14s %8s %8s %9s\n' "$@"; }
row backend fps "CPU ms/frame" frames seconds "GIF KiB"
row Wayland $wayland
row X11 $x11
