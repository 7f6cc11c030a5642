#!/usr/bin/env bash
# Installs what is missing, builds Quillard and starts it.
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
"$top/tools/debian-packages.sh"
"$top/tools/build.sh" "$top/build"
if [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} && -z ${QT_QPA_PLATFORM:-} ]]; then
    cat >&2 <<MSG
Quillard is built in $top/build, but this session has no display.
Start it from a desktop session, over ssh -X, or on a virtual display:
    xvfb-run -s '-screen 0 1280x1024x24' $top/build/Quillard
MSG
    exit 1
fi
cd "$top/build"
exec ./Quillard
