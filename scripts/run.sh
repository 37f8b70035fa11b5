#!/usr/bin/env bash
# Installs what is missing, builds, and starts the converter.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_SANITIZE=OFF >/dev/null
cmake --build build -j "$(nproc)" --target velmora-convert
if [ -x build/src/app/velmora ]; then
  exec build/src/app/velmora "$@"
fi
# Until the window program exists: convert the bundled example with the command-line converter.
exec build/src/app/velmora-convert --format mp3 --output "${TMPDIR:-/tmp}/velmora-example" examples/example.wav "$@"
