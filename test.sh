#!/usr/bin/env bash
# Installs what is missing, builds Quillard with its tests and runs them all.
#   ./test.sh                     the normal build, in build/
#   ./test.sh --sanitize address  AddressSanitizer + UBSan, in build-address/
#   ./test.sh --sanitize thread   ThreadSanitizer, in build-thread/
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
sanitize=""
if [[ ${1:-} == --sanitize ]]; then
    sanitize=${2:?"--sanitize takes address or thread"}
fi
"$top/tools/debian-packages.sh"
if [[ -n $sanitize ]]; then
    build_dir=$top/build-$sanitize
    "$top/tools/build.sh" "$build_dir" -DQUILLARD_SANITIZE="$sanitize" -DQUILLARD_BENCH=OFF \
        -DCMAKE_BUILD_TYPE=Debug -DQUILLARD_WERROR=ON
else
    build_dir=$top/build
    "$top/tools/build.sh" "$build_dir" -DQUILLARD_WERROR=ON
fi
# Qt is not built with ThreadSanitizer: what happens inside it is not checked.
# A test starts the simulated reader (fork, then exec at once) from a process
# with threads.
export TSAN_OPTIONS="suppressions=$top/tools/tsan-qt.supp die_after_fork=0 ${TSAN_OPTIONS:-}"
jobs=$(nproc 2>/dev/null || echo 2)
ctest --test-dir "$build_dir" --output-on-failure -j "$jobs"
