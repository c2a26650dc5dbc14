# Settings are written when they change and read at the start; `--no-settings` neither reads nor
# writes them, whether or not a settings file exists.
source "$(dirname "$0")/common.bash"

conf=$XDG_CONFIG_HOME/gifrec/gifrec.conf
no_settings=(bash -c 'exec "$0" --no-settings "$@"')

# The capture-mode list has the focus at the start; Down picks the next mode.
next_mode() {
  xdotool windowactivate --sync "$main_window" 2>/dev/null || xdotool windowfocus --sync "$main_window"
  sleep 0.3
  xdotool key Down
  sleep 0.5
}

stop_gifrec() {
  "$helper" close "$main_window"
  wait_for 5 bash -c "! kill -0 $gifrec_pid 2>/dev/null" || fail "gifrec did not end"
}

has_mode() { grep -qx "mode=$1" "$conf" 2>/dev/null; }

start_window_manager
start_gifrec "${no_settings[@]}"
next_mode
stop_gifrec
[ ! -e "$XDG_CONFIG_HOME/gifrec" ] || fail "--no-settings wrote $(ls "$XDG_CONFIG_HOME/gifrec")"

start_gifrec
[ -f "$conf" ] || fail "a first start wrote no settings"
has_mode 0 || fail "a first start did not write the defaults: $(cat "$conf")"
next_mode
wait_for 5 has_mode 1 || fail "a changed mode was not written while gifrec ran: $(cat "$conf")"
stop_gifrec
cp "$conf" "$work/kept.conf"

start_gifrec "${no_settings[@]}"
next_mode
stop_gifrec
cmp -s "$conf" "$work/kept.conf" || fail "--no-settings changed the settings file: $(cat "$conf")"

# The next ordinary start has the mode of the last one that remembered.
start_gifrec
next_mode
wait_for 5 has_mode 2 || fail "the remembered mode was not the start's: $(cat "$conf")"
stop_gifrec
echo ok
