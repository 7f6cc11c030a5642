#!/usr/bin/env bash
# Builds everything (the window, the tests, the benchmarks) with each compiler
# and build type given, warnings as errors, without running anything: a build
# type or a compiler that warns where the others do not fails here.
#   tools/check-build-types.sh [gcc|clang]... [Debug|RelWithDebInfo|Release|MinSizeRel]...
#   (default: both compilers, all four build types), in build-check/<compiler>-<type>/
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
compilers=() types=()
for argument in "$@"; do
    case $argument in
        gcc | clang) compilers+=("$argument") ;;
        Debug | RelWithDebInfo | Release | MinSizeRel) types+=("$argument") ;;
        *) echo "unknown compiler or build type: $argument" >&2; exit 2 ;;
    esac
done
((${#compilers[@]})) || compilers=(gcc clang)
((${#types[@]})) || types=(Debug RelWithDebInfo Release MinSizeRel)
groups=()
[[ " ${compilers[*]} " == *" clang "* ]] && groups+=(fuzz)  # clang-14 is in that group
"$top/tools/debian-packages.sh" "${groups[@]}"
for compiler in "${compilers[@]}"; do
    case $compiler in
        gcc) cc=gcc cxx=g++ ;;
        clang) cc=clang-14 cxx=clang++-14 ;;
    esac
    for type in "${types[@]}"; do
        build_dir=$top/build-check/$compiler-$type
        mkdir -p "$top/build-check"
        echo "== $compiler $type in $build_dir"
        CC=$cc CXX=$cxx "$top/tools/build.sh" "$build_dir" -DCMAKE_BUILD_TYPE="$type" \
            -DQUILLARD_WERROR=ON >"$build_dir.log" 2>&1 || {
            grep -E -B2 -A12 'error|warning' "$build_dir.log" | head -80
            echo "the $compiler $type build failed: $build_dir.log" >&2
            exit 1
        }
    done
done
echo "built without a warning: ${compilers[*]} × ${types[*]}"
