#!/usr/bin/env bash
# Cross-builds for Windows with Debian's mingw-w64 (POSIX thread model), 32-bit
# by default (the protocol plug-ins users have are 32-bit DLLs), into
# build-windows/: Quillard.exe (the Win32 window), libHollet.dll,
# Protocols/Corvane.dll (exporting exactly the three plug-in functions),
# quillard-run.exe, the compiler's runtime DLLs, and the tests.
#   tools/build-windows.sh           build
#   tools/build-windows.sh --test    build, then run the tests under Wine
#   tools/build-windows.sh --zip     build, then pack the program folder as a zip
#   --x86-64                         a 64-bit build instead, in build-windows-x86_64/
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
run_tests=false zip=false arch=i686
for option in "$@"; do
    case $option in
        --test) run_tests=true ;;
        --zip) zip=true ;;
        --x86-64) arch=x86_64 ;;
        *) echo "unknown option: $option" >&2; exit 2 ;;
    esac
done
groups=("windows-$arch")
$run_tests && groups+=("wine-$arch")
"$top/tools/debian-packages.sh" "${groups[@]}"
build_dir=$top/build-windows
[[ $arch == i686 ]] || build_dir=$top/build-windows-$arch
jobs=$(nproc 2>/dev/null || echo 2)
triple=$arch-w64-mingw32

# The serial tests talk to a simulated reader on a pseudo-terminal, a native
# program of this machine, built here for them.
native_dir=$build_dir/native
cmake -S "$top" -B "$native_dir" -G Ninja -DQUILLARD_TESTS=OFF -DQUILLARD_BENCH=OFF \
    -DQUILLARD_UI=OFF >/dev/null
cmake --build "$native_dir" -j "$jobs" --target quillard-sim-reader >/dev/null

"$top/tools/build.sh" "$build_dir" -DCMAKE_TOOLCHAIN_FILE="$top/tools/cmake/mingw-w64-$arch.cmake" \
    -DQUILLARD_TESTS=ON -DQUILLARD_BENCH=OFF -DQUILLARD_SIM_READER="$native_dir/quillard-sim-reader" \
    -DQUILLARD_WERROR=ON

exports=$("$triple-objdump" -p "$build_dir/Protocols/Corvane.dll" |
    sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | awk '/\[/ && NR > 1 { print $NF }' | sort | tr '\n' ' ')
if [[ $exports != "tlx_CheckData tlx_PCToReader tlx_ReaderToPC " ]]; then
    echo "Corvane.dll exports: $exports" >&2
    exit 1
fi
# Every program and library of the program folder is a PE of the build's machine.
expected_format=pei-i386
[[ $arch == i686 ]] || expected_format=pei-x86-64
shipped=(Quillard.exe quillard-run.exe libHollet.dll Protocols/Corvane.dll
         libstdc++-6.dll libwinpthread-1.dll)
for file in "${shipped[@]}"; do
    format=$("$triple-objdump" -f "$build_dir/$file" | sed -n 's/.*file format //p')
    if [[ $format != "$expected_format" ]]; then
        echo "$file is $format, not $expected_format" >&2
        exit 1
    fi
done
# The programs carry their manifest (a resource of type 24) with each of its
# entries and no code page of its own, and every program and library of ours
# a version resource (type 16).
resource_types() {
    "$triple-objdump" -p "$build_dir/$1" | sed -n '/The .rsrc Resource Directory/,$p' |
        sed -n 's/^0[0-9a-f]*   Entry: ID: 0x0000\([0-9a-f][0-9a-f]\),.*/\1/p'
}
for program in Quillard.exe quillard-run.exe; do
    resource_types "$program" | grep -qx 18 || { echo "$program has no manifest" >&2; exit 1; }
    for entry in 'level="asInvoker"' Microsoft.Windows.Common-Controls '<dpiAware ' \
                 'PerMonitorV2, PerMonitor<' longPathAware 35138b9a-5d96-4fbd-8e2d-a2440225f93a \
                 8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a; do
        grep -qF -- "$entry" "$build_dir/$program" ||
            { echo "the manifest of $program lacks $entry" >&2; exit 1; }
    done
    if grep -q activeCodePage "$build_dir/$program"; then
        echo "the manifest of $program sets a code page" >&2
        exit 1
    fi
done
for file in Quillard.exe quillard-run.exe libHollet.dll Protocols/Corvane.dll; do
    resource_types "$file" | grep -qx 10 || { echo "$file has no version resource" >&2; exit 1; }
done
echo "Windows build ($expected_format) in $build_dir: ${shipped[*]}; Corvane.dll exports $exports"

if $zip; then
    "$top/tools/package-windows.sh" "$build_dir"
fi

if $run_tests; then
    # Wine's prefix lives in the build folder; its server is stopped afterwards.
    status=0
    ctest --test-dir "$build_dir" --output-on-failure -j "$jobs" || status=$?
    "$top/tools/wine/run.sh" --arch "$arch" "$build_dir/wine-prefix" --stop-server
    exit $status
fi
