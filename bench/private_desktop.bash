# Sourced by the recording benchmarks: a private 1920x1080 Xvfb (GIFREC_BENCH_SCREEN=WxH for
# another size) as DISPLAY and a private home
# whose desktop folder is $HOME/Desktop, so that a run never touches the user's screen, files
# or recordings. Everything started goes into `pids` and ends with the script, as `work` does.
display=${GIFREC_BENCH_DISPLAY:-:$((90 + RANDOM % 400))}
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb "$display" -screen 0 "${GIFREC_BENCH_SCREEN:-1920x1080}x24" -nolisten tcp -noreset >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run
export XDG_STATE_HOME=$HOME/.local/state
mkdir -p "$HOME/Desktop" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
echo 'XDG_DESKTOP_DIR="$HOME/Desktop"' >"$XDG_CONFIG_HOME/user-dirs.dirs"

# Starts gifrec with the given options, its output in $work/LOG, and waits for its window.
start_gifrec() {  # start_gifrec LOG [OPTIONS...]
  local log=$1
  shift
  "$gifrec" "$@" >"$work/$log" 2>&1 &
  gifrec_pid=$!
  pids+=("$gifrec_pid")
  for _ in $(seq 100); do
    xdotool search --onlyvisible --pid "$gifrec_pid" --name GIF >/dev/null 2>&1 && break
    sleep 0.1
  done
}

# gifrec's process: its resident sizes and CPU ticks, and F2 tapped as a person taps it.
field() { awk -v key="$1:" '$1 == key {print $2}' "/proc/$gifrec_pid/status"; }
cpu() { awk '{print $14 + $15}' "/proc/$gifrec_pid/stat"; }
tap_f2() { xdotool keydown F2; sleep 0.05; xdotool keyup F2; }
# The first finished GIF on the desktop (its name is held by an empty file until the save
# renames the GIF over it), or nothing.
saved_gif() { find "$HOME/Desktop/GIF动画" -name '*.gif' -size +0c 2>/dev/null | head -n1; }
