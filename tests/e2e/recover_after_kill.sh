# gifrec killed outright 5 s into a recording: the next start finishes the recording into a GIF
# in "GIF动画" that holds at least the frames of the first 4 s.
source "$(dirname "$0")/common.bash"

start_window_manager
start_gifrec
"$helper" draw 60 &
pids+=($!)
sleep 0.5

tap_f2
wait_for 5 bash -c "ls \"$state_dir\"/*.frames >/dev/null 2>&1" || fail "no journal while recording"
sleep 3.8
# What the journal held after 4 s, read while gifrec goes on writing.
cp "$(ls "$state_dir"/*.frames | head -n1)" "$work/after-4s.frames"
sleep 1
kill -9 "$gifrec_pid"
wait "$gifrec_pid" 2>/dev/null || true
early=$("$helper" journal-frames "$work/after-4s.frames")
[ "$early" -ge 1 ] || fail "no frame reached the journal in 4 s"
if ls "$output_dir"/*.gif >/dev/null 2>&1; then fail "a GIF before the restart"; fi

start_gifrec
wait_for 60 has_saved_gifs "$output_dir" || fail "nothing recovered into $output_dir"
gif=$(saved_gifs "$output_dir" | head -n1)
name=$(basename "$gif")
[[ "$name" =~ ^[0-9]{10}\.gif$ ]] || fail "file name $name is not MMDDhhmmss.gif"
frames=$("$helper" frames "$gif") || fail "giflib cannot read the recovered GIF"
[ "$frames" -ge "$early" ] || fail "$frames frames recovered, $early were in the journal after 4 s"
wait_for 10 bash -c "! ls \"$state_dir\"/*.frames >/dev/null 2>&1" || fail "the journal stayed after the recovery"
echo "ok: $name, $frames frames ($early after 4 s)"
