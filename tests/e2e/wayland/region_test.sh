# Region mode on Wayland: the mode list is turned to region with the wheel, the region button
# opens the frozen screen full-screen, a left-button drag from (300, 200) to (700, 500) picks the
# region, and a recording of it while the screen turns from red to blue is exactly 400x300 and
# shows red and then blue, never black.

# Before gifrec, so that gifrec finds the seat with a pointer from the start.
coproc pointer { "$build/tests/e2e/wayland/virtual_pointer" 1920 1080 2>"$logs/pointer.log"; }
pids+=("$pointer_PID")
read -t 10 -r reply <&"${pointer[0]}" && [ "$reply" = ok ] || fail "no virtual pointer"
# Each step returns once sway has handled it.
pointer() {
  echo "$*" >&"${pointer[1]}"
  read -t 10 -r reply <&"${pointer[0]}" && [ "$reply" = ok ] || fail "the pointer did not $*"
}
# The fullscreen_mode of each of gifrec's windows; in sway's tree it comes before the pid.
gifrec_fullscreen_modes() {
  swaymsg -t get_tree | awk -v pid="$gifrec_pid" '
    $1 == "\"fullscreen_mode\":" {mode = $2 + 0}
    $1 == "\"pid\":" && $2 + 0 == pid {print mode}'
}
selection_shown() { gifrec_fullscreen_modes | grep -x 1 >/dev/null; }
selection_gone() { [ "$(gifrec_fullscreen_modes)" = 0 ]; }

start_gifrec --lang zh
# Clear of the region. A floating window's title bar and border would shift its content: without
# them the content's top-left corner is where the window is moved to.
wx=1500 wy=30
swaymsg "[pid=$gifrec_pid] border none, move position $wx $wy" >/dev/null ||
  fail "gifrec's window could not be placed"
selection_gone || fail "gifrec shows a full-screen window already"
# The mode list and the mode button in the settings group, below the 20-pixel menu bar.
pointer move $((wx + 8 + 72 + 40)) $((wy + 20 + 26))
pointer scroll 1
pointer scroll 1
pointer move $((wx + 8 + 168 + 20)) $((wy + 20 + 26))
pointer press
pointer release
wait_for 10 selection_shown || fail "the region button opened no full-screen selection"

# Dragged from bottom-right to top-left: the region is the same as the other way round.
pointer move 700 500
pointer press
pointer move 550 400
pointer move 300 200
pointer release
wait_for 10 selection_gone || fail "the selection window stayed after the drag"

"$gifrec" --toggle || fail "--toggle did not reach the running gifrec"
wait_for 10 gifrec_streaming || fail "--toggle started no recording"
sleep 1.5
swaymsg 'output * bg #0000ff solid_color' >/dev/null
sleep 1.5
"$gifrec" --toggle || fail "--toggle did not reach the running gifrec"

wait_for 30 has_saved_gifs "$output_dir" || fail "no GIF in $output_dir"
gif=$(saved_gifs "$output_dir" | head -n1)
summary=$("$build/tests/e2e/wayland/gif_frames" "$gif") || fail "the GIF does not decode"
echo "$summary" | head -n1
# Frames that repeat the last one are merged into it: a still red and a still blue region may
# well be two frames, which the colour check below needs at least.
read -r _ width height _ _ <<<"$(echo "$summary" | head -n1)"
[ "$width" = 400 ] && [ "$height" = 300 ] || fail "GIF is ${width}x$height, not the dragged 400x300"
echo "$summary" | awk '$1 == "frame" && $6 > 50 {bad = 1} END {exit bad}' || fail "a frame is mostly black"
colours=$(frame_colours "$gif")
echo "colours in order: $colours"
[[ "$colours" =~ red.*blue ]] || fail "the GIF does not show red and then blue: $colours"
echo ok
