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

# The loaders' fuzz targets, each for a bounded time under ASan/UBSan.
fuzz() {  # target, seed folder, seconds, what it checks
  mkdir -p "$FUZZ/$1-corpus"
  if ! "$FUZZ/$1" -max_total_time="$3" "$FUZZ/$1-corpus" "$2" >"$FUZZ/$1.log" 2>&1; then
    tail -60 "$FUZZ/$1.log"
    echo "$4 fuzzing found a fault"
    exit 1
  fi
  echo "$4 fuzzing: $(grep -o 'Done [0-9]* runs in [0-9]* second(s)' "$FUZZ/$1.log"), no findings"
}
if command -v clang++ >/dev/null 2>&1; then
  FUZZ="$BUILD-fuzz"
  cmake -S tests/fuzz -B "$FUZZ" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
  cmake --build "$FUZZ"
  fuzz replay_fuzz tests/fuzz/corpus "${FUZZ_SECONDS:-30}" "replay loader"
  fuzz level_fuzz tests/fuzz/level_corpus "${FUZZ_SECONDS:-10}" "level decoder"
  fuzz zip_fuzz tests/fuzz/zip_corpus "${FUZZ_SECONDS:-15}" "zip scan and reader"
  fuzz ini_fuzz tests/fuzz/ini_corpus "${FUZZ_SECONDS:-15}" "INI reader"
else
  echo "clang++ is not installed: skipping the loaders' fuzz runs"
fi

ctest --test-dir "$BUILD" --output-on-failure -j"$(nproc)" --timeout 600
