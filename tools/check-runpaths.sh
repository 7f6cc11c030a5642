#!/usr/bin/env bash
# Checks the library search path (RUNPATH and RPATH) of every ELF file below
# the folders given: each entry must be an absolute folder or one named from
# the file's own ($ORIGIN). An empty entry, or one like "lib" or ".", makes
# the loader search the current folder, wherever the user happens to be.
#   tools/check-runpaths.sh FOLDER...     (exit 1 and a line per fault)
set -euo pipefail
(($#)) || { echo "usage: $0 FOLDER..." >&2; exit 2; }
faults=0 files=0
while IFS= read -r -d '' file; do
    [[ $(head -c 4 "$file" 2>/dev/null | od -An -c | tr -d ' ') == 177ELF ]] || continue
    files=$((files + 1))
    while IFS= read -r path; do
        IFS=: read -r -a entries <<<"$path"
        [[ $path == *: ]] && entries+=("")
        ((${#entries[@]})) || entries=("")
        for entry in "${entries[@]}"; do
            case $entry in
                /* | '$ORIGIN' | '$ORIGIN/'* | '${ORIGIN}' | '${ORIGIN}/'*) ;;
                *) echo "$file: search path [$path] has the entry '$entry'"; faults=$((faults + 1)) ;;
            esac
        done
    done < <(readelf -d "$file" 2>/dev/null | sed -n 's/.*(R\(UN\)\{0,1\}PATH).*: \[\(.*\)\]$/\2/p')
done < <(find "$@" -name CMakeFiles -prune -o -type f -print0)
((files)) || { echo "no ELF file below $*" >&2; exit 1; }
((faults == 0)) || exit 1
echo "$files ELF files, no search path entry empty or relative to the current folder"
