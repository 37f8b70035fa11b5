#!/usr/bin/env bash
# Installs what is missing, builds, and starts the converter.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_SANITIZE=OFF >/dev/null
cmake --build build -j "$(nproc)" --target velmora velmora-convert
# The window, with the bundled example already in its list; more files may follow.
exec build/src/app/window/velmora examples/example.wav "$@"
