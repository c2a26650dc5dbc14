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

# The recorder holds a GIF's name with an empty file until its save renames the finished GIF
# over it, so a GIF counts once it has content. saved_gifs FOLDER; has_saved_gifs FOLDER [COUNT]
saved_gifs() { find "$1" -maxdepth 1 -name '*.gif' -size +0c 2>/dev/null | sort; }
has_saved_gifs() { [ "$(saved_gifs "$1" | wc -l)" -ge "${2:-1}" ]; }
