#!/usr/bin/env bash
# Builds the Debian package quillard_VERSION_ARCH.deb (installs what is missing
# first): a build in build-deb/ (or the folder given) with Debian's compiler
# flags (dpkg-buildflags: -O2, the hardening options), installed under /usr by
# CPack, which also computes the dependencies with dpkg-shlibdeps.
#   tools/build-deb.sh [BUILD_DIR]      the package lands in BUILD_DIR/package/
# Then, as root:  apt-get install ./build-deb/package/quillard_*.deb
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-$top/build-deb}
"$top/tools/debian-packages.sh" package
cd "$top"
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxx_flags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
c_flags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CFLAGS)"
ld_flags=$(dpkg-buildflags --get LDFLAGS)
"$top/tools/build.sh" "$build_dir" -DCMAKE_BUILD_TYPE=None -DCMAKE_INSTALL_PREFIX=/usr -DQUILLARD_TESTS=OFF \
    -DQUILLARD_BENCH=OFF -DCMAKE_CXX_FLAGS="$cxx_flags" -DCMAKE_C_FLAGS="$c_flags" \
    -DCMAKE_EXE_LINKER_FLAGS="$ld_flags" -DCMAKE_SHARED_LINKER_FLAGS="$ld_flags" \
    -DCMAKE_MODULE_LINKER_FLAGS="$ld_flags"
rm -f "$build_dir"/package/quillard_*.deb
(cd "$build_dir" && cpack -G DEB >/dev/null)
ls "$build_dir"/package/quillard_*.deb
