#!/usr/bin/env bash
# Frames per second and gifrec's CPU time per frame while it records a changing 1920x1080 screen
# in full-screen mode: on Wayland in the tests' headless session (sway, PipeWire, the screen-cast
# portal), then on a private Xvfb with the X11 backend, printed side by side. Both screens are
# black with e2e_helper's window changing colour every 100 ms (through Xwayland on Wayland).
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

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

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
display=${GIFREC_BENCH_DISPLAY:-:$((90 + RANDOM % 400))}
Xvfb "$display" -screen 0 1920x1080x24 -br -nolisten tcp -noreset >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do DISPLAY=$display xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
(
  unset WAYLAND_DISPLAY XDG_SESSION_TYPE
  export DISPLAY=$display GIFREC_DESKTOP=x11
  export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run
  export XDG_STATE_HOME=$work/state  # never the caller's own recordings
  mkdir -p "$HOME/Desktop" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
  echo 'XDG_DESKTOP_DIR="$HOME/Desktop"' >"$XDG_CONFIG_HOME/user-dirs.dirs"
  "$helper" draw $((seconds + 120)) &
  draw_pid=$!
  "$gifrec" >"$work/gifrec-x11.log" 2>&1 &
  gifrec_pid=$!
  trap 'kill $gifrec_pid $draw_pid 2>/dev/null || true' EXIT
  for _ in $(seq 100); do
    [ -n "$(xdotool search --pid "$gifrec_pid" 2>/dev/null)" ] && break
    sleep 0.1
  done
  tap_f2() { xdotool keydown F2; sleep 0.05; xdotool keyup F2; }
  tap_f2
  result=$(measure_recording "$gifrec_pid" "$helper" "$seconds") ||
    { cat "$work/gifrec-x11.log"; exit 1; }
  kill -0 "$draw_pid" || { echo "e2e_helper's changing window did not run" >&2; exit 1; }
  tap_f2
  output_dir="$HOME/Desktop/GIF动画"
  for _ in $(seq 600); do
    [ -n "$(find "$output_dir" -name '*.gif' -size +0c 2>/dev/null)" ] && break
    sleep 0.1
  done
  gif=$(find "$output_dir" -name '*.gif' -size +0c | head -n1)
  [ -n "$gif" ] || { echo "no GIF was saved" >&2; exit 1; }
  echo "RESULT $result $(($(stat -c %s "$gif") / 1024))"
) | tee "$work/x11.out"
x11=$(awk '$1 == "RESULT" {print $2, $3, $4, $5, $6}' "$work/x11.out")
[ -n "$x11" ] || { echo "the X11 run gave no figures" >&2; exit 1; }

echo
echo "gifrec recording a changing 1920x1080 screen, full-screen mode, default settings"
echo "(the frame interval's 100 ms wait after each frame keeps both under 10 fps):"
row() { printf '%-10s %8s %14s %8s %8s %9s\n' "$@"; }
row backend fps "CPU ms/frame" frames seconds "GIF KiB"
row Wayland $wayland
row X11 $x11
