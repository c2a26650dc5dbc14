#!/usr/bin/env bash
# Draws the seven 196 x 33 background strips of the watermark maker (ImageMagick). The PNGs are
# committed; run this only to change them. No strip holds pure black: black is the colour a
# stamped watermark leaves out.
set -euo pipefail
cd "$(dirname "$0")"
size=196x33
png() { local name=$1; shift; convert -size "$size" "$@" +level 6%,100% -strip \
        -define png:exclude-chunks=date,time "PNG24:$name"; }
png strip1.png xc:'#f2f2f2'
png strip2.png gradient:'#1e5aa8'-'#9fd3ff' -rotate 0
png strip3.png -define gradient:direction=east gradient:'#ff8a3d'-'#7a2a8c'
png strip4.png pattern:checkerboard -fill '#81c784' -colorize 45% -blur 0x0.6
png strip5.png -define gradient:direction=east gradient:'#fff6c2'-'#ffd0e0' \
    \( -size "$size" pattern:left45 -negate -alpha copy -fill '#ffffff' -colorize 100 \) \
    -compose over -composite
png strip6.png -seed 7 plasma:'#2e7d32'-'#a5d6a7' -blur 0x1
png strip7.png radial-gradient:'#fefefe'-'#5d6d7e'
