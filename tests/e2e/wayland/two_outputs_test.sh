# Two outputs on sway: HEADLESS-1 (1920x1080, red) and HEADLESS-2 (1280x720 right of it, blue).
# The portal's monitor choice (here its config names HEADLESS-2) is what full screen records:
# the GIF is 1280x720 and blue, one stream, not the two outputs combined. The region selection
# shows that output's picture full-screen (on the output sway gives it, which this portal does
# not place): a drag over it from (100, 100) to (500, 400) of the picture records 400x300 of it.

swaymsg create_output >/dev/null || fail "sway made no second output"
swaymsg "output HEADLESS-2 resolution 1280x720 position 1920 0 bg #0000ff solid_color" >/dev/null
swaymsg "output HEADLESS-1 position 0 0" >/dev/null
swaymsg -t get_outputs | grep -q '"name": "HEADLESS-2"' || fail "no HEADLESS-2"

# The portal reads its choice when it starts: it starts again with the other output named.
stop_portal
sed -i 's/^output_name=.*/output_name=HEADLESS-2/' "$XDG_CONFIG_HOME/xdg-desktop-portal-wlr/config"
LD_PRELOAD=$BUILD/tests/e2e/wayland/libscreencopy_shim.so \
  /usr/libexec/xdg-desktop-portal-wlr -l DEBUG >"$logs/portal-wlr-2.log" 2>&1 &
pids+=($!)
wait_for 10 bus_has org.freedesktop.impl.portal.desktop.wlr || fail "the wlr portal did not start again"
/usr/libexec/xdg-desktop-portal -v >"$logs/portal-2.log" 2>&1 &
pids+=($!)
wait_for 10 bus_has org.freedesktop.portal.Desktop || fail "xdg-desktop-portal did not start again"

# Its extent is the whole layout: both outputs side by side.
coproc pointer { "$build/tests/e2e/wayland/virtual_pointer" 3200 1080 2>"$logs/pointer.log"; }
pids+=("$pointer_PID")
read -t 10 -r reply <&"${pointer[0]}" && [ "$reply" = ok ] || fail "no virtual pointer"
pointer() {
  echo "$*" >&"${pointer[1]}"
  read -t 10 -r reply <&"${pointer[0]}" && [ "$reply" = ok ] || fail "the pointer did not $*"
}
pointer move 1000 1000

start_gifrec --lang zh
"$gifrec" --toggle || fail "--toggle did not reach the running gifrec"
wait_for 10 gifrec_streaming || fail "--toggle started no recording"
sleep 1.5
"$gifrec" --toggle || fail "--toggle did not reach the running gifrec"
wait_for 30 has_saved_gifs "$output_dir" || fail "no GIF in $output_dir"
gif=$(saved_gifs "$output_dir" | head -n1)
seen=$("$build/tests/e2e/wayland/gif_frames" "$gif" 10,10 1270,710 640,360) || fail "the GIF does not decode"
echo "$seen" | grep -v '^frame'
grep -q '^size 1280 720 ' <<<"$seen" || fail "not the chosen 1280x720 output"
awk '$1 == "pixel" && !($6 > 200 && $4 < 60) {bad = 1} END {exit bad}' <<<"$seen" ||
  fail "the GIF is not the blue output"
rm -f "$output_dir"/*.gif

# A region on that output, dragged on the selection.
# "X Y WIDTH HEIGHT" in the layout of gifrec's full-screen window, or of its window named $1.
window_rect() {
  swaymsg -t get_tree | python3 -c '
import json, sys
def walk(node):
    named = node.get("name") == sys.argv[2] if len(sys.argv) > 2 else node.get("fullscreen_mode") == 1
    if node.get("pid") == int(sys.argv[1]) and named:
        r = node["rect"]
        print(r["x"], r["y"], r["width"], r["height"])
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        walk(child)
walk(json.load(sys.stdin))' "$gifrec_pid" "$@"
}
selection_rect() { window_rect; }
selection_shown() { [ -n "$(selection_rect)" ]; }
selection_gone() { [ -z "$(selection_rect)" ]; }
# The layout point of picture point X Y on the selection window, whose picture is 1280x720.
on_selection() { echo $((sx + $1 * sw / 1280)) $((sy + $2 * sh / 720)); }
# The main window came back where sway puts a new window; its preview is closed first.
swaymsg '[title="^预览$"] kill' >/dev/null
sleep 0.5
read -r wx wy _ <<<"$(window_rect "GIF 录屏")"
pointer move $((wx + 8 + 72 + 40)) $((wy + 20 + 26))
pointer scroll 1
pointer scroll 1
pointer move $((wx + 8 + 168 + 20)) $((wy + 20 + 26))
pointer press
pointer release
wait_for 10 selection_shown || fail "the region button opened no selection"
read -r sx sy sw sh <<<"$(selection_rect)"
echo "selection window: $sw x $sh at $sx, $sy"
pointer move $(on_selection 100 100)
pointer press
pointer move $(on_selection 300 250)
pointer move $(on_selection 500 400)
pointer release
wait_for 10 selection_gone || fail "the selection window stayed"
pointer move 1000 1000
"$gifrec" --toggle || fail "--toggle did not reach the running gifrec"
wait_for 10 gifrec_streaming || fail "--toggle started no recording"
sleep 1.5
"$gifrec" --toggle || fail "--toggle did not reach the running gifrec"
wait_for 30 has_saved_gifs "$output_dir" || fail "no GIF of the region"
gif=$(saved_gifs "$output_dir" | head -n1)
seen=$("$build/tests/e2e/wayland/gif_frames" "$gif" 10,10 390,290) || fail "the GIF does not decode"
echo "$seen" | grep -v '^frame'
grep -q '^size 400 300 ' <<<"$seen" || fail "the region is not the dragged 400x300"
awk '$1 == "pixel" && !($6 > 200 && $4 < 60) {bad = 1} END {exit bad}' <<<"$seen" ||
  fail "the region is not on the blue output"
echo ok
