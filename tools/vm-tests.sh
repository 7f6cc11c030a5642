#!/usr/bin/env bash
# The port library against the kernel's own drivers, in a small virtual
# machine: Debian's kernel (fetched with apt-get download, unpacked, never
# installed) boots under QEMU without KVM from an initramfs of busybox, the
# kernel modules uhid, hid and hid-generic (with what they depend on) and the
# test programs with their libraries. In the machine
#   vm_hid_tests     play HID devices through uhid and use them through CxHid,
#   vm_serial_tests  use the UART ttyS1 (COM2) of the 8250 driver, which QEMU
#                    wires to the simulated reader on a pseudo-terminal here,
#   vm_window_tests  search, open and send over HID in the window (offscreen).
# With --wine, the Windows build's port backends instead, under 32-bit Wine in
# the machine (tools/vm/wine-stage.sh): the host's root file system is shared
# read-only over virtio-9p with an overlay in memory, the build's Wine prefix
# (made here) is used as it is, and vm_wine_peer plays the HID reader on uhid
#   vm_windows_ports_tests  SetupDi and HidD_* over Wine's HID stack and
#                           hidraw, and the line settings on the UART,
#   serial_tests            the COM port tests on ttyS1 as COM2.
# Any failing test, missing module or a machine that does not finish within the
# time limit fails the run. Work files go to build-vm/; the test programs are
# built in BUILD_DIR (and WINDOWS_BUILD_DIR).
#   tools/vm-tests.sh [BUILD_DIR]      (default: build/)
#   tools/vm-tests.sh --wine [WINDOWS_BUILD_DIR [BUILD_DIR]]   (build-windows/, build/)
# QUILLARD_VM_TIME_LIMIT: seconds the machine may run (default 300; 600 with --wine).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
windows=""
if [[ ${1:-} == --wine ]]; then
    windows=$(realpath -m "${2:-$top/build-windows}")
    set -- "${@:3}"
fi
build=$(realpath -m "${1:-$top/build}")
work=$top/build-vm
started=$SECONDS
if [[ -z $windows ]]; then
    time_limit=${QUILLARD_VM_TIME_LIMIT:-300}
    programs=(vm_hid_tests vm_serial_tests vm_window_tests)
    windows_programs=()
    native_targets=("${programs[@]}" Corvane quillard-sim-reader)
else
    time_limit=${QUILLARD_VM_TIME_LIMIT:-600}
    programs=()
    windows_programs=(vm_windows_ports_tests serial_tests)
    native_targets=(vm_wine_peer Hollet Corvane quillard-sim-reader)
fi

fail() {
    echo "vm-tests: $*" >&2
    exit 1
}

if [[ -z $windows ]]; then
    "$top/tools/debian-packages.sh" vm
else
    "$top/tools/debian-packages.sh" vm wine
fi
mkdir -p "$work/debs"

echo "== test programs (in $build)"
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S "$top" -B "$build" -G Ninja >/dev/null
cmake --build "$build" -j "$jobs" --target "${native_targets[@]}"
if [[ -n $windows ]]; then
    echo "== Windows test programs (in $windows)"
    [[ -f $windows/build.ninja ]] || "$top/tools/build-windows.sh"
    cmake --build "$windows" -j "$jobs" --target "${windows_programs[@]}"
    # The prefix is made here, once; the machine uses it as it is, its
    # server stopped so that the files are whole.
    "$top/tools/wine/run.sh" "$windows/wine-prefix" cmd /c exit >/dev/null 2>&1 || true
    # Wine's HID bus over hidraw alone: with SDL on (the default) the machine's
    # missing SDL library keeps the hidraw bus from starting.
    "$top/tools/wine/run.sh" "$windows/wine-prefix" reg add \
        'HKLM\System\CurrentControlSet\Services\winebus' /v 'Enable SDL' /t REG_DWORD /d 0 /f \
        >/dev/null 2>&1
    "$top/tools/wine/run.sh" "$windows/wine-prefix" --stop-server
fi

echo "== kernel"
# The kernel package that linux-image-amd64 stands for, and its version.
kernel_package() {
    apt-cache depends linux-image-amd64 2>/dev/null |
        sed -n 's/^ *Depends: \(linux-image-[0-9][^ ]*-amd64\)$/\1/p' | head -n 1
}
package=$(kernel_package)
if [[ -z $package ]]; then
    apt-get update -qq
    package=$(kernel_package)
fi
[[ -n $package ]] || fail "Debian names no kernel package for linux-image-amd64"
version=$(apt-cache show --no-all-versions "$package" | sed -n 's/^Version: //p' | head -n 1)
kernel=$work/kernel/${package}_$version

module_depends() {
    objcopy -O binary --only-section=.modinfo "$1" /dev/stdout 2>/dev/null |
        tr '\0' '\n' | sed -n 's/^depends=//p' | tr ',' ' '
}

# The kernel's drivers of the tests: the HID and serial ones, and for --wine
# the host's file system over virtio-9p with an overlay.
drivers="HIDRAW:- HID:hid UHID:uhid HID_GENERIC:hid_generic SERIAL_8250:8250"
drivers+=" VIRTIO_PCI:virtio_pci NET_9P_VIRTIO:9pnet_virtio 9P_FS:9p OVERLAY_FS:overlay"
if [[ ! -f $kernel/ready || $(cat "$kernel/ready") != "$drivers" ]]; then
    deb=$(ls "$work/debs/${package}_"*.deb 2>/dev/null | head -n 1 || true)
    if [[ -z $deb || $(dpkg-deb -f "$deb" Version) != "$version" ]]; then
        rm -f "$work"/debs/*.deb
        download() {
            (cd "$work/debs" && apt-get download -q -o APT::Sandbox::User=root "$package=$version")
        }
        download || { apt-get update -qq && download; }
        deb=$(ls "$work/debs/${package}_"*.deb | head -n 1)
    fi
    unpacked=$work/kernel-unpack
    rm -rf "$unpacked" "$work/kernel"
    dpkg-deb -x "$deb" "$unpacked"
    config=$(ls "$unpacked"/boot/config-*)
    release=${config##*/config-}
    mkdir -p "$kernel/modules"
    cp "$config" "$kernel/config"
    cp "$unpacked/boot/vmlinuz-$release" "$kernel/vmlinuz"
    # QEMU boots the uncompressed kernel (its PVH entry) several seconds faster
    # than the compressed one, which TCG decompresses slowly.
    offset=$(grep -abo $'\xfd7zXZ\x00' "$kernel/vmlinuz" | head -n 1 | cut -d: -f1 || true)
    if [[ -n $offset ]]; then
        tail -c +$((offset + 1)) "$kernel/vmlinuz" | xz -dc --single-stream >"$kernel/vmlinux" \
            2>/dev/null || true
        readelf -n "$kernel/vmlinux" 2>/dev/null | grep -q Xen || rm -f "$kernel/vmlinux"
    fi

    # The drivers the tests need: built in, or modules loaded with what they
    # depend on, dependencies first.
    declare -A loaded=()
    order=()
    # `key` is a module's name as modinfo gives it: hid_generic for hid-generic.ko.
    add_module() {
        local key=$1 file dep
        [[ -n ${loaded[$key]:-} ]] && return
        file=$(find "$unpacked/lib/modules/$release" \( -name "$key.ko*" -o -name "${key//_/-}.ko*" \) |
            head -n 1)
        [[ -n $file ]] || fail "the kernel $release has no module $key"
        for dep in $(module_depends "$file"); do
            add_module "$dep"
        done
        loaded[$key]=1
        cp "$file" "$kernel/modules/"
        order+=("$(basename "$file")")
    }
    for need in $drivers; do
        option=CONFIG_${need%%:*}
        case $(sed -n "s/^$option=//p" "$kernel/config") in
            y) ;;
            m) [[ ${need#*:} != - ]] || fail "$option is a module"; add_module "${need#*:}" ;;
            *) fail "the kernel $release lacks $option" ;;
        esac
    done
    printf '%s\n' "${order[@]}" >"$kernel/modules.order"
    rm -rf "$unpacked"
    echo "$drivers" >"$kernel/ready"
fi
echo "$package $version: modules $(tr '\n' ' ' <"$kernel/modules.order")"

echo "== initramfs"
root=$work/root
rm -rf "$root"
mkdir -p "$root"/{bin,dev,proc,sys,tmp,lib/modules,q/Protocols}
cp /bin/busybox "$root/bin/busybox"
cp "$top/tools/vm/init" "$root/init"
find "$kernel/modules" -type f -exec cp {} "$root/lib/modules/" \;
cp "$kernel/modules.order" "$root/modules.order"

# Copies a program or library and the system libraries it loads, each to the
# same path in the machine; what lies in the build folder is copied by hand.
copy_with_libraries() {
    local file=$1 target=$2 library
    install -D "$file" "$root$target"
    while IFS= read -r library; do
        [[ -e $root$library ]] && continue
        install -D "$(readlink -f "$library")" "$root$library"
    done < <(ldd "$file" | awk -v build="$build" '
        $2 == "=>" && $3 ~ /^\// && index($3, build) != 1 { print $3 }
        $1 ~ /^\// { print $1 }')
}
copy_with_libraries "$build/libHollet.so" /q/libHollet.so
copy_with_libraries "$build/Protocols/Corvane.so" /q/Protocols/Corvane.so
cp "$top/console/Vemra_Test.ini" "$root/q/Vemra_Test.ini"
for program in "${programs[@]}"; do
    copy_with_libraries "$build/tests/$program" "/q/$program"
done
printf '%s\n' "${programs[@]}" >"$root/q/programs"
if [[ -n $windows ]]; then
    echo "$top/tools/vm/wine-stage.sh $build $windows ${windows_programs[*]}" >"$root/wine-stage"
fi
offscreen=$(dpkg -S 'qt6/plugins/platforms/libqoffscreen.so' | head -n 1 | sed 's/^.*: //')
copy_with_libraries "$offscreen" "$offscreen"
# The C library's GBK converter: settings files and command texts are GBK.
gconv=/usr/lib/$(gcc -dumpmachine)/gconv
for file in GBK.so gconv-modules gconv-modules.cache; do
    install -D "$gconv/$file" "$root$gconv/$file"
done
cp -r "$gconv/gconv-modules.d" "$root$gconv/"

# Not compressed: under TCG the kernel takes longer to decompress an archive
# than QEMU to load the whole of it.
initramfs=$work/initramfs.cpio
(cd "$root" && find . | LC_ALL=C sort | cpio -o -H newc --quiet) >"$initramfs"
rm -rf "$root"
initramfs_size=$(du -k "$initramfs" | cut -f1)
echo "initramfs: $((initramfs_size / 1024)) MiB"

echo "== test machine"
links=$work/links
log=$work/reader.log
rm -rf "$links"
"$build/quillard-sim-reader" --com 2 --links "$links" --quiet 20 \
    --table "$top/ports/tests/com_port_reader.table" >"$log" 2>&1 &
reader=$!
stop_reader() {
    kill "$reader" 2>/dev/null || true
    wait "$reader" 2>/dev/null || true
}
trap stop_reader EXIT
pty=""
for _ in $(seq 100); do
    pty=$(sed -n 's/^Simulated reader on COM[0-9]* (\(.*\)), link.*/\1/p' "$log")
    [[ -n $pty ]] && break
    kill -0 "$reader" 2>/dev/null || break
    sleep 0.1
done
[[ -n $pty ]] || { cat "$log" >&2; fail "the simulated reader did not start"; }

image=$kernel/vmlinux
[[ -f $image ]] || image=$kernel/vmlinuz
console=$work/console.log
machine_started=$(date +%s.%N)
status=0
# ttyS0 is the console, ttyS1 the reader's line. No KVM: QEMU's TCG. The
# firmware keeps off the console (sercon-port 0).
host_files=()
[[ -z $windows ]] ||
    host_files=(-virtfs local,path=/,mount_tag=host,security_model=none,readonly=on,multidevs=remap)
timeout --kill-after=10 "$time_limit" qemu-system-x86_64 \
    -machine q35 -accel tcg -m 1536 -smp 1 -nodefaults -no-reboot \
    "${host_files[@]}" \
    -display none -monitor none \
    -fw_cfg name=etc/sercon-port,string=0 \
    -kernel "$image" -initrd "$initramfs" \
    -append "console=ttyS0 loglevel=3 panic=-1 mitigations=off" \
    -serial stdio -serial "$pty" </dev/null 2>"$work/qemu.log" |
    tr -d '\r' | tee "$console" || status=$?
machine_seconds=$(awk -v s="$machine_started" -v e="$(date +%s.%N)" 'BEGIN { print e - s }')
stop_reader
trap - EXIT

# The outcome: every module loaded, every program ran to its end and passed.
problems=()
((status == 0)) || problems+=("QEMU ended with status $status (124: the time limit of $time_limit s)")
grep -q '^VM-DONE ' "$console" || problems+=("the machine did not finish")
while read -r _ what; do problems+=("$what"); done < <(grep -E '^VM-(MODULE-FAILED|MISSING) ' "$console")
total=0
for program in "${programs[@]}" ${windows:+"${windows_programs[@]}"}; do
    result=$(awk -v p="$program" '
        $1 == "VM-PROGRAM-START" { current = $2 }
        current == p && /^\[  PASSED  \] [0-9]+ test/ { passed = $4 }
        $1 == "VM-PROGRAM-END" && $2 == p { end = $3 }
        END { print (end == "" ? "none" : end), passed + 0 }' "$console")
    read -r code passed <<<"$result"
    if [[ $code != 0 ]]; then
        problems+=("$program ended with $code")
    elif ((passed == 0)); then
        problems+=("$program ran no test")
    fi
    total=$((total + passed))
done

booted=$(sed -n 's/^VM-BOOTED //p' "$console")
done_at=$(sed -n 's/^VM-DONE //p' "$console")
echo
if [[ -n $booted && -n $done_at ]]; then
    awk -v b="$booted" -v d="$done_at" -v m="$machine_seconds" -v s="$initramfs_size" \
        -v t="$((SECONDS - started))" 'BEGIN {
        printf "vm-tests: boot %.1f s (kernel %.1f s), tests %.1f s, initramfs %.1f MiB, whole run %d s\n",
            m - (d - b), b, d - b, s / 1024, t }'
fi
if ((${#problems[@]})); then
    echo "--- QEMU:"
    cat "$work/qemu.log"
    echo "--- simulated reader ($log):"
    tail -n 20 "$log"
    for problem in "${problems[@]}"; do
        echo "[  FAILED  ] $problem"
    done
    exit 1
fi
echo "[==========] $total tests from $((${#programs[@]} + ${#windows_programs[@]})) test programs ran in the test machine."
echo "[  PASSED  ] $total tests."
