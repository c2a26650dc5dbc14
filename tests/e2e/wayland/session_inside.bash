# The session side of run_session.sh, running as the session's user: prepares the home, runtime
# and configuration folders, starts a private bus and, on it, the session, then the test.
set -euo pipefail
export HOME=$WORK/home XDG_CONFIG_HOME=$WORK/config XDG_RUNTIME_DIR=$WORK/run
export XDG_STATE_HOME=$WORK/state XDG_DATA_HOME=$WORK/data XDG_CURRENT_DESKTOP=sway
mkdir -p "$HOME/Desktop" "$XDG_CONFIG_HOME/xdg-desktop-portal-wlr" "$XDG_RUNTIME_DIR" \
  "$XDG_STATE_HOME" "$XDG_DATA_HOME" "$WORK/services"
chmod 700 "$XDG_RUNTIME_DIR"
echo 'XDG_DESKTOP_DIR="$HOME/Desktop"' >"$XDG_CONFIG_HOME/user-dirs.dirs"

cat >"$WORK/sway.conf" <<CONF
output HEADLESS-1 resolution 1920x1080 bg #ff0000 solid_color
default_border none
focus_follows_mouse no
CONF
cat >"$XDG_CONFIG_HOME/xdg-desktop-portal-wlr/config" <<CONF
[screencast]
output_name=HEADLESS-1
chooser_type=none
CONF
cat >"$WORK/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=$XDG_RUNTIME_DIR</listen>
  <auth>EXTERNAL</auth>
  <servicedir>$WORK/services</servicedir>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
exec dbus-run-session --config-file="$WORK/bus.conf" -- bash "$HERE/session_test.bash"
