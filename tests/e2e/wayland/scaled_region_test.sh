# Region mode on scaled outputs (scale 2, 1.5, 1.25): the output is 1920x1080 pixels, which the
# stream counts, while gifrec's windows count half or two thirds as many. A drag from (300, 200)
# to (700, 500) in the output's pixels records exactly that rectangle: 400x300, with the blue
# square of the background at (500..599, 300..399) at (200..299, 100..199) of the GIF. The window
# is hidden for the recording (sway cannot minimise it; --toggle stops) and comes back.

coproc pointer { "$build/tests/e2e/wayland/virtual_pointer" 1920 1080 2>"$logs/pointer.log"; }
pids+=("$pointer_PID")
read -t 10 -r reply <&"${pointer[0]}" && [ "$reply" = ok ] || fail "no virtual pointer"
pointer() {
  echo "$*" >&"${pointer[1]}"
  read -t 10 -r reply <&"${pointer[0]}" && [ "$reply" = ok ] || fail "the pointer did not $*"
}
gifrec_fullscreen_modes() {
  swaymsg -t get_tree | awk -v pid="$gifrec_pid" '
    $1 == "\"fullscreen_mode\":" {mode = $2 + 0}
    $1 == "\"pid\":" && $2 + 0 == pid {print mode}'
}
selection_shown() { gifrec_fullscreen_modes | grep -x 1 >/dev/null; }
selection_gone() { [ "$(gifrec_fullscreen_modes)" = 0 ]; }
window_shown() { swaymsg -t get_tree | grep "\"pid\": $gifrec_pid" >/dev/null; }

convert -size 1920x1080 xc:'#e02020' -fill '#2040e0' -draw 'rectangle 500,300 599,399' \
  "$work/background.png"

for scale in 2 1.5 1.25; do
  swaymsg "output HEADLESS-1 scale $scale bg $work/background.png fill" >/dev/null
  rm -f "$output_dir"/*.gif
  start_gifrec --lang zh
  # In the output's layout, which counts the windows' pixels.
  wx=600 wy=20
  swaymsg "[pid=$gifrec_pid] border none, move position $wx $wy" >/dev/null ||
    fail "gifrec's window could not be placed"
  at() { awk -v v="$1" -v s="$scale" 'BEGIN {printf "%d", v * s + 0.5}'; }
  pointer move "$(at $((wx + 8 + 72 + 40)))" "$(at $((wy + 20 + 26)))"
  pointer scroll 1
  pointer scroll 1
  pointer move "$(at $((wx + 8 + 168 + 20)))" "$(at $((wy + 20 + 26)))"
  pointer press
  pointer release
  wait_for 10 selection_shown || fail "scale $scale: the region button opened no selection"
  pointer move 300 200
  pointer press
  pointer move 500 350
  pointer move 700 500
  pointer release
  wait_for 10 selection_gone || fail "scale $scale: the selection window stayed"
  pointer move 1900 1060

  "$gifrec" --toggle || fail "--toggle did not reach the running gifrec"
  wait_for 10 gifrec_streaming || fail "--toggle started no recording"
  sleep 1.5
  ! window_shown || fail "scale $scale: the main window stayed on the screen while recording"
  "$gifrec" --toggle || fail "--toggle did not reach the running gifrec"
  wait_for 30 has_saved_gifs "$output_dir" || fail "scale $scale: no GIF in $output_dir"
  wait_for 10 window_shown || fail "scale $scale: the main window did not come back"

  gif=$(saved_gifs "$output_dir" | head -n1)
  seen=$("$build/tests/e2e/wayland/gif_frames" "$gif" 50,50 250,150 390,290 201,101 198,98 \
    298,198 301,201) ||
    fail "the GIF does not decode"
  echo "scale $scale: $(echo "$seen" | grep -v '^frame' | tr '\n' ' ')"
  grep -q '^size 400 300 ' <<<"$seen" || fail "scale $scale: not the dragged 400x300"
  # Red and blue as the software renderer draws them, give or take (at 1.5 it filters edges).
  colour_at() { awk -v p="pixel $1 $2" '$0 ~ "^" p " " {
      r = $4; g = $5; b = $6
      if (r > 180 && g < 80 && b < 80) print "red"; else if (b > 160 && r < 80) print "blue"
      else print "other" }' <<<"$seen"; }
  [ "$(colour_at 50 50)" = red ] || fail "scale $scale: (50, 50) is not red"
  [ "$(colour_at 250 150)" = blue ] || fail "scale $scale: the square is not at (250, 150)"
  [ "$(colour_at 390 290)" = red ] || fail "scale $scale: (390, 290) is not red"
  # The square's corners, to a pixel: the region is neither shifted nor scaled.
  [ "$(colour_at 201 101)$(colour_at 298 198)" = blueblue ] || fail "scale $scale: square cut short"
  [ "$(colour_at 198 98)$(colour_at 301 201)" = redred ] || fail "scale $scale: square shifted"
  kill "$gifrec_pid"
  wait "$gifrec_pid" 2>/dev/null || true
done
echo ok
