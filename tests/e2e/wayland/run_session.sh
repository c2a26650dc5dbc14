#!/usr/bin/env bash
# Runs one end-to-end test inside a private headless Wayland session: sway on the software
# renderer, PipeWire with WirePlumber, and the wlroots screen-cast portal behind
# xdg-desktop-portal, all on a D-Bus session bus of their own that starts no service by itself.
# sway refuses to run as root, so root runs the session as an unprivileged user made for it.
# Usage: run_session.sh TEST.sh GIFREC BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
test_script=$(realpath "$1")
gifrec=$(realpath "$2")
build=$(realpath "$3")

for tool in sway swaymsg pipewire wireplumber dbus-run-session /usr/libexec/xdg-desktop-portal \
            /usr/libexec/xdg-desktop-portal-wlr /usr/libexec/xdg-permission-store; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (scripts/deps.sh test)"; exit 1; }
done

work=$(mktemp -d /tmp/gifrec-wayland.XXXXXX)
chmod 755 "$work"
cleanup() { rm -rf "$work"; }
trap cleanup EXIT

# The scripts run from copies too, for the same reason as the binaries below.
mkdir -p "$work/scripts"
cp "$here/session_inside.bash" "$here/session_test.bash" "$here/../waiting.bash" "$test_script" \
  "$work/scripts/"
here=$work/scripts
test_script=$work/scripts/$(basename "$test_script")

run_as=()
if [ "$(id -u)" -eq 0 ]; then
  user=gifrec-session
  id "$user" >/dev/null 2>&1 || useradd --system --no-create-home --home-dir /nonexistent \
    --shell /usr/sbin/nologin "$user"
  run_as=(setpriv --reuid="$user" --regid="$(id -g "$user")" --init-groups)
  # The build may lie where that user cannot reach (under /root): the test gets copies.
  mkdir -p "$work/bin/tests/e2e/wayland"
  cp "$gifrec" "$work/bin/gifrec"
  cp "$build/tests/e2e/wayland/gif_frames" "$build/tests/e2e/wayland/libscreencopy_shim.so" \
    "$build/tests/e2e/wayland/virtual_pointer" "$work/bin/tests/e2e/wayland/"
  # For bench/wayland_recording.sh's changing screen; the tests do without.
  [ ! -x "$build/tests/e2e/e2e_helper" ] || cp "$build/tests/e2e/e2e_helper" "$work/bin/tests/e2e/"
  gifrec=$work/bin/gifrec
  build=$work/bin
  chown -R "$user": "$work"
fi

"${run_as[@]}" env -i PATH=/usr/local/bin:/usr/bin:/bin LANG=C.UTF-8 WORK="$work" \
  GIFREC="$gifrec" BUILD="$build" TEST_SCRIPT="$test_script" HERE="$here" \
  bash "$here/session_inside.bash"
