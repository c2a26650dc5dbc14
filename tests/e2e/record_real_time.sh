# Real time: beside a terminal whose counter changes every 20 ms, the GIF plays as long as the
# recording ran between the F2 presses, with the seconds paused by Shift+F2 left out. With
# 固定帧延时 checked, every frame has the play-speed slider's delay again.
source "$(dirname "$0")/common.bash"
command -v xterm >/dev/null || fail "xterm is not installed (scripts/deps.sh test)"

now_ms() { date +%s%3N; }
# Prints the moment of the press, in milliseconds.
press() {
  local at
  at=$(now_ms)
  xdotool keydown "$@"
  sleep 0.05
  xdotool keyup "$@"
  echo "$at"
}

start_window_manager
xterm -geometry 40x6+600+300 -e bash -c \
  'i=0; while :; do printf "\r%08d" $i; i=$((i + 1)); sleep 0.02; done' &
pids+=($!)
start_gifrec

started=$(press F2)
sleep 7
paused=$(press Shift_L F2)
sleep 0.5
import -window root "$shots/paused.png" 2>/dev/null || true
[[ "$(xdotool getwindowname "$main_window")" == *暂停* ]] || [ "$language" != zh ] \
  || fail "the title does not say that the recording is paused"
sleep 3.5
resumed=$(press Shift_L F2)
sleep 7
stopped=$(press F2)

wait_for 60 has_saved_gifs "$output_dir" || fail "no GIF in $output_dir"
gif=$(saved_gifs "$output_dir" | head -n1)
read -r frames total shortest longest < <("$helper" delays "$gif") || fail "giflib cannot read the GIF"
wall=$(((stopped - started) - (resumed - paused)))
echo "real time: $frames frames, $((total * 10)) ms played, $wall ms recorded (F2 to F2 less the pause), delays $shortest..$longest"
[ "$shortest" -ge 2 ] || fail "a delay below 2 hundredths"
difference=$((total * 10 - wall))
[ "${difference#-}" -le $((wall * 3 / 100)) ] \
  || fail "played ${total}0 ms for $wall ms recorded: more than 3% apart"
[ "$frames" -ge 50 ] || fail "only $frames frames in $wall ms"

# The preview gives F2 back once it is closed by a double-click.
wait_for 30 bash -c "xdotool search --onlyvisible --name '^$preview_title\$' >/dev/null" || fail "no preview window"
preview=$(xdotool search --onlyvisible --name "^$preview_title\$" | head -n1)
eval "$(xdotool getwindowgeometry --shell "$preview")"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click --repeat 2 --delay 80 1
wait_for 10 bash -c "! xdotool search --onlyvisible --name '^$preview_title\$' >/dev/null" \
  || fail "double-click did not close the preview"

# 固定帧延时: the tools menu's second entry.
xdotool mousemove --window "$main_window" 20 10 click 1
sleep 1  # a loaded machine opens the menu late
xdotool key Down Down Return
sleep 0.5
press F2 >/dev/null
sleep 3
press F2 >/dev/null
wait_for 60 has_saved_gifs "$output_dir" 2 || fail "no second GIF in $output_dir"
gif=$(saved_gifs "$output_dir" | tail -n1)
read -r frames total shortest longest < <("$helper" delays "$gif") || fail "giflib cannot read the GIF"
echo "fixed delays: $frames frames, delays $shortest..$longest"
[ "$shortest" -eq 20 ] && [ "$longest" -eq 20 ] || fail "fixed delays are not all 20 hundredths"
echo "ok: real time within 3%, the pause left out, fixed delays as the slider says"
