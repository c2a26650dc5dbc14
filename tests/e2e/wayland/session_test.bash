# Inside the private bus: starts the compositor, PipeWire and the portals, then sources the test.
# The test sees: gifrec, build, work, output_dir, helper, fail, wait_for, start_gifrec,
# stop_portal, and pids of what it starts in `pids`.
set -euo pipefail
gifrec=$GIFREC build=$BUILD work=$WORK
logs=$work/logs
mkdir -p "$logs"
output_dir="$HOME/Desktop/GIF动画"
pids=()
cleanup() {
  local status=$?
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  wait 2>/dev/null || true
  if [ "$status" -ne 0 ]; then
    for log in "$logs"/*.log; do echo "--- $(basename "$log")"; tail -n 25 "$log"; done
  fi
}
trap cleanup EXIT

source "$HERE/waiting.bash"
bus_has() { dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
              org.freedesktop.DBus.NameHasOwner "string:$1" 2>/dev/null | grep 'boolean true' >/dev/null; }

WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
  sway -c "$work/sway.conf" >"$logs/sway.log" 2>&1 &
pids+=($!)
wait_for 10 bash -c 'ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock >/dev/null 2>&1' || fail "sway did not start"
SWAYSOCK=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock | head -n1)
export SWAYSOCK
wait_for 10 bash -c 'ls "$XDG_RUNTIME_DIR"/wayland-* >/dev/null 2>&1' || fail "no Wayland socket"
WAYLAND_DISPLAY=$(basename "$(ls "$XDG_RUNTIME_DIR"/wayland-* | grep -v '\.lock$' | head -n1)")
export WAYLAND_DISPLAY
unset DISPLAY

pipewire >"$logs/pipewire.log" 2>&1 &
pids+=($!)
wait_for 10 test -S "$XDG_RUNTIME_DIR/pipewire-0" || fail "pipewire did not start"
wireplumber >"$logs/wireplumber.log" 2>&1 &
pids+=($!)
/usr/libexec/xdg-permission-store >"$logs/permission-store.log" 2>&1 &
pids+=($!)
LD_PRELOAD=$BUILD/tests/e2e/wayland/libscreencopy_shim.so \
  /usr/libexec/xdg-desktop-portal-wlr -l DEBUG >"$logs/portal-wlr.log" 2>&1 &
wlr_portal_pid=$!
pids+=($!)
wait_for 10 bus_has org.freedesktop.impl.portal.desktop.wlr || fail "the wlr portal did not start"
/usr/libexec/xdg-desktop-portal -v >"$logs/portal.log" 2>&1 &
portal_pid=$!
pids+=($!)
wait_for 10 bus_has org.freedesktop.portal.Desktop || fail "xdg-desktop-portal did not start"

# Ends both portal processes; nothing on this bus starts them again.
stop_portal() {
  kill "$portal_pid" "$wlr_portal_pid" 2>/dev/null || true
  wait_for 5 bash -c '! kill -0 '"$portal_pid"' 2>/dev/null' || true
}

start_gifrec() {
  "$gifrec" "$@" >"$logs/gifrec.log" 2>&1 &
  gifrec_pid=$!
  pids+=("$gifrec_pid")
  wait_for 10 bash -c "swaymsg -t get_tree | grep '\"pid\": $gifrec_pid' >/dev/null" || fail "gifrec's window did not show"
  sleep 0.5
}

# F2 into the focused window, held as long as a person holds it.
press_f2() { wtype -s 300 -P F2 -s 120 -p F2; }
gifrec_streaming() { pw-cli ls Node 2>/dev/null | grep 'node.name = "gifrec"' >/dev/null; }
# The first key of wtype's new virtual keyboard is at times lost while sway hands gifrec the
# keyboard's keymap; a recording's start shows as gifrec's PipeWire stream.
start_recording_with_f2() {
  for _ in 1 2 3; do
    press_f2
    wait_for 3 gifrec_streaming && return 0
  done
  fail "F2 did not start a recording"
}
# The colour names of the frames' main colours, repeats dropped: "red blue".
frame_colours() {
  "$build/tests/e2e/wayland/gif_frames" "$1" | awk '$1 == "frame" {
      r = $3; g = $4; b = $5
      name = "other"
      if (r < 32 && g < 32 && b < 32) name = "black"
      else if (r > 208 && g < 48 && b < 48) name = "red"
      else if (b > 208 && r < 48 && g < 48) name = "blue"
      if (name != last) printf "%s ", name
      last = name
    }'
}

source "$TEST_SCRIPT"
