#!/usr/bin/env bash
# fuzz.sh [SECONDS]: builds the libFuzzer targets with clang and runs each from its seed corpus
# for SECONDS (default 30). Fails when a target finds a crash, a leak or a timeout.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
bash scripts/build.sh build-fuzz -DVELMORA_FUZZ=ON -DVELMORA_TESTS=OFF -DVELMORA_GUI=OFF \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
mkdir -p build-fuzz/findings
status=0
for target in build-fuzz/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  seeds=fuzz/corpus/${name#fuzz_}
  work=build-fuzz/corpus/${name#fuzz_}
  mkdir -p "$work"
  [ -d "$seeds" ] && cp -n "$seeds"/* "$work"/ 2>/dev/null || true
  echo "-- $name for ${seconds}s"
  if ! "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
       -artifact_prefix=build-fuzz/findings/"$name"- -print_final_stats=1 "$work" \
       > build-fuzz/"$name".log 2>&1; then
    echo "FAILED: $name (see build-fuzz/$name.log)"; tail -40 build-fuzz/"$name".log; status=1
  else
    grep -E 'stat::number_of_executed_units' build-fuzz/"$name".log || true
  fi
done
exit $status
