#!/usr/bin/env bash
# Installs what the build and the tests need, builds everything and runs
# every test (headless: no display needed; the real-window tests start their
# own Xvfb).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
BUILD=${BUILD_DIR:-build}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD"

# The replay loader's fuzz target, for a bounded time under ASan/UBSan.
if command -v clang++ >/dev/null 2>&1; then
  FUZZ="$BUILD-fuzz"
  cmake -S tests/fuzz -B "$FUZZ" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
  cmake --build "$FUZZ"
  mkdir -p "$FUZZ/corpus"
  if ! "$FUZZ/replay_fuzz" -max_total_time="${FUZZ_SECONDS:-30}" "$FUZZ/corpus" tests/fuzz/corpus \
      >"$FUZZ/fuzz.log" 2>&1; then
    tail -60 "$FUZZ/fuzz.log"
    echo "replay loader fuzzing found a fault"
    exit 1
  fi
  echo "replay loader fuzzing: $(grep -o 'Done [0-9]* runs in [0-9]* second(s)' "$FUZZ/fuzz.log"), no findings"
else
  echo "clang++ is not installed: skipping the replay loader fuzz run"
fi

ctest --test-dir "$BUILD" --output-on-failure -j"$(nproc)" --timeout 600
