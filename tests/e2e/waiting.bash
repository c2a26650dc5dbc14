# Shared by the X11 and the Wayland end-to-end scripts.
fail() { echo "FAIL: $*"; exit 1; }

wait_for() {  # wait_for SECONDS COMMAND...
  local tries=$(($1 * 10))
  shift
  for _ in $(seq "$tries"); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}
