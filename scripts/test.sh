#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. Needs no display: the suites run
# offscreen and the end-to-end ones start their own Xvfb.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/install-deps.sh"
"$here/build.sh"
cd "$here/../build"
ctest --output-on-failure --timeout 300 -j2
