#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running ("run") or testing ("test") needs,
# but only those that are missing, so a ready machine starts at once.
set -euo pipefail

build=(cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev libx11-dev libxext-dev libxtst-dev libxrandr-dev
       libgif-dev libpng-dev libjpeg62-turbo-dev libpipewire-0.3-dev fonts-wqy-microhei qt6-tools-dev
       qt6-l10n-tools)
run=(qt6-wayland)
# The Wayland stage: a headless compositor, PipeWire and the screen-cast portal.
test=(libgtest-dev libbenchmark-dev clang libclang-rt-14-dev xvfb xauth xdotool xclip x11-utils openbox
      desktop-file-utils appstream lintian dpkg-dev binutils imagemagick x11-apps trayer
      sway xwayland pipewire wireplumber xdg-desktop-portal xdg-desktop-portal-wlr wtype dbus
      dbus-user-session pipewire-bin xterm python3 xserver-xorg-core xserver-xorg-video-dummy
      x11-xserver-utils)

wanted=("${build[@]}" "${run[@]}")
[ "${1:-run}" = test ] && wanted+=("${test[@]}")

missing=()
for package in "${wanted[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
