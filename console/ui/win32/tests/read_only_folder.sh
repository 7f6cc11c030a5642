#!/usr/bin/env bash
# A program folder that no one may write, root included, for the window test
# of a program folder that cannot be written: made beside the test programs,
# with the console, its libraries, Corvane and a settings file, then locked.
# Where the file system cannot lock a folder against root (no immutable
# attribute), it is marked as the machine's instead, which the console treats
# the same way; the set-up says so.
#   read_only_folder.sh make|remove BUILD_DIR
set -euo pipefail
action=$1 build=$2
folder="$build/读卡器 只读"
if [[ -d $folder ]]; then
    chattr -i "$folder" 2>/dev/null || true
    chmod -R u+w "$folder"
    rm -rf "$folder"
fi
[[ $action == remove ]] && exit 0

mkdir -p "$folder/Protocols"
for file in Quillard.exe libHollet.dll libstdc++-6.dll libgcc_s_dw2-1.dll libgcc_s_seh-1.dll \
    libwinpthread-1.dll; do
    if [[ -f $build/$file ]]; then cp "$build/$file" "$folder/"; fi
done
cp "$build/Protocols/Corvane.dll" "$folder/Protocols/"
printf '%s\r\n' '[Setting]' 'szLanguage=EN' 'nProtocolCount=1' 'szProtocolName0=Direct' '' \
    '[szProtocolName0]' 'szDllName=Corvane.dll' 'nAddrLen=0' 'bHexMode=TRUE' 'nDevCount=0' \
    >"$folder/Vemra_Test.ini"
if ((EUID != 0)); then
    chmod a-w "$folder"
elif chattr +i "$folder" 2>/dev/null; then
    echo "$folder: immutable"
else
    touch "$folder/installed-for-all-users"
    echo "$folder: this file system cannot lock a folder against root; marked as the machine's"
fi
