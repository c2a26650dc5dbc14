# With the screen-cast portal gone, neither F2 nor --toggle starts a recording: gifrec says why
# (on its status line and on stderr), opens no stream and writes no file. The session's locale is
# C.UTF-8, so gifrec speaks English unless told otherwise; the source texts are checked here.
stop_portal
bus_has org.freedesktop.portal.Desktop && fail "the portal is still on the bus"
start_gifrec --lang zh
# wtype's first key is at times lost (see start_recording_with_f2): F2 again until one arrives.
for _ in 1 2 3; do
  press_f2
  wait_for 3 bash -c "grep -q '无法录制' '$logs/gifrec.log'" && break
done
grep -q "无法录制: 桌面没有提供屏幕录制门户" "$logs/gifrec.log" || fail "no clear message; gifrec said: $(cat "$logs/gifrec.log")"
before=$(grep -c '无法录制' "$logs/gifrec.log")
"$gifrec" --toggle || fail "--toggle did not reach the running gifrec"
wait_for 5 bash -c "[ \$(grep -c '无法录制' '$logs/gifrec.log') -gt $before ]" || fail "--toggle's start was not refused"
gifrec_streaming && fail "gifrec opened a stream without a portal"
# A stop would write the file; a third toggle must not find a recording to stop either.
"$gifrec" --toggle
sleep 1
[ -z "$(ls -A "$output_dir" 2>/dev/null)" ] || fail "a file was written: $(ls "$output_dir")"
kill -0 "$gifrec_pid" || fail "gifrec ended"
echo ok
