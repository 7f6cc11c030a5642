#!/usr/bin/env bash
# Cross-builds for Windows with Debian's mingw-w64 (POSIX thread model) into
# build-windows/: the port library (libHollet.dll), Corvane (Protocols/Corvane.dll,
# exporting exactly the three plug-in functions), the console's core,
# quillard-run.exe and their tests. The window needs Qt 6 for Windows and is
# left out here (see README).
#   tools/build-windows.sh          build
#   tools/build-windows.sh --test   build, then run the tests under Wine
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
run_tests=false
[[ ${1:-} == --test ]] && run_tests=true
if $run_tests; then
    "$top/tools/debian-packages.sh" windows wine
else
    "$top/tools/debian-packages.sh" windows
fi
build_dir=$top/build-windows
jobs=$(nproc 2>/dev/null || echo 2)

# The serial tests talk to a simulated reader on a pseudo-terminal, a native
# program of this machine, built here for them.
native_dir=$build_dir/native
cmake -S "$top" -B "$native_dir" -G Ninja -DQUILLARD_TESTS=OFF -DQUILLARD_BENCH=OFF \
    -DQUILLARD_UI=OFF >/dev/null
cmake --build "$native_dir" -j "$jobs" --target quillard-sim-reader >/dev/null

"$top/tools/build.sh" "$build_dir" -DCMAKE_TOOLCHAIN_FILE="$top/tools/cmake/mingw-w64.cmake" \
    -DQUILLARD_TESTS=ON -DQUILLARD_BENCH=OFF -DQUILLARD_UI=OFF -DQUILLARD_SIM_READER="$native_dir/quillard-sim-reader"

exports=$(x86_64-w64-mingw32-objdump -p "$build_dir/Protocols/Corvane.dll" |
    sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | awk '/\[/ && NR > 1 { print $NF }' | sort | tr '\n' ' ')
if [[ $exports != "tlx_CheckData tlx_PCToReader tlx_ReaderToPC " ]]; then
    echo "Corvane.dll exports: $exports" >&2
    exit 1
fi
echo "Windows build in $build_dir: libHollet.dll, quillard-run.exe, Protocols/Corvane.dll ($exports)"

# The window's handlers are the same on every toolkit: they are compiled here
# with the Windows compiler, to catch what would not build there.
ls "$top"/console/ui/*.cpp |
    xargs -P "$jobs" -n 1 x86_64-w64-mingw32-g++-posix -std=c++20 -fsyntax-only \
        -Wall -Wextra -Werror \
        -I"$top/console/ui" -I"$top/console/core/include" -I"$top/ports/include" \
        -I"$top/protocol/include"
echo "The window's handlers compile for Windows."

if $run_tests; then
    # Wine's prefix lives in the build folder; its server is stopped afterwards.
    status=0
    ctest --test-dir "$build_dir" --output-on-failure -j "$jobs" || status=$?
    WINEPREFIX=$build_dir/wine-prefix /usr/lib/wine/wineserver -k 2>/dev/null || true
    exit $status
fi
