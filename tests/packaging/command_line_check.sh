#!/usr/bin/env bash
# The programs' command lines without a display: help (in the locale's language) and version
# print and exit 0, a wrong option exits 2, and gifrec with no display to open prints one line
# and exits 1.
# Usage: command_line_check.sh GIFREC GIFANIM
set -uo pipefail
gifrec=$1
gifanim=$2
fail() { echo "FAIL: $*"; exit 1; }
out=$(mktemp)
err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT

expect() {  # expect STATUS STDOUT_PATTERN STDERR_LINES COMMAND...
  local status=$1 pattern=$2 lines=$3
  shift 3
  "$@" >"$out" 2>"$err"
  local got=$?
  [ "$got" -eq "$status" ] || fail "$* exited $got, not $status: $(cat "$err")"
  [ -z "$pattern" ] || grep -q -- "$pattern" "$out" || fail "$* did not print $pattern"
  [ "$(wc -l <"$err")" -eq "$lines" ] || fail "$* printed $(wc -l <"$err") lines on stderr: $(cat "$err")"
}

no_display=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)
expect 0 '^usage: gifrec' 0 "${no_display[@]}" LC_ALL=C.UTF-8 "$gifrec" --help
# The help follows the locale (LC_ALL, LC_MESSAGES, LANG) as the windows do, and --lang.
expect 0 '^用法: gifrec' 0 "${no_display[@]}" -u LC_ALL -u LC_MESSAGES LANG=zh_CN.UTF-8 "$gifrec" --help
expect 0 '^usage: gifrec' 0 "${no_display[@]}" -u LC_ALL LANG=zh_CN.UTF-8 "$gifrec" --lang en --help
expect 0 '^用法: gifrec' 0 "${no_display[@]}" LC_ALL=C.UTF-8 "$gifrec" --help --lang=zh
expect 0 '^gifrec [0-9]\+\.[0-9]\+\.[0-9]\+$' 0 "${no_display[@]}" "$gifrec" --version
expect 0 '^gifanim [0-9]\+\.[0-9]\+\.[0-9]\+$' 0 "$gifanim" --version
expect 2 '' 1 "${no_display[@]}" "$gifrec" --no-such-option
expect 1 '' 1 "${no_display[@]}" "$gifrec"
grep -q DISPLAY "$err" || fail "the no-display line does not name DISPLAY: $(cat "$err")"
# A display that is named but not there.
expect 1 '' 1 env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=:4711 "$gifrec"
echo ok
