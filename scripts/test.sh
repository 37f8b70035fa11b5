#!/usr/bin/env bash
# The whole test suite: installs what is missing, then builds and runs every test in a normal
# build and in an AddressSanitizer/UndefinedBehaviorSanitizer build, the tests whose programs
# start threads (ctest label "threads") in a ThreadSanitizer build, then runs each fuzz target briefly. Exits
# non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

echo "== normal build"
bash scripts/build.sh build -DVELMORA_TESTS=ON -DVELMORA_SANITIZE=OFF
(cd build && ctest --output-on-failure -j "$jobs")

echo "== sanitizer build"
bash scripts/build.sh build-asan -DVELMORA_TESTS=ON -DVELMORA_SANITIZE=ON
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd build-asan && ctest --output-on-failure -j "$jobs")

echo "== thread sanitizer build (every test whose program starts threads)"
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_TESTS=ON -DVELMORA_TSAN=ON \
  -DVELMORA_SANITIZE=OFF -DVELMORA_GUI=OFF >/dev/null
cmake --build build-tsan -j "$jobs" --target velmora_thread_tests
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
(cd build-tsan && ctest --output-on-failure -j "$jobs" -L threads --no-tests=error)

echo "== fuzzing (${FUZZ_SECONDS:-30} s per target)"
bash scripts/fuzz.sh "${FUZZ_SECONDS:-30}"
