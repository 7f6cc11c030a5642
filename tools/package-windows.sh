#!/usr/bin/env bash
# Packs the program folder of a Windows build as a zip that a user unpacks
# anywhere and starts Quillard.exe from: tools/package-windows.sh BUILD_DIR
# (tools/build-windows.sh --zip does it after the build). Nothing in it needs
# installing: the program, the port library, the plug-in folder, the sample
# settings, the command-line runner, the compiler's runtime DLLs and a read-me.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build_dir=$(cd "${1:?BUILD_DIR}" && pwd)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build_dir/CMakeCache.txt")
# The machine of the build: 32-bit unless its program is a PE32+.
processor=i686 machine=x86
if x86_64-w64-mingw32-objdump -f "$build_dir/Quillard.exe" 2>/dev/null | grep -q 'pei-x86-64'; then
    processor=x86_64 machine=x64
fi
name=Quillard-$version-windows-$machine
staging=$(mktemp -d)
trap 'rm -rf "$staging"' EXIT
mkdir -p "$staging/$name/Protocols"
cd "$build_dir"
cp Quillard.exe quillard-run.exe libHollet.dll "$staging/$name/"
for runtime in libstdc++-6.dll libgcc_s_dw2-1.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
    [[ -f $runtime ]] && cp "$runtime" "$staging/$name/"
done
cp Protocols/Corvane.dll "$staging/$name/Protocols/"
# The sample settings as the source has them (the build folder's copy is the
# build's user's file by now).
cp "$top/console/Vemra_Test.ini" "$staging/$name/"
# What is inside, how to start, where the files go, how to upgrade: in Chinese
# and English, UTF-8 with a byte-order mark and CR LF, as Notepad reads it.
cp "$top/tools/windows/README.txt" "$staging/$name/"
# Without the debugging information the build keeps for its own tests.
strip=$processor-w64-mingw32-strip
find "$staging" \( -name '*.exe' -o -name '*.dll' \) -exec "$strip" --strip-debug {} +
rm -f "$build_dir/$name.zip"
(cd "$staging" && cmake -E tar cf "$build_dir/$name.zip" --format=zip "$name")
echo "$build_dir/$name.zip:"
(cd "$staging" && find "$name" -type f | sort | sed 's/^/  /')
