#!/usr/bin/env bash
# From the region button to the frozen picture shown, on two monitors side by side (an Xorg of
# its own with the dummy driver; root only): runs region_selection_bench there.
#
#   bench/region_selection.sh [BUILD_DIR] [MONITOR_SIZE...]   (defaults: build, 1920x1080 1920x1080)
set -euo pipefail
build=${1:-build}
shift $(($# ? 1 : 0))
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1920x1080 1920x1080)
bench=$build/bench/region_selection_bench
[ -x "$bench" ] || { echo "build region_selection_bench first" >&2; exit 2; }
source "$(dirname "$0")/../tests/e2e/dummy_xorg.bash"
dir=$(mktemp -d)
trap 'kill "${dummy_xorg_pid:-}" 2>/dev/null || true; rm -rf "$dir"' EXIT
start_dummy_xorg "$dir" "${sizes[@]}" || { echo "skipped: no Xorg with the dummy driver (or not root)" >&2; exit 0; }
xrandr --listmonitors
"$bench" --benchmark_counters_tabular=true
