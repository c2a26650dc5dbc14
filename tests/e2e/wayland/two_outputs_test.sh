# Two outputs on sway: HEADLESS-1 (1920x1080, red) and HEADLESS-2 (1280x720 right of it, blue).
# The portal's monitor choice (here its config names HEADLESS-2) is what full screen records:
# the GIF is 1280x720 and blue, one stream, not the two outputs combined.

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
echo ok
