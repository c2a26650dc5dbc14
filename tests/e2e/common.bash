# Shared by the end-to-end scripts: a private home with an XDG desktop folder, a window manager
# (so that minimising means what it means on a user's desktop), gifrec and key presses.
# Usage: source common.bash GIFREC BUILD_DIR
set -euo pipefail
gifrec=$1
build=$2
helper=$build/tests/e2e/e2e_helper
: "${DISPLAY:?the end-to-end tests need an X server in DISPLAY}"

work=$(mktemp -d)
shots=$build/e2e_screenshots
mkdir -p "$shots"
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run
mkdir -p "$HOME/Desktop" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
echo 'XDG_DESKTOP_DIR="$HOME/Desktop"' >"$XDG_CONFIG_HOME/user-dirs.dirs"
output_dir="$HOME/Desktop/GIF动画"
state_dir="$HOME/.local/state/gifrec"  # where recordings are kept while they run
# The interface language the test runs in (the test command also runs some in English).
language=${GIFREC_E2E_LANG:-zh}
case $language in
  en) main_title='GIF Recorder' preview_title='Preview' ;;
  *) main_title='GIF 录屏' preview_title='预览' ;;
esac

pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

source "$(dirname "${BASH_SOURCE[0]}")/waiting.bash"
# ctest counts this exit code as skipped.
skip() { echo "SKIP: $*"; exit 77; }

# Sets namespace_prefix, a prefix for start_gifrec that gives gifrec a mount namespace of its
# own in which `$1` runs (as root, in that namespace) before gifrec. Fails where no such
# namespace can be had (a container without the right, unprivileged namespaces switched off),
# or when GIFREC_E2E_NO_NAMESPACE is set, to try the other way.
in_mount_namespace() {
  [ -z "${GIFREC_E2E_NO_NAMESPACE:-}" ] || return 1
  if [ "$(id -u)" -eq 0 ]; then ns=(unshare -m); else ns=(unshare -rm); fi
  "${ns[@]}" bash -c "$1" 2>/dev/null || return 1
  namespace_prefix=("${ns[@]}" bash -c "$1"' && exec "$0" "$@"')
}

start_window_manager() {
  command -v openbox >/dev/null || fail "openbox is not installed (scripts/deps.sh test)"
  openbox --sm-disable >/dev/null 2>&1 &
  pids+=($!)
  sleep 1
}

# Starts gifrec (behind the command given, if any, which must exec it) and sets gifrec_pid and
# main_window.
start_gifrec() {
  "$@" "$gifrec" --lang "$language" >>"$work/gifrec.log" 2>&1 &
  gifrec_pid=$!
  pids+=("$gifrec_pid")
  main_window=""
  for _ in $(seq 100); do
    main_window=$(xdotool search --onlyvisible --pid "$gifrec_pid" --name 'GIF' 2>/dev/null | head -n1 || true)
    [ -n "$main_window" ] && break
    sleep 0.1
  done
  [ -n "$main_window" ] || fail "the main window did not show"
  [ "$(xdotool getwindowname "$main_window")" = "$main_title" ] \
    || fail "the main window's title is not \"$main_title\""
  sleep 0.5
}

# A short tap, as a person presses a key.
tap_f2() {
  xdotool keydown F2
  sleep 0.05
  xdotool keyup F2
}

# "Normal", "Iconic" or "Withdrawn" as the window manager records it.
window_state() {
  xprop -id "$1" WM_STATE 2>/dev/null | sed -n 's/.*window state: *//p'
}

