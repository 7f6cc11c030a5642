#!/usr/bin/env bash
# Configures and builds into a build folder (default: build/), which is then the
# program folder. Usage: tools/build.sh [BUILD_DIR] [extra cmake options...]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-$top/build}
shift || true
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S "$top" -B "$build_dir" -G Ninja "$@" >/dev/null
cmake --build "$build_dir" -j "$jobs"
