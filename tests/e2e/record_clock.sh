# A still desktop with a ticking clock, recorded full screen in the default (optimised)
# layout: the file is at most a tenth of the same pictures saved as whole frames.
source "$(dirname "$0")/common.bash"
check=$build/tests/e2e/whole_frames_check
command -v xclock >/dev/null || fail "xclock is not installed (scripts/deps.sh test)"

start_window_manager
# A wallpaper: a gradient, so frames are not mostly one colour.
if command -v convert >/dev/null && command -v display >/dev/null; then
  convert -size 1920x1080 gradient:'#203860-#c08040' "$work/wallpaper.png"
  display -window root "$work/wallpaper.png" 2>/dev/null || true
fi
xclock -update 1 -geometry 240x240+900+400 &
pids+=($!)
start_gifrec
sleep 1

tap_f2
sleep 6
tap_f2

wait_for 60 has_saved_gifs "$output_dir" || fail "no GIF in $output_dir"
gif=$(saved_gifs "$output_dir" | head -n1)
"$check" "$gif" || fail "the recording is not a tenth of the same pictures saved whole"
echo "ok: $(basename "$gif") $(stat -c %s "$gif") bytes"
