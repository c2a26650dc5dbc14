# Out of its own recording on a desktop that cannot minimise (sway): a full-screen recording
# started and stopped with --toggle hides gifrec's window, which then is not in the GIF, and the
# stop brings it back. A second gifrec, which --toggle does not reach (the first one has the
# name when it starts) and which has no tray, keeps its window on the screen: it is in its GIF.

coproc pointer { "$build/tests/e2e/wayland/virtual_pointer" 1920 1080 2>"$logs/pointer.log"; }
pids+=("$pointer_PID")
read -t 10 -r reply <&"${pointer[0]}" && [ "$reply" = ok ] || fail "no virtual pointer"
pointer() {
  echo "$*" >&"${pointer[1]}"
  read -t 10 -r reply <&"${pointer[0]}" && [ "$reply" = ok ] || fail "the pointer did not $*"
}
window_of() { swaymsg -t get_tree | grep "\"pid\": $1" >/dev/null; }
# The colour of pixel X,Y of the GIF: red (the background), or other.
colour_at() {
  "$build/tests/e2e/wayland/gif_frames" "$1" "$2,$3" | awk '$1 == "pixel" {
      if ($4 > 200 && $5 < 60 && $6 < 60) print "red"; else print "other" }'
}
pointer move 1900 1060

start_gifrec --lang zh
first=$gifrec_pid
wx=700 wy=300
swaymsg "[pid=$first] border none, move position $wx $wy" >/dev/null ||
  fail "gifrec's window could not be placed"
"$gifrec" --toggle || fail "--toggle did not reach the running gifrec"
wait_for 10 gifrec_streaming || fail "--toggle started no recording"
sleep 1.5
! window_of "$first" || fail "the window stayed on the screen during the recording"
"$gifrec" --toggle || fail "--toggle did not reach the running gifrec"
wait_for 30 has_saved_gifs "$output_dir" || fail "no GIF in $output_dir"
wait_for 10 window_of "$first" || fail "the window did not come back after the stop"
gif=$(saved_gifs "$output_dir" | head -n1)
"$build/tests/e2e/wayland/gif_frames" "$gif" | head -n1 | grep -q '^size 1920 1080 ' ||
  fail "the full-screen GIF is not 1920x1080"
[ "$(colour_at "$gif" $((wx + 140)) $((wy + 200)))" = red ] || fail "the hidden window is in the GIF"
rm -f "$output_dir"/*.gif

# The second one: nothing but its own button stops it, so its window stays.
"$gifrec" --lang zh >"$logs/second.log" 2>&1 &
second=$!
pids+=("$second")
wait_for 10 window_of "$second" || fail "the second gifrec's window did not show"
# The test session's portal casts to one program at a time; the second keeps no name either way.
kill "$first"
wait "$first" 2>/dev/null || true
sleep 0.5
swaymsg "[pid=$second] border none, floating enable, move position $wx $wy" >/dev/null
sleep 0.5
# The record button, beside the mode list in the settings group below the menu bar.
pointer move $((wx + 8 + 216 + 20)) $((wy + 20 + 26))
pointer press
pointer release
sleep 2
window_of "$second" || fail "the second window went although nothing else could stop it"
pointer press
pointer release
wait_for 30 has_saved_gifs "$output_dir" || fail "no GIF of the second gifrec"
gif=$(saved_gifs "$output_dir" | head -n1)
[ "$(colour_at "$gif" $((wx + 140)) $((wy + 200)))" = other ] ||
  fail "the window that stayed is not in its GIF"
echo ok
