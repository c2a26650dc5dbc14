# A recording trimmed in the preview with the keys, as a user would: Home → I → I, Ctrl+Z takes the
# second mark back, → → → O, Ctrl+S saves. The file then holds frames 2 to 6 exactly as
# `gifanim trim` makes them, the original is in the trash, the clipboard holds the new bytes.
source "$(dirname "$0")/common.bash"
gifanim=$build/tools/gifanim
[ -x "$gifanim" ] || fail "gifanim is not built"

start_window_manager
start_gifrec
"$helper" draw 60 &
drawer=$!
pids+=("$drawer")
sleep 0.5
tap_f2
sleep 3
tap_f2
wait_for 60 has_saved_gifs "$output_dir" || fail "no GIF in $output_dir"
gif=$(saved_gifs "$output_dir" | head -n1)
name=$(basename "$gif")
wait_for 30 bash -c "xdotool search --onlyvisible --name '^$preview_title\$' >/dev/null" || fail "no preview window"
preview=$(xdotool search --onlyvisible --name "^$preview_title\$" | head -n1)
kill "$drawer"
cp "$gif" "$work/original.gif"
frames=$("$gifanim" info "$gif" | grep -c '^frame ')
[ "$frames" -ge 7 ] || fail "only $frames frames recorded"

xdotool windowactivate --sync "$preview" 2>/dev/null || xdotool windowfocus --sync "$preview"
sleep 0.3
# Home stops the playing animation on the first frame.
for key in Home Right i Right i ctrl+z Right Right Right o; do
  xdotool key --clearmodifiers "$key"
  sleep 0.15
done
import -window root "$shots/editor_marked_$language.png" 2>/dev/null || true
xdotool key --clearmodifiers ctrl+s
trash=$HOME/.local/share/Trash
wait_for 30 test -f "$trash/files/$name" || fail "the original did not go to the trash"
sleep 1
import -window root "$shots/editor_saved_$language.png" 2>/dev/null || true

cmp -s "$trash/files/$name" "$work/original.gif" || fail "the trashed file is not the original"
grep -q "^Path=.*$name\$" "$trash/info/$name.trashinfo" || fail "no trash info for $name"
"$gifanim" trim "$work/original.gif" --from 2 --to 6 -o "$work/expected.gif"
cmp -s "$gif" "$work/expected.gif" || fail "the saved file does not hold frames 2 to 6 as trimmed: $("$gifanim" info "$gif" | grep -c "^frame ") frames, $(stat -c %s "$gif") bytes against $(stat -c %s "$work/expected.gif"); delays $("$gifanim" info "$gif" | grep -i delay | tr "\n" " ") against $("$gifanim" info "$work/expected.gif" | grep -i delay | tr "\n" " ")"
xclip -selection clipboard -t image/gif -o >"$work/clipboard.gif" || fail "no GIF on the clipboard"
cmp -s "$work/clipboard.gif" "$gif" || fail "the clipboard does not hold the edited GIF"
echo "ok: $name trimmed from $frames frames to 5"
