#!/usr/bin/env bash
# Runs a Windows program of the cross build under Wine:
#   tools/wine/run.sh [--arch i686|x86_64] PREFIX [--reader SIM_READER TABLE N[,N...]] PROGRAM.exe [ARGS...]
#   tools/wine/run.sh [--arch ...] PREFIX --stop-server
# PREFIX is a Wine prefix of the build's own (32-bit for i686, the default),
# made here on first use (under a lock, so that tests started together make it
# once). The program folder (the prefix's parent, where the build puts the
# runtime DLLs too) is found through WINEPATH.
#
# --reader starts the native simulated reader SIM_READER answering from TABLE
# on a pseudo-terminal, maps it into the prefix as COMn (Wine's port
# overrides, which also list it under Hardware\DeviceMap\SerialComm), and
# gives the program QUILLARD_TEST_COM=n; with a list of numbers, a reader for
# each (QUILLARD_TEST_COM is the first). Wine is restarted for the mapping, so
# such a program must run alone.
set -euo pipefail
arch=i686
if [[ ${1:-} == --arch ]]; then
    arch=$2
    shift 2
fi
prefix=$(realpath -m "$1")
shift
reader=()
if [[ ${1:-} == --reader ]]; then
    reader=("$2" "$3" "$4")
    shift 4
fi
if [[ $arch == i686 ]]; then
    wine=${WINE:-/usr/lib/wine/wine}
    export WINEARCH=win32
else
    wine=${WINE:-/usr/lib/wine/wine64}
    export WINEARCH=win64
fi
[[ -x $wine ]] || wine=$(command -v wine)
wineserver=$(dirname "$wine")/wineserver
[[ -x $wineserver ]] || wineserver=$(command -v wineserver)

export WINEPREFIX=$prefix WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
if [[ ${1:-} == --stop-server ]]; then
    "$wineserver" -k 2>/dev/null || true
    exit 0
fi
if [[ ! -f $prefix/system.reg ]]; then
    mkdir -p "$prefix"
    (
        flock 9
        # The prefix keeps Wine's own visual style ("light"), as a user's has.
        [[ -f $prefix/system.reg ]] || "$wine" wineboot --init >/dev/null 2>&1
        "$wineserver" -w 2>/dev/null || true
    ) 9>"$prefix.lock"
fi

# Wine's drive Z: is the root of this file system.
program_folder=$(cd "$(dirname "$prefix")" && pwd)
WINEPATH=
for dir in "$program_folder" /usr/lib/gcc/$arch-w64-mingw32/*-posix /usr/$arch-w64-mingw32/lib; do
    WINEPATH+="${WINEPATH:+;}Z:${dir//\//\\}"
done
export WINEPATH
# A server started by a program keeps that program's output open and writes
# its object dump into it when it ends: start it here, quiet, if none runs.
quiet_server() { "$wineserver" -p5 >/dev/null 2>&1 || true; }
quiet_server
((${#reader[@]})) || exec "$wine" "$@"

ports_key='HKLM\Software\Wine\Ports'
# N may be a list, "40,41": a reader for each, each its own COM port.
IFS=, read -r -a coms <<<"${reader[2]}"
reader_pids=()
stop_reader() {
    local com
    for pid in "${reader_pids[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    for com in "${coms[@]}"; do
        "$wine" reg delete "$ports_key" /v "COM$com" /f >/dev/null 2>&1 || true
    done
}
trap stop_reader EXIT
ptys=()
for com in "${coms[@]}"; do
    log=$prefix.reader$com.log
    # emptied here: the reader's own redirection may come after the first look
    # at the file, which would then find the last run's reader
    : >"$log"
    "${reader[0]}" --com "$com" --links "$prefix.links" --table "${reader[1]}" >>"$log" 2>&1 &
    reader_pids+=($!)
    for _ in $(seq 100); do
        grep -q '^Simulated reader on' "$log" && break
        kill -0 "${reader_pids[-1]}" 2>/dev/null || { cat "$log" >&2; exit 1; }
        sleep 0.1
    done
    pty=$(sed -n 's/^Simulated reader on COM[0-9]* (\(.*\)), link.*/\1/p' "$log")
    [[ -n $pty ]] || { echo "the simulated reader did not start:" >&2; cat "$log" >&2; exit 1; }
    ptys+=("$pty")
done
"$wineserver" -k 2>/dev/null || true
"$wineserver" -w
quiet_server
for i in "${!coms[@]}"; do
    "$wine" reg add "$ports_key" /v "COM${coms[i]}" /t REG_SZ /d "${ptys[i]}" /f >/dev/null 2>&1
done
"$wineserver" -k
"$wineserver" -w
quiet_server
QUILLARD_TEST_COM=${coms[0]} "$wine" "$@"
