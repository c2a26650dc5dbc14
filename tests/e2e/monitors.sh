# Two monitors side by side on an X server of their own (Xorg with the dummy video driver, two
# RandR outputs): full screen records the primary monitor, a monitor picked by name records that
# monitor, a region dragged across both records both halves, and the selection window's frozen
# picture covers both monitors. No window manager runs, so minimising does nothing: the main
# window must leave the recording by being hidden, and come back at the stop.
# The screen: the left monitor (1280 x 720, primary) blue, the right one (1024 x 768) green, an
# orange square across their border at x 1200..1359, y 300..399.
set -euo pipefail
source "$(dirname "$0")/dummy_xorg.bash"
xorg_dir=$(mktemp -d)
start_dummy_xorg "$xorg_dir" 1280x720 1024x768 ||
  { kill "${dummy_xorg_pid:-}" 2>/dev/null; rm -rf "$xorg_dir"; echo "SKIP: no Xorg with the dummy driver and two monitors (scripts/deps.sh test; root)"; exit 77; }
source "$(dirname "$0")/common.bash"
pids+=("$dummy_xorg_pid")
trap 'cleanup; rm -rf "$xorg_dir"' EXIT
frames=$build/tests/e2e/wayland/gif_frames

convert -size 2304x768 xc:'#2040E0' -fill '#20C040' -draw 'rectangle 1280,0 2303,767' \
  -fill '#E08020' -draw 'rectangle 1200,300 1359,399' "$work/root.png"
display -window root "$work/root.png" || true  # it sets the picture, then complains of no window

start_gifrec
eval "$(xwininfo -id "$main_window" | sed -n 's/ *Absolute upper-left \([XY\]\): *\(-\?[0-9]*\)/\1=\2/p')"
list_x=$((X + 8 + 72 + 40)) list_y=$((Y + 20 + 26))
button_x=$((X + 8 + 168 + 20))

map_state() { xwininfo -id "$main_window" | sed -n 's/ *Map State: *//p'; }
# pick_mode STEPS: the mode list's wheel, downwards for positive steps.
pick_mode() {
  local button=5 count=$1
  [ "$count" -lt 0 ] && button=4 count=$((-count))
  xdotool mousemove "$list_x" "$list_y"
  for _ in $(seq "$count"); do xdotool click "$button"; done
  sleep 0.5
}
# record SECONDS: F2, a wait with the pointer out of the recorded areas, F2; sets `gif` to the new
# GIF and closes its preview, which keeps F2 from recording again while it is open.
record() {
  local before
  before=$( (saved_gifs "$output_dir" || true) | wc -l)
  xdotool mousemove 700 740
  tap_f2
  sleep "$1"
  recording_map_state=$(map_state)
  tap_f2
  wait_for 60 has_saved_gifs "$output_dir" $((before + 1)) || fail "no new GIF in $output_dir"
  gif=$(ls -t "$output_dir"/*.gif | head -n1)
  local preview=""
  wait_for 10 eval 'preview=$(xdotool search --onlyvisible --name "^$preview_title\$" | head -n1)' \
    && [ -n "$preview" ] || fail "no preview"
  eval "$(xdotool getwindowgeometry --shell "$preview")"
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click --repeat 2 --delay 80 1
  sleep 0.5
}
# expect LINE...: each line must begin a line of what gif_frames says of `gif`.
expect() {
  local seen
  seen=$("$frames" "$gif" "${points[@]}")
  for line in "$@"; do
    grep -qE "^$line( |\$)" <<<"$seen" || fail "$(basename "$gif"): no \"$line\" in: $(grep -v '^frame' <<<"$seen")"
  done
}

# Full screen is the primary monitor; the main window over it is out of the recording.
record 2
[ "$recording_map_state" = IsUnMapped ] || fail "the main window stayed on the screen: $recording_map_state"
wait_for 5 eval '[ "$(map_state)" = IsViewable ]' || fail "the main window did not come back"
points=(150,200 1270,350)
expect "size 1280 720" "pixel 150 200 32 64 224" "pixel 1270 350 224 128 32"

# The list: full screen, window pick, region, all monitors, then each monitor by name.
pick_mode 5
record 2
points=(100,100 40,350)
expect "size 1024 768" "pixel 100 100 32 192 64" "pixel 40 350 224 128 32"
pick_mode -2
record 2
points=(100,100 1300,100 1250,350)
expect "size 2304 768" "pixel 100 100 32 64 224" "pixel 1300 100 32 192 64" \
  "pixel 1250 350 224 128 32"

# A region dragged across the border, on the frozen picture of both monitors.
pick_mode -1
xdotool mousemove "$button_x" "$list_y" click 1
sleep 1
xdotool mousemove 1500 500
sleep 0.2
xdotool mousedown 1
xdotool mousemove 1300 300
xdotool mousemove 1100 200
sleep 0.5
import -window root "$shots/monitors_selection.png" 2>/dev/null || true
xdotool mouseup 1
sleep 1
record 2
points=(50,50 350,50 180,150)
expect "size 400 300" "pixel 50 50 32 64 224" "pixel 350 50 32 192 64" \
  "pixel 180 150 224 128 32"
echo "ok: primary, one monitor by name, all monitors, a region across two"
