#!/usr/bin/env bash
# Colour quality and size of `gifanim make` beside other GIF encoders, on the same frames: the
# browser scene (bench/browser_scene.bash) captured without loss at 10 fps by ffmpeg's x11grab,
# then encoded by each tool. Each GIF is played by gif_compare against the frames; the table
# gives its size, PSNR over whole frames and over text edges, the share of pure white pixels
# kept pure white and the encoder's CPU time (user + sys).
#
#   bench/colour_quality.sh [BUILD_DIR] [SECONDS] [OUT_DIR]     (defaults: build, 20)
#   GIFREC_BENCH_OURS="OPTIONS;OPTIONS..."  our option sets, each a row of
#       `gifanim make --delay 10 OPTIONS`; an option this build does not know gives the row
#       "unsupported". Default: see `ours` below.
#   GIFREC_BENCH_DISPLAY=:N  the private display to use (else a random one).
#   GIFREC_BENCH_SCROLL_PAUSE=SECONDS  the time between the page's wheel steps (default 0.5).
# OUT_DIR keeps the frames, the GIFs, their logs and the table. Peers that are missing are
# installed with apt-get (ffmpeg, gifsicle, chromium ...) and npm (gifski) where possible, and
# skipped otherwise. Needs gif_compare and gifanim built; a comparison tool only, no test uses it.
set -euo pipefail
build=$(realpath "${1:-build}")
seconds=${2:-20}
out=${3:-}
fps=10
ours=${GIFREC_BENCH_OURS:-"--optimize --colours best;--optimize --colours best --quality 70;--optimize;--optimize --exact-colours"}
gifanim=$build/tools/gifanim
compare=$build/bench/gif_compare
[ -x "$gifanim" ] && [ -x "$compare" ] || { echo "build gifanim and gif_compare first" >&2; exit 2; }
here=$(cd "$(dirname "$0")" && pwd)

# The scene's tools and the peers, from Debian where they are missing.
declare -A packages=([ffmpeg]=ffmpeg [gifsicle]=gifsicle [chromium]=chromium [xterm]=xterm
  [xclock]=x11-apps [openbox]=openbox [xdotool]=xdotool [convert]=imagemagick [Xvfb]=xvfb
  [/usr/bin/time]=time [xsetroot]=x11-xserver-utils)
missing=()
for tool in "${!packages[@]}"; do command -v "$tool" >/dev/null || missing+=("${packages[$tool]}"); done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing ${missing[*]}" >&2
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" \
    >/dev/null 2>&1 || echo "could not install all of ${missing[*]}" >&2
fi
# gifski ships its Linux binary inside the npm package.
npm_dir=${XDG_CACHE_HOME:-$HOME/.cache}/gifrec-bench
gifski=$npm_dir/node_modules/gifski/bin/debian/gifski
if [ ! -x "$gifski" ] && command -v npm >/dev/null; then
  mkdir -p "$npm_dir"
  (cd "$npm_dir" && npm install --no-audit --no-fund --silent gifski >/dev/null 2>&1) || true
fi
source "$here/browser_scene.bash"
for tool in "${browser_scene_tools[@]}" ffmpeg /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed" >&2; exit 0; }
done

source "$here/private_desktop.bash"
dir=${out:-$work/out}
mkdir -p "$dir"
dir=$(realpath "$dir")
frames=$dir/frames
rm -rf "$frames"
mkdir -p "$frames"

browser_scene_start
browser_scene_scroll &
pids+=($!)
sleep 1
# Raw frames keep the grab on time on a busy machine; the PNGs are written after it.
ffmpeg -nostdin -hide_banner -f x11grab -framerate "$fps" -video_size 1920x1080 -draw_mouse 0 \
  -i "$DISPLAY" -frames:v $((seconds * fps)) -fps_mode cfr -r "$fps" -c:v rawvideo -f nut \
  "$work/capture.nut" 2>"$dir/capture.log"
for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
pids=()
ffmpeg -nostdin -loglevel error -i "$work/capture.nut" -pix_fmt rgb24 "$frames/%05d.png"
rm -f "$work/capture.nut"
count=$(find "$frames" -name '*.png' | wc -l)
stats=$(tr '\r' '\n' <"$dir/capture.log" | grep 'frame=' | tail -n1 || true)
echo "captured $count frames of 1920x1080 at $fps fps ($(grep -o 'dup=[0-9]* drop=[0-9]*' <<<"$stats" || echo 'dup=0 drop=0'))"
tab=$'\t'
rows=()  # name, then size in bytes, images, played s, PSNR, text PSNR, white kept, CPU s; tab-separated
declare -A names=()

# encode NAME FILE COMMAND...: runs COMMAND timed and measures FILE; a row "unsupported" when our
# build does not know an option, "failed: ..." on another error.
encode() {
  local name=$1 file=$2 cpu metrics
  shift 2
  names[$file]=$name
  rm -f "$file"
  if ! /usr/bin/time -f "%U %S" -o "$file.time" "$@" >"$file.log" 2>&1; then
    if grep -q "unknown option" "$file.log"; then
      rows+=("$name${tab}unsupported")
    else
      rows+=("$name${tab}failed: $(grep -v 'exit status' "$file.log" | head -n1)")
    fi
    return 1
  fi
  cpu=$(awk '{printf "%.1f", $1 + $2}' "$file.time")
  if ! metrics=$("$compare" "$file" "$frames" "$fps" 2>&1); then
    rows+=("$name${tab}gif_compare: $metrics")
    return 1
  fi
  value() { sed -n "s/.*\b$1=\([^ ]*\).*/\1/p" <<<"$metrics"; }
  rows+=("$name${tab}$(stat -c %s "$file")${tab}$(value images)${tab}$(value played_s)${tab}$(value psnr)${tab}$(value text_psnr)${tab}$(value white_kept)${tab}$cpu")
}

pngs=("$frames"/*.png)
ours_files=()
IFS=';' read -ra sets <<<"$ours"
for i in "${!sets[@]}"; do
  read -ra options <<<"${sets[$i]}"
  file=$dir/ours$i.gif
  encode "gifanim make --delay 10 ${sets[$i]}" "$file" \
    "$gifanim" make --delay 10 "${options[@]}" -o "$file" "${pngs[@]}" && ours_files+=("$file")
done

reference=$dir/ffmpeg-none.gif  # the yardstick of the size ratios
ffmpeg_gif() {  # ffmpeg_gif NAME FILE FILTER: palettegen on [a], paletteuse of [b] and [p]
  encode "ffmpeg $(ffmpeg -version | awk 'NR == 1 {sub(/-.*/, "", $3); print $3}') $1" "$2" \
    ffmpeg -nostdin -loglevel error -y -framerate "$fps" -i "$frames/%05d.png" \
    -vf "split[a][b];[a]$3" "$2" || true
}
if command -v ffmpeg >/dev/null; then
  ffmpeg_gif "palettegen(stats_mode=diff) + paletteuse(dither=none, diff_mode=rectangle)" \
    "$reference" "palettegen=stats_mode=diff[p];[b][p]paletteuse=dither=none:diff_mode=rectangle"
  ffmpeg_gif "palettegen + paletteuse, defaults" "$dir/ffmpeg-defaults.gif" \
    "palettegen[p];[b][p]paletteuse"
fi
if command -v gifsicle >/dev/null; then
  for file in "${ours_files[@]}" "$reference"; do
    [ -s "$file" ] || continue
    encode "gifsicle -O3 of: ${names[$file]}" "${file%.gif}-gifsicle.gif" \
      gifsicle -O3 "$file" -o "${file%.gif}-gifsicle.gif" || true
  done
fi
if [ -x "$gifski" ]; then
  encode "gifski $("$gifski" --version | cut -d' ' -f2) --quality 90" "$dir/gifski.gif" \
    "$gifski" --quiet --quality 90 --fps "$fps" --width 1920 --height 1080 -o "$dir/gifski.gif" \
    "${pngs[@]}" || true
fi

reference_size=$([ -s "$reference" ] && stat -c %s "$reference" || echo 0)
{
  echo "$count frames of 1920x1080 at $fps fps; $(nproc) cores"
  echo
  echo "| encoder | size MB | × ffmpeg dither=none | images | played s | PSNR dB | text PSNR dB | white kept % | CPU s |"
  echo "|---|---|---|---|---|---|---|---|---|"
  printf '%s\n' "${rows[@]}" | awk -F '\t' -v ref="$reference_size" '{
    if (NF < 8) { printf "| %s | %s | | | | | | | |\n", $1, $2; next }
    printf "| %s | %.2f | %s | %s | %s | %s | %s | %s | %s |\n", $1, $2 / 1e6,
           ref ? sprintf("%.2f", $2 / ref) : "", $3, $4, $5, $6, $7, $8 }'
} | tee "$dir/table.md"
[ -z "$out" ] || echo "kept in $out"
