#!/usr/bin/env bash
# Checks that each executable given was built hardened: position-independent, with every
# symbol bound at start-up behind a read-only relocation table, a stack that cannot execute,
# and stack canaries.
set -u
failed=0
fail() {
  echo "$1: $2"
  failed=1
}
for binary in "$@"; do
  header=$(readelf -hW "$binary") || { fail "$binary" "not readable as ELF"; continue; }
  segments=$(readelf -lW "$binary")
  dynamic=$(readelf -dW "$binary")
  symbols=$(readelf -sW --dyn-syms "$binary")
  grep -Eq 'Type:[[:space:]]+DYN' <<<"$header" || fail "$binary" "not a position-independent executable"
  grep -q 'GNU_RELRO' <<<"$segments" || fail "$binary" "no read-only relocation segment"
  grep -Eq '\(FLAGS\).*BIND_NOW|\(FLAGS_1\).*NOW' <<<"$dynamic" || fail "$binary" "symbols are bound lazily (no BIND_NOW)"
  stack=$(grep 'GNU_STACK' <<<"$segments")
  if [ -z "$stack" ]; then
    fail "$binary" "no GNU_STACK segment: the stack is executable"
  elif grep -Eq 'RWE[[:space:]]' <<<"$stack"; then
    fail "$binary" "the stack is executable"
  fi
  grep -q '__stack_chk_fail' <<<"$symbols" || fail "$binary" "no stack canaries (__stack_chk_fail missing)"
done
[ "$failed" -eq 0 ] && echo "hardened: $*"
exit "$failed"
