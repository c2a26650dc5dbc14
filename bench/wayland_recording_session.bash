# The session side of bench/wayland_recording.sh, sourced inside the tests' headless Wayland
# session (tests/e2e/wayland/session_test.bash) after a header that sets bench_seconds and
# defines measure_recording. Prints "RESULT FPS CPU_MS_PER_FRAME FRAMES SECONDS GIF_KIB".
swaymsg 'output * bg #000000 solid_color' >/dev/null
# sway's own environment knows its Xwayland display; what it starts gets that environment.
swaymsg exec "echo \$DISPLAY >$work/xwayland-display" >/dev/null
wait_for 10 test -s "$work/xwayland-display" || fail "sway told no Xwayland display"
DISPLAY=$(cat "$work/xwayland-display") "$build/tests/e2e/e2e_helper" draw $((bench_seconds + 120)) \
  >"$logs/draw.log" 2>&1 &
draw_pid=$!
pids+=("$draw_pid")

start_gifrec
"$gifrec" --toggle || fail "--toggle did not reach the running gifrec"
wait_for 10 gifrec_streaming || fail "--toggle started no recording"
result=$(measure_recording "$gifrec_pid" "$build/tests/e2e/e2e_helper" "$bench_seconds") ||
  fail "no figures"
kill -0 "$draw_pid" || fail "e2e_helper's changing window did not run: $(cat "$logs/draw.log")"
"$gifrec" --toggle || fail "--toggle did not stop the recording"
wait_for 60 has_saved_gifs "$output_dir" || fail "no GIF was saved"
echo "RESULT $result $(($(stat -c %s "$(saved_gifs "$output_dir" | head -n1)") / 1024))"
