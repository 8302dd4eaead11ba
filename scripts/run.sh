#!/usr/bin/env bash
# Installs what is missing, builds, and starts the editor (arguments go to the editor:
# a file to open is given as "PATH on").
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/install-deps.sh"
"$here/build.sh"
exec "$here/../build/program/vornikedit" "$@"
