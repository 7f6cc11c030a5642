#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Quillard need,
# and only those that are missing. Every package the project uses is named here.
#   tools/debian-packages.sh          building, running, testing
#   tools/debian-packages.sh fuzz     also clang and its fuzzer runtime
#   tools/debian-packages.sh bench    also pyserial, for the benchmark report's peer
#   tools/debian-packages.sh windows  also mingw-w64 for the 32-bit Windows cross build
#                                     (windows-x86_64: the 64-bit one)
#   tools/debian-packages.sh wine     also 32-bit Wine (from the i386 architecture, which
#                                     is added), which runs the cross build's tests
#                                     (wine-x86_64: 64-bit Wine)
#   tools/debian-packages.sh vm       also QEMU, a static busybox, cpio and xz, for the
#                                     tests in a virtual machine (tools/vm-tests.sh)
#   tools/debian-packages.sh package  also dpkg-dev (dpkg-shlibdeps) and file, which CPack
#                                     runs for the Debian package (tools/build-deb.sh)
#   tools/debian-packages.sh package-check  also lintian, xdotool and appstream, for checking the
#                                     package as CI does (tools/check-deb.sh)
set -euo pipefail

PACKAGES=(
    # build
    g++ cmake ninja-build pkg-config binutils
    # the window: Qt 6 Widgets, and CJK fonts (WenQuanYi Micro Hei for the
    # window's 12-pixel layout, Noto Sans Mono CJK SC for the traffic log)
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
    fonts-wqy-microhei fonts-noto-cjk
    # tests and benchmarks
    googletest libgtest-dev libgmock-dev libbenchmark-dev python3-pytest
    # a display for machines without one (xvfb-run)
    xvfb xauth
)

for group in "$@"; do
    case $group in
        fuzz) PACKAGES+=(clang-14 libclang-rt-14-dev) ;;
        bench) PACKAGES+=(python3 python3-serial) ;;
        # the Windows builds: 32-bit (the default) and 64-bit
        windows | windows-i686) PACKAGES+=(g++-mingw-w64-i686-posix binutils-mingw-w64-i686) ;;
        windows-x86_64) PACKAGES+=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64) ;;
        # Wine for each of them; the 32-bit one comes from the i386 architecture
        wine | wine-i686) PACKAGES+=(wine32:i386) ;;
        wine-x86_64) PACKAGES+=(wine64) ;;
        vm) PACKAGES+=(qemu-system-x86 busybox-static cpio xz-utils) ;;
        package) PACKAGES+=(dpkg-dev file) ;;
        package-check) PACKAGES+=(dpkg-dev file lintian xdotool appstream) ;;
        *) echo "unknown package group: $group" >&2; exit 2 ;;
    esac
done

missing=()
for package in "${PACKAGES[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done

if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo=()
    if [[ $(id -u) -ne 0 ]]; then
        command -v sudo >/dev/null || { echo "Run as root to install: ${missing[*]}" >&2; exit 1; }
        sudo=(sudo)
    fi
    export DEBIAN_FRONTEND=noninteractive
    if [[ " ${missing[*]}" == *":i386"* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
        "${sudo[@]}" dpkg --add-architecture i386
    fi
    # A mirror in the middle of a sync serves an index that does not match its
    # release file for a while: try again before giving up on a fresh one.
    for attempt in 1 2 3 4; do
        updated=$("${sudo[@]}" apt-get update -qq 2>&1 || true)
        [[ -n $updated ]] && echo "$updated" >&2
        grep -q '^E:' <<<"$updated" || break
        ((attempt < 4)) && sleep $((attempt * 15))
    done
    if ! "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"; then
        # A suite whose index of one architecture stayed out of date (seen for
        # days on the security suite's i386 index behind a caching proxy)
        # leaves the architectures at different versions, and packages that
        # must be of one version on both (libc6, libpcre2-8-0 ...) cannot be
        # installed. Install from the release and its updates alone, as
        # versions that both architectures have, even a step back.
        lagging=$(sed -n 's|^E: Failed to fetch .*/dists/\([^/]*\)/.*|\1|p' <<<"$updated" | sort -u)
        [[ -n $lagging ]] || exit 1
        codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
        echo "Installing again from $codename and $codename-updates alone (failed: $lagging)" >&2
        preferences=$(mktemp)
        for suite in $lagging; do
            printf 'Package: *\nPin: release n=%s\nPin-Priority: -1\n\n' "$suite"
        done >"$preferences"
        printf 'Package: *\nPin: release n=%s\nPin-Priority: 1001\n\n' "$codename" \
            "$codename-updates" >>"$preferences"
        status=0
        "${sudo[@]}" apt-get -o Dir::Etc::Preferences="$preferences" install -y -qq \
            --no-install-recommends --allow-downgrades "${missing[@]}" || status=$?
        rm -f "$preferences"
        exit $status
    fi
fi
