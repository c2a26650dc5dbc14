# Region mode: a rectangle dragged on the frozen screen is what is recorded. The GIF has exactly
# the dragged size, the red outline around the region never gets into it, and the pointer's arrow
# does.
source "$(dirname "$0")/common.bash"
check=$build/tests/e2e/record_region_check

# GIFREC_E2E_DPI=144|192: the desktop's Xft.dpi, which scales gifrec's windows but never the
# region, which counts the screen's pixels.
dpi=${GIFREC_E2E_DPI:-96}
if [ "$dpi" != 96 ]; then
  command -v xrdb >/dev/null || fail "xrdb is not installed (scripts/deps.sh test)"
  resources=$(xrdb -query)
  trap 'xrdb -load <<<"$resources"; cleanup' EXIT
  echo "Xft.dpi: $dpi" | xrdb -merge
fi
# A 96-dpi length at the desktop's dpi.
px() { echo $((($1 * dpi + 48) / 96)); }

start_window_manager
start_gifrec
eval "$(xwininfo -id "$main_window" | sed -n 's/ *Absolute upper-left \([XY\]\): *\(-\?[0-9]*\)/\1=\2/p')"
# The mode list and the mode button, below the menu bar (20 pixels at 96 dpi), inside the
# settings group.
list_x=$((X + $(px $((8 + 72 + 40))))) list_y=$((Y + $(px $((20 + 26)))))
button_x=$((X + $(px $((8 + 168 + 20))))) button_y=$list_y

xdotool mousemove "$list_x" "$list_y" click 5 click 5   # the wheel: full screen -> region
sleep 0.5
xdotool mousemove "$button_x" "$button_y" click 1
sleep 1
# Dragged from bottom-right to top-left: the region is the same as the other way round.
xdotool mousemove 660 300
sleep 0.2
xdotool mousedown 1
xdotool mousemove 500 200
xdotool mousemove 400 100
sleep 0.5
import -window root "$shots/region_mid_drag.png" 2>/dev/null || true
xdotool mouseup 1
sleep 1
import -window root "$shots/region_frame.png" 2>/dev/null || true

xdotool mousemove 450 180
tap_f2
sleep 2.5
import -window root "$shots/region_recording.png" 2>/dev/null || true
tap_f2

wait_for 60 has_saved_gifs "$output_dir" || fail "no GIF in $output_dir"
gif=$(saved_gifs "$output_dir" | head -n1)
"$check" "$gif" 260 200 1 50 80 || fail "the GIF of the region is not what was dragged and shown"
echo "ok: $(basename "$gif")"
