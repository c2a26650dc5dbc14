# Closing the main window during a recording ends gifrec at once with code 0 and saves nothing.
source "$(dirname "$0")/common.bash"

start_window_manager
start_gifrec
tap_f2
sleep 1.5
"$helper" close "$main_window"
status=""
for _ in $(seq 50); do
  if ! kill -0 "$gifrec_pid" 2>/dev/null; then
    wait "$gifrec_pid" && status=0 || status=$?
    break
  fi
  sleep 0.1
done
[ -n "$status" ] || fail "gifrec still runs 5 s after its window was closed"
[ "$status" -eq 0 ] || fail "exit code $status"
if ls "$output_dir"/*.gif >/dev/null 2>&1; then fail "a GIF was written"; fi
# Nor is anything left for the next start to recover.
if ls "$state_dir"/*.frames >/dev/null 2>&1; then fail "the abandoned recording's journal stayed"; fi
echo ok
