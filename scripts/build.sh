#!/usr/bin/env bash
# Configures and builds into build/ (the runnable program folder is build/program).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cmake -S "$top" -B "$top/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$top/build" --parallel "$(nproc)"
