#!/usr/bin/env bash
# Installs what is missing, builds Quillard and starts it, with the simulated
# reader beside it as a COM port (COM200 or the next free number), so that a
# machine without a reader has one to talk to.
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
"$top/tools/debian-packages.sh"
"$top/tools/build.sh" "$top/build"
if [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} && -z ${QT_QPA_PLATFORM:-} ]]; then
    cat >&2 <<MSG
Quillard is built in $top/build, but this session has no display.
Start it from a desktop session, over ssh -X, or on a virtual display:
    xvfb-run -s '-screen 0 1280x1024x24' $top/run.sh
MSG
    exit 1
fi
cd "$top/build"
./quillard-sim-reader > sim-reader.log 2>&1 &
reader=$!
trap 'kill $reader 2>/dev/null || true' EXIT
for _ in $(seq 50); do
    grep -q "^Simulated reader on" sim-reader.log 2>/dev/null && break
    sleep 0.1
done
head -1 sim-reader.log
./Quillard
