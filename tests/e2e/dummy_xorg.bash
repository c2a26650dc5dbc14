# An X server of its own with several RandR monitors side by side: Xorg with the dummy video
# driver and a config written here. Root only (Xorg reads a config from anywhere only for root).
# Usage: start_dummy_xorg DIR WIDTHxHEIGHT... — the first monitor is the primary one, the others
# follow to its right. Sets dummy_xorg_pid and exports DISPLAY; returns 1 when no server starts.
start_dummy_xorg() {
  local dir=$1
  shift
  command -v Xorg >/dev/null && [ -e /usr/lib/xorg/modules/drivers/dummy_drv.so ] || return 1
  [ "$(id -u)" -eq 0 ] || return 1
  local width=0 height=0 size
  for size in "$@"; do
    width=$((width + ${size%x*}))
    [ "${size#*x}" -gt "$height" ] && height=${size#*x}
  done
  mkdir -p "$dir/conf.d"
  cat >"$dir/xorg.conf" <<CONF
Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "AutoEnableDevices" "false"
  Option "DontVTSwitch" "true"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 512000
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
  Modeline "1024x768" 65.0 1024 1048 1184 1344 768 771 777 806
  Modeline "1280x720" 74.25 1280 1390 1430 1650 720 725 730 750
  Modeline "1920x1080" 148.5 1920 2008 2052 2200 1080 1084 1089 1125
  Modeline "3840x2160" 297.0 3840 4016 4104 4400 2160 2168 2178 2250
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual $width $height
    Modes "$1"
  EndSubSection
EndSection
CONF
  Xorg -displayfd 3 -config "$dir/xorg.conf" -configdir "$dir/conf.d" -logfile "$dir/log" \
    -nolisten tcp -noreset 3>"$dir/display" >/dev/null 2>&1 &
  dummy_xorg_pid=$!
  for _ in $(seq 100); do [ -s "$dir/display" ] && break; sleep 0.1; done
  [ -s "$dir/display" ] || { kill "$dummy_xorg_pid" 2>/dev/null; return 1; }
  export DISPLAY=":$(head -n1 "$dir/display")"
  local output=0 arguments=(--output DUMMY0 --mode "$1" --primary) previous=DUMMY0
  for size in "${@:2}"; do
    output=$((output + 1))
    xrandr --addmode "DUMMY$output" "$size"
    arguments+=(--output "DUMMY$output" --mode "$size" --right-of "$previous")
    previous=DUMMY$output
  done
  xrandr "${arguments[@]}"
  [ "$(xrandr --listmonitors | head -n1)" = "Monitors: $#" ]
}
