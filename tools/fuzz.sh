#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (in build-fuzz/) and runs each for a
# bounded time from its seed corpus in tools/fuzz/corpus (copied, so the tree is
# not changed). Any crash, leak or sanitizer report fails the run.
#   tools/fuzz.sh [seconds per target, default 20] [target...]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-20}
shift || true
"$top/tools/debian-packages.sh" fuzz
build_dir=$top/build-fuzz
CC=clang-14 CXX=clang++-14 "$top/tools/build.sh" "$build_dir" -DQUILLARD_FUZZ=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLARD_WERROR=ON
targets=("$@")
if ((${#targets[@]} == 0)); then
    targets=(ini_fuzz line_setting_fuzz corvane_fuzz row_parser_fuzz number_fuzz)
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for target in "${targets[@]}"; do
    corpus=$work/$target
    mkdir -p "$corpus"
    cp "$top/tools/fuzz/corpus/${target%_fuzz}/"* "$corpus/" 2>/dev/null || true
    echo "== $target: ${seconds}s"
    (cd "$work" && "$build_dir/fuzz/$target" "$corpus" -max_total_time="$seconds" \
        -print_final_stats=1 -detect_leaks=1 2>"$work/$target.log") || {
        tail -50 "$work/$target.log"
        echo "$target FAILED" >&2
        exit 1
    }
    grep -E "stat::number_of_executed_units|stat::peak_rss_mb" "$work/$target.log" | sed "s/^/   /"
done
