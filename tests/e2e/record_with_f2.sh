# F2, some changing content on the screen, F2 again: the GIF lies in "GIF动画" on the desktop
# and shows in the preview window.
source "$(dirname "$0")/common.bash"

start_window_manager
start_gifrec
[ "$(window_state "$main_window")" = Normal ] || fail "main window not shown normally at start"
import -window root "$shots/start.png" 2>/dev/null || true

"$helper" draw 60 &
drawer=$!
pids+=("$drawer")
sleep 0.5

tap_f2
wait_for 5 bash -c "[ \"\$(xprop -id $main_window WM_STATE | sed -n 's/.*window state: *//p')\" = Iconic ]" \
  || fail "main window not minimised while recording full screen"
sleep 2
tap_f2

wait_for 60 has_saved_gifs "$output_dir" || fail "no GIF in $output_dir"
gif=$(saved_gifs "$output_dir" | head -n1)
name=$(basename "$gif")
[[ "$name" =~ ^[0-9]{10}\.gif$ ]] || fail "file name $name is not MMDDhhmmss.gif"
[ "${name:0:4}" = "$(date +%m%d)" ] || [ "${name:0:4}" = "$(date -d '-1 min' +%m%d)" ] \
  || fail "file name $name does not start with today's month and day"

preview=""
wait_for 30 bash -c "xdotool search --onlyvisible --name '^$preview_title\$' >/dev/null" || fail "no preview window"
preview=$(xdotool search --onlyvisible --name "^$preview_title\$" | head -n1)
[ "$(window_state "$main_window")" = Normal ] || fail "main window not normal again after the stop"

sleep 1
import -window root "$shots/after_stop.png" 2>/dev/null || true
kill "$drawer"

screen=$(xdpyinfo | sed -n 's/ *dimensions: *\([0-9]*\)x\([0-9]*\) pixels.*/\1 \2/p')
read -r width height <<<"$screen"
"$helper" check "$gif" "$width" "$height" 5 -1 800 450 || fail "the GIF is not what was recorded"

# F2 is not watched while the preview is open; a double-click on it closes it and gives F2 back.
tap_f2
sleep 1
[ "$(ls "$output_dir"/*.gif | wc -l)" -eq 1 ] || fail "F2 worked while the preview was open"
eval "$(xdotool getwindowgeometry --shell "$preview")"
# The picture is at the top, centred above the editor strip.
xdotool mousemove $((X + WIDTH / 2)) $((Y + 6)) click --repeat 2 --delay 80 1
wait_for 10 bash -c "! xdotool search --onlyvisible --name '^$preview_title\$' >/dev/null" || fail "double-click did not close the preview"
sleep 0.3
tap_f2
sleep 1.5
tap_f2
wait_for 60 has_saved_gifs "$output_dir" 2 || fail "F2 not watched again after the preview closed"
echo "ok: $name"
