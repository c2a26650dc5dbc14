# A recording whose journal lies on a small tmpfs that fills up stops by itself and saves the
# frames that fitted. Where no tmpfs can be mounted, a file size limit fills the store instead.
source "$(dirname "$0")/common.bash"

mkdir -p "$state_dir"
if ! in_mount_namespace "mount -t tmpfs -o size=1m gifrec-test \"$state_dir\""; then
  echo "no mount namespace here: the store is filled by a 1 MiB file size limit instead"
  # Ignored signals stay ignored across exec: a write past the limit fails instead of killing.
  namespace_prefix=(bash -c "trap '' XFSZ; ulimit -f 1024; exec \"\$0\" \"\$@\"")
fi
start_window_manager
start_gifrec "${namespace_prefix[@]}"
# Whole frames fill the store in seconds: 保存完整帧, seventh from 工具's end (恢复默认设置,
# 界面语言, 大小上限, 输出尺寸, 画质, 精确颜色; separators are skipped).
xdotool mousemove --window "$main_window" 20 10 click 1
sleep 0.5
xdotool key Up Up Up Up Up Up Up Return
sleep 0.3
"$helper" draw 60 &
pids+=($!)
sleep 0.5

tap_f2
wait_for 5 bash -c "[ \"\$(xprop -id $main_window WM_STATE | sed -n 's/.*window state: *//p')\" = Iconic ]" \
  || fail "the recording did not start"
# No second F2: the full store ends the recording.
wait_for 90 has_saved_gifs "$output_dir" || fail "no GIF of what fitted"
gif=$(saved_gifs "$output_dir" | head -n1)
frames=$("$helper" frames "$gif") || fail "giflib cannot read the GIF"
[ "$frames" -ge 2 ] || fail "only $frames frames"
wait_for 10 bash -c "[ \"\$(xprop -id $main_window WM_STATE | sed -n 's/.*window state: *//p')\" = Normal ]" \
  || fail "the main window was not restored at the stop"
kill -0 "$gifrec_pid" || fail "gifrec ended"
echo "ok: $(basename "$gif"), $frames frames"
