#!/usr/bin/env bash
# Installs what is missing, builds Quillard and starts it.
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
"$top/tools/debian-packages.sh"
"$top/tools/build.sh" "$top/build"
echo
echo "Quillard is built. Program folder: $top/build"
echo "  port library: $top/build/libHollet.so"
echo "  protocol plug-ins: $top/build/Protocols/"
