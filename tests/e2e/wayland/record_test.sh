# Full screen on Wayland: F2 in gifrec's window starts, the screen turns from red to blue, and
# `gifrec --toggle` stops. The GIF has the monitor's size, and shows red and then blue, never black.
start_gifrec
started=$(date +%s%3N)
start_recording_with_f2
sleep 1.5
# `gifrec --pause` twice: the two paused seconds are not in the GIF.
"$gifrec" --pause || fail "--pause did not reach the running gifrec"
sleep 2
"$gifrec" --pause || fail "the second --pause did not reach the running gifrec"
swaymsg 'output * bg #0000ff solid_color' >/dev/null
sleep 1.5
"$gifrec" --toggle || fail "--toggle did not reach the running gifrec"
stopped=$(date +%s%3N)

wait_for 30 has_saved_gifs "$output_dir" || fail "no GIF in $output_dir"
sleep 1
gif=$(saved_gifs "$output_dir" | head -n1)
summary=$("$build/tests/e2e/wayland/gif_frames" "$gif") || fail "the GIF does not decode"
echo "$summary" | head -n1
read -r _ width height _ frames <<<"$(echo "$summary" | head -n1)"
[ "$width" = 1920 ] && [ "$height" = 1080 ] || fail "GIF is ${width}x$height, not the monitor's 1920x1080"
# gifrec's window is out of the recording (sway cannot minimise it, so it is hidden): a still red
# and a still blue screen may be merged into as few as two frames.
[ "$frames" -ge 2 ] || fail "only $frames frames"
colours=$(frame_colours "$gif")
echo "colours in order: $colours"
echo "$summary" | awk '$1 == "frame" && $6 > 50 {bad = 1} END {exit bad}' || fail "a frame is mostly black"
[[ "$colours" =~ red.*blue ]] || fail "the GIF does not show red and then blue: $colours"
read -r _ played _ _ < <("$build/tests/e2e/e2e_helper" delays "$gif")
echo "played ${played}0 ms of $((stopped - started)) ms with a 2 s pause"
[ $((played * 10)) -le $((stopped - started - 1500)) ] || fail "the paused seconds are in the GIF"

# With no gifrec running, --toggle starts nothing and says so.
kill "$gifrec_pid"
wait "$gifrec_pid" 2>/dev/null || true
if "$gifrec" --toggle 2>"$work/toggle.err"; then fail "--toggle succeeded with no gifrec running"; fi
grep -q "no gifrec is running" "$work/toggle.err" || fail "--toggle gave no clear message"
sleep 0.5
swaymsg -t get_tree | grep '"app_id": "gifrec"' >/dev/null && fail "--toggle started a gifrec"
echo "ok"
