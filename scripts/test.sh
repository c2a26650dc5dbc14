#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the unit and end-to-end
# tests (under a private Xvfb), the library tests again under ASan and UBSan, and each fuzz
# target for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc)
fuzz_seconds=${GIFREC_FUZZ_SECONDS:-30}

bash scripts/deps.sh test

echo "== release build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$jobs"

# Tests that need a screen get their own X server, never the user's.
display=:$((90 + RANDOM % 400))
Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null || true' EXIT
for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done
export DISPLAY=$display
# A desktop session of the caller's must not decide which backend the X11 tests get.
unset WAYLAND_DISPLAY XDG_SESSION_TYPE GIFREC_DESKTOP

echo "== tests"
ctest --test-dir build --output-on-failure -j"$jobs" -LE wayland

echo "== Wayland session tests (headless sway, PipeWire, screen-cast portal)"
ctest --test-dir build --output-on-failure -L wayland --repeat until-pass:3

echo "== library tests under ASan and UBSan"
CC=clang CXX=clang++ cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DGIFREC_SANITIZE=ON -DGIFREC_APP=OFF -DGIFREC_BENCH=OFF >/dev/null
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 ctest --test-dir build-asan --output-on-failure -j"$jobs"

echo "== fuzzing, ${fuzz_seconds}s a target"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DGIFREC_FUZZ=ON -DGIFREC_APP=OFF -DGIFREC_BENCH=OFF -DGIFREC_TESTS=OFF >/dev/null
cmake --build build-fuzz -j"$jobs"
passed=0 failed=0
for target in build-fuzz/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus=build-fuzz/corpus/$name
  mkdir -p "$corpus"
  seeds=("$root/fuzz/seeds/${name#fuzz_}" "$root/fuzz/regressions/${name#fuzz_}" "$root/../shared/testdata/pictures")
  existing=()
  for s in "${seeds[@]}"; do [ -d "$s" ] && existing+=("$s"); done
  if "$target" -max_total_time="$fuzz_seconds" -rss_limit_mb=2048 -timeout=10 \
       -artifact_prefix=build-fuzz/"$name"- "$corpus" "${existing[@]}" >build-fuzz/"$name".log 2>&1; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "$name found a failure:"; tail -n 40 build-fuzz/"$name".log
  fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
