#!/usr/bin/env bash
# Cross-builds for Windows with Debian's mingw-w64 (POSIX thread model) into
# build-windows/: the port library (libHollet.dll), Corvane (Protocols/Corvane.dll,
# exporting exactly the three plug-in functions) and the console's core. The
# window needs Qt 6 for Windows and is left out here.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/debian-packages.sh" windows
build_dir=$top/build-windows
"$top/tools/build.sh" "$build_dir" -DCMAKE_TOOLCHAIN_FILE="$top/tools/cmake/mingw-w64.cmake" \
    -DQUILLARD_TESTS=OFF -DQUILLARD_BENCH=OFF -DQUILLARD_UI=OFF
exports=$(x86_64-w64-mingw32-objdump -p "$build_dir/Protocols/Corvane.dll" |
    sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | awk '/\[/ && NR > 1 { print $NF }' | sort | tr '\n' ' ')
if [[ $exports != "tlx_CheckData tlx_PCToReader tlx_ReaderToPC " ]]; then
    echo "Corvane.dll exports: $exports" >&2
    exit 1
fi
echo "Windows build in $build_dir: libHollet.dll, Protocols/Corvane.dll ($exports)"
