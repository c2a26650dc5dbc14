# Window-pick mode: press the mode button, move over another window, release; the recording is
# exactly that window.
source "$(dirname "$0")/common.bash"

start_window_manager
start_gifrec
eval "$(xwininfo -id "$main_window" | sed -n 's/ *Absolute upper-left \([XY\]\): *\(-\?[0-9]*\)/\1=\2/p')"
list_x=$((X + 8 + 72 + 40)) list_y=$((Y + 20 + 26))
button_x=$((X + 8 + 168 + 20)) button_y=$list_y

"$helper" draw 60 &   # a 400 x 300 window at (600, 300) whose content keeps changing
pids+=($!)
sleep 0.5

xdotool mousemove "$list_x" "$list_y" click 5   # the wheel: full screen -> window pick
sleep 0.5
xdotool mousemove "$button_x" "$button_y" mousedown 1
sleep 0.3
xdotool mousemove 700 400
sleep 0.3
xdotool mousemove 800 450
sleep 1
xdotool mouseup 1
sleep 0.5

tap_f2
sleep 2.5
tap_f2
wait_for 60 has_saved_gifs "$output_dir" || fail "no GIF in $output_dir"
gif=$(saved_gifs "$output_dir" | head -n1)
[ "$(window_state "$main_window")" = Normal ] || fail "main window not normal after a window recording"
"$helper" check "$gif" 400 300 5 -1 200 150 || fail "the GIF is not the picked window"
echo "ok: $(basename "$gif")"
