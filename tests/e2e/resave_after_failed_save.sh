# A save into a read-only folder fails and keeps the recording; once the folder can be written,
# the tools menu's 重新保存 saves it.
source "$(dirname "$0")/common.bash"

mkdir -p "$output_dir"
if [ "$(id -u)" -ne 0 ]; then
  chmod a-w "$output_dir"
  start_window_manager
  start_gifrec
  make_writable() { chmod u+w "$output_dir"; }
elif in_mount_namespace "mount --bind \"$output_dir\" \"$output_dir\" && mount -o remount,bind,ro \"$output_dir\""; then
  # Root writes through permissions: the folder is mounted read-only in gifrec's own namespace.
  start_window_manager
  start_gifrec "${namespace_prefix[@]}"
  make_writable() { nsenter -t "$gifrec_pid" -m mount -o remount,bind,rw "$output_dir"; }
else
  echo "root without a mount namespace: a file stands where the folder should be instead"
  rmdir "$output_dir"
  echo "in the way" >"$output_dir"
  start_window_manager
  start_gifrec
  make_writable() { rm "$output_dir" && mkdir "$output_dir"; }
fi
"$helper" draw 60 &
pids+=($!)
sleep 0.5

tap_f2
sleep 2
tap_f2
wait_for 10 bash -c "[ \"\$(xprop -id $main_window WM_STATE | sed -n 's/.*window state: *//p')\" = Normal ]" \
  || fail "the main window was not restored at the stop"
sleep 2
if ls "$output_dir"/*.gif >/dev/null 2>&1; then fail "a GIF in the read-only folder"; fi
ls "$state_dir"/*.frames >/dev/null 2>&1 || fail "the unsaved recording's journal is gone"

make_writable || fail "could not make the folder writable again"
# 工具 is the first menu; 重新保存 the eighth entry from its end.
xdotool mousemove --window "$main_window" 20 10 click 1
sleep 0.5
import -window root "$shots/resave_menu.png" 2>/dev/null || true
xdotool key Up Up Up Up Up Up Up Up Return  # past the colour and size entries (separators are skipped)
wait_for 30 has_saved_gifs "$output_dir" || { import -window root "$shots/resave_failed.png" 2>/dev/null; cat "$work/gifrec.log"; fail "重新保存 wrote no GIF"; }
gif=$(saved_gifs "$output_dir" | head -n1)
frames=$("$helper" frames "$gif") || fail "giflib cannot read the GIF"
[ "$frames" -ge 2 ] || fail "only $frames frames"
wait_for 10 bash -c "! ls \"$state_dir\"/*.frames >/dev/null 2>&1" || fail "the journal stayed after the save"
echo "ok: $(basename "$gif"), $frames frames"
