# Sourced after private_desktop.bash: a desktop as a developer has it while reading a bug
# report. Chromium shows a long local page (text, code, coloured labels, round avatars and a
# photo-like picture) on the left and scrolls it at a steady pace, an xterm prints coloured
# lines on the right, and a clock ticks above it. Everything started goes into `pids`.
#
#   browser_scene_start      # the page, openbox, chromium, xterm and xclock, ready to record
#   browser_scene_scroll &   # a wheel step every 0.5 s: 40 down, 40 up, again (add $! to pids)
#   GIFREC_BENCH_SCROLL_PAUSE=SECONDS sets another pace (a calmer reader: 1 or 2).
# Needs chromium, xterm, xclock (x11-apps), openbox, xdotool and ImageMagick.

browser_scene_tools=(chromium xterm xclock openbox xdotool convert)

# Words for the page's prose, taken in a fixed pseudo-random order so every run shows the same.
browser_scene_words="the recorder frame palette colour window screen pixel file size quality
  terminal browser scroll text edge white grey photo gradient change timing delay memory
  encoder table index transparent rectangle background button label comment build test user
  report expected actual result version desktop display monitor scaling shortcut settings"

browser_scene_prose() {  # browser_scene_prose SEED SENTENCES (awk's seeds 0 and 1 start alike)
  awk -v seed="$1" -v n="$2" -v words="$browser_scene_words" 'BEGIN {
    srand(seed + 2); count = split(words, w, /[ \n]+/)
    for (s = 0; s < n; s++) {
      len = 8 + int(rand() * 12); line = ""
      for (i = 0; i < len; i++) line = line (i ? " " : "") w[1 + int(rand() * count)]
      printf "%s%s. ", toupper(substr(line, 1, 1)), substr(line, 2)
    }
  }'
}

browser_scene_code() {  # browser_scene_code SEED
  local k=$(($1 % 3))
  case $k in
    0) cat <<'EOF'
<span class=k>for</span> (<span class=t>int</span> y = <span class=n>0</span>; y &lt; height; ++y) {
    <span class=t>const uint32_t</span>* row = &amp;pixels[y * stride];  <span class=c>// rows top first</span>
    <span class=k>if</span> (std::equal(row, row + width, previous + y * stride)) <span class=k>continue</span>;
    changed.<span class=f>Extend</span>(<span class=n>0</span>, y, width, <span class=n>1</span>);
}
EOF
      ;;
    1) cat <<'EOF'
$ <span class=f>gifrec</span> --lang en --region <span class=s>"0,0 1920x1080"</span>
<span class=c># recording: 00:20  frames 200  size 8.3 MB</span>
$ <span class=f>ls</span> -l ~/Desktop/GIF
-rw-r--r-- 1 user user <span class=n>8712344</span> Mar  3 10:14 <span class=s>recording-101402.gif</span>
EOF
      ;;
    2) cat <<'EOF'
<span class=t>struct</span> <span class=f>Palette</span> {
    std::array&lt;<span class=t>Rgb</span>, <span class=n>256</span>&gt; colours{};
    <span class=t>int</span> count = <span class=n>0</span>;
    <span class=t>bool</span> <span class=f>Holds</span>(<span class=t>Rgb</span> c) <span class=k>const</span>;  <span class=c>// exact match only</span>
};
EOF
      ;;
  esac
}

browser_scene_page() {  # browser_scene_page DIR: index.html, a photo and the avatars
  local dir=$1 i
  mkdir -p "$dir"
  convert -size 860x480 -seed 11 plasma:darkorange-steelblue -blur 0x3 \
    -attenuate 0.4 +noise Gaussian -quality 90 "$dir/photo.jpg"
  local colours=(tomato-gold seagreen-skyblue orchid-navy sienna-khaki slateblue-pink teal-lime)
  for i in "${!colours[@]}"; do
    convert -size 80x80 "gradient:${colours[$i]}" -rotate 30 -gravity center -extent 80x80 \
      "$dir/avatar$i.png"
  done
  {
    cat <<'EOF'
<!doctype html><html><head><meta charset="utf-8"><title>Colours turn grey in long recordings</title>
<style>
body { font: 15px/1.6 "DejaVu Sans", sans-serif; color: #1f2328; background: #fff; margin: 0; }
header { background: #f6f8fa; border-bottom: 1px solid #d0d7de; padding: 18px 32px; }
h1 { font-size: 26px; font-weight: normal; margin: 0 0 8px; }
.state { background: #1f883d; color: #fff; border-radius: 16px; padding: 4px 12px; font-size: 14px; }
.label { border-radius: 12px; padding: 2px 9px; font-size: 12px; font-weight: bold; margin-left: 4px; }
main { padding: 16px 32px; max-width: 1040px; }
.comment { display: flex; gap: 14px; margin: 18px 0; }
.avatar { width: 40px; height: 40px; border-radius: 50%; flex: none; }
.box { border: 1px solid #d0d7de; border-radius: 6px; flex: 1; overflow: hidden; }
.head { background: #f6f8fa; border-bottom: 1px solid #d0d7de; padding: 8px 14px; color: #59636e; }
.head b { color: #1f2328; }
.body { padding: 4px 14px; }
pre { font: 13px/1.45 "DejaVu Sans Mono", monospace; background: #f6f8fa; border-radius: 6px; padding: 12px; }
.k { color: #cf222e; } .t { color: #0550ae; } .n { color: #0a3069; } .s { color: #0a3069; }
.c { color: #6e7781; font-style: italic; } .f { color: #8250df; }
img.photo { width: 100%; border-radius: 6px; }
</style></head><body>
<header><h1>Colours turn grey in long recordings <span style="color:#59636e">#1544</span></h1>
<span class="state">Open</span>
EOF
    local labels=("#d73a4a:bug" "#0075ca:encoder" "#a2eeef:colour" "#7057ff:good first issue"
                  "#e4e669:needs info" "#008672:help wanted")
    for i in "${labels[@]}"; do
      echo "<span class=\"label\" style=\"background:${i%%:*};color:#fff\">${i#*:}</span>"
    done
    echo '</header><main>'
    for i in $(seq 0 23); do
      echo "<div class=\"comment\"><img class=\"avatar\" src=\"avatar$((i % 6)).png\"><div class=\"box\">"
      echo "<div class=\"head\"><b>user$((i * 7 % 13))</b> commented $((i + 2)) days ago</div><div class=\"body\">"
      echo "<p>$(browser_scene_prose "$i" 4)</p>"
      [ $((i % 2)) -eq 0 ] && echo "<pre>$(browser_scene_code "$i")</pre>"
      [ $((i % 5)) -eq 2 ] && echo '<p><img class="photo" src="photo.jpg"></p>'
      echo "<p>$(browser_scene_prose $((i + 100)) 3)</p></div></div></div>"
    done
    echo '</main></body></html>'
  } >"$dir/index.html"
}

browser_scene_start() {
  browser_scene_page "$work/page"
  openbox >/dev/null 2>&1 &
  pids+=($!)
  xsetroot -solid '#3a4a5c' 2>/dev/null || true
  chromium --no-sandbox --disable-gpu --no-first-run --disable-background-networking \
    --disable-component-update --disable-sync --no-default-browser-check --password-store=basic \
    --user-data-dir="$(mktemp -d -p "$work")" --window-position=0,0 --window-size=1180,1080 \
    --app="file://$work/page/index.html" >"$work/chromium.log" 2>&1 &
  pids+=($!)
  xterm -geometry 84x44+1190+250 -fa Monospace -fs 10 -bg black -fg grey85 -e bash -c '
    while :; do
      ls --color=always -l /usr/bin | head -n 40 | while IFS= read -r line; do
        printf "%s\n" "$line"; sleep 0.1
      done
      for c in 31 32 33 34 35 36; do printf "\e[1;${c}m%s\e[0m line %d of colour %d\n" "==>" $RANDOM "$c"; sleep 0.1; done
    done' &
  pids+=($!)
  xclock -update 1 -geometry 200x200+1460+20 &
  pids+=($!)
  for _ in $(seq 300); do
    xdotool search --onlyvisible --class chromium >/dev/null 2>&1 && break
    sleep 0.1
  done
  sleep 4  # the page's pictures and fonts
}

browser_scene_scroll() {
  xdotool mousemove 590 600
  while :; do
    for button in 5 4; do
      for _ in $(seq 40); do xdotool click "$button"; sleep "${GIFREC_BENCH_SCROLL_PAUSE:-0.5}"; done
    done
  done
}
