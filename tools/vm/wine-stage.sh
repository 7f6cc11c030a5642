#!/usr/bin/env bash
# The Windows programs' part of the test machine (tools/vm-tests.sh --wine),
# run by /init in the host's file system (read-only over virtio-9p, writes
# going to memory): vm_wine_peer plays the HID reader on uhid and reads the
# UART for them, then each Windows test program runs under 32-bit Wine in the
# build's own prefix, COM2 being the machine's ttyS1. Each program's start and
# end go to the console as the machine's own programs' do.
#   wine-stage.sh NATIVE_BUILD WINDOWS_BUILD PROGRAM...
set -uo pipefail
native=$1 windows=$2
shift 2
top=$(cd "$(dirname "$0")/../.." && pwd)
export HOME=/root LC_ALL=C.UTF-8 PATH=/usr/sbin:/usr/bin:/sbin:/bin
peer=/tmp/peer
rm -rf "$peer"
"$native/tests/vm_wine_peer" "$peer" >/tmp/peer.log 2>&1 &
for _ in $(seq 250); do
    [[ -f $peer/ready ]] && break
    sleep 0.02
done
[[ -f $peer/ready ]] || { echo "VM-MISSING the peer's HID devices"; cat /tmp/peer.log; }
# Wine's server and its devices start with the first program, after the
# devices exist: its HID stack finds them at its start.
echo "VM-WINE-STARTED $(cut -d' ' -f1 /proc/uptime)"
for program in "$@"; do
    echo "VM-PROGRAM-START $program"
    # through a pipe: on a terminal Wine's console writes control sequences
    QUILLARD_TEST_COM=2 QUILLARD_PEER='Z:\tmp\peer' timeout 300 \
        "$top/tools/wine/run.sh" "$windows/wine-prefix" "$windows/$program.exe" --gtest_color=no \
        2>&1 </dev/null | cat
    code=${PIPESTATUS[0]}
    echo "VM-PROGRAM-END $program $code"
done
touch "$peer/stop"
"$top/tools/wine/run.sh" "$windows/wine-prefix" --stop-server
