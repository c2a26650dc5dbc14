# Region mode: a rectangle dragged on the frozen screen is what is recorded. The GIF has exactly
# the dragged size, the red outline around the region never gets into it, and the pointer's arrow
# does.
source "$(dirname "$0")/common.bash"
check=$build/tests/e2e/record_region_check

start_window_manager
start_gifrec
eval "$(xwininfo -id "$main_window" | sed -n 's/ *Absolute upper-left \([XY\]\): *\(-\?[0-9]*\)/\1=\2/p')"
# The mode list and the mode button, below the 20-pixel menu bar, inside the settings group.
list_x=$((X + 8 + 72 + 40)) list_y=$((Y + 20 + 26))
button_x=$((X + 8 + 168 + 20)) button_y=$list_y

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
