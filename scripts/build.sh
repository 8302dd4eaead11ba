#!/usr/bin/env bash
# Configures and builds into build/ (the runnable program folder is build/program).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
# A compiler cache, where one is installed, makes rebuilds in several work trees cheap.
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$top" -B "$top/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
cmake --build "$top/build" --parallel "$(nproc)"
