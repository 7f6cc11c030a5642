#!/usr/bin/env bash
# Checks the Debian package as a user meets it (CI runs it; as root, on a
# machine where the package may be installed and removed):
#   1. builds it (tools/build-deb.sh) and runs lintian on it: errors fail;
#   2. installs it with apt-get, as a user would, and checks the installed
#      programs' library search paths (tools/check-runpaths.sh);
#   3. as a normal user, under Xvfb: starts `quillard`, types a command into
#      row 1 (xdotool) and closes the window with Escape; starts it again,
#      types more and sends it SIGTERM. ~/.config/quillard/History.ini must
#      hold both, quillard-run --history must read it, /usr/lib/quillard/
#      must be unchanged;
#   4. the administrator edits the catalogue (/etc/quillard/Vemra_Test.ini, a
#      conffile) and installs the package again as an upgrade: the edit stays;
#      root runs the window: its files go to root's own folder, and
#      /usr/lib/quillard/ is unchanged;
#   5. validates the AppStream file;
#   6. removes the package: none of its files may be left but the catalogue,
#      the user's may; purges it: the catalogue goes too.
#   tools/check-deb.sh [BUILD_DIR]      (default build-deb/)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-$top/build-deb}
user=quillard-check
home=/home/$user
[[ $(id -u) -eq 0 ]] || { echo "tools/check-deb.sh installs a package: run it as root" >&2; exit 1; }

step() { printf '%s: %s\n' "$(date +%T)" "$*"; }
fail() { echo "check-deb: $*" >&2; exit 1; }

"$top/tools/debian-packages.sh" package-check
step "building the package"
"$top/tools/build-deb.sh" "$build_dir" >/dev/null
deb=$(ls "$build_dir"/package/quillard_*.deb)
step "lintian $deb"
lintian "$deb" || fail "lintian found errors"

step "installing it with apt-get"
if dpkg-query -W -f='${Status}' quillard 2>/dev/null | grep -q 'install ok'; then
    DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq quillard >/dev/null
fi
# What the package brings that was not there before: all of it must go again.
new_paths=$(dpkg-deb --fsys-tarfile "$deb" | tar -t | sed 's|^\./|/|; s|/$||' |
    while read -r path; do [[ -z $path || -e $path || -L $path ]] || echo "$path"; done)
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >/dev/null
echo "Depends: $(dpkg-query -W -f='${Depends}' quillard)"
"$top/tools/check-runpaths.sh" /usr/lib/quillard || fail "an installed program searches a folder it should not"
snapshot() { find /usr/lib/quillard -printf '%p %y %m %u\n' | sort; find /usr/lib/quillard -type f -exec sha256sum {} + | sort; }
before=$(snapshot)

id "$user" >/dev/null 2>&1 && userdel -r "$user" >/dev/null 2>&1 || true
useradd -m -s /bin/bash "$user"
cleanup() {  # also after a failure: the machine as it was
    userdel -r "$user" >/dev/null 2>&1 || true
    rm -rf "/tmp/runtime-$user"
    # removed, or left by a run that failed: purged, maintainer scripts and all
    if dpkg-query -W quillard >/dev/null 2>&1; then
        DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq quillard >/dev/null 2>&1 || true
    fi
}
trap cleanup EXIT

# The window at 10, 10 on a display without a window manager; row 1's command
# edit lies at 301, 466 of the window (dialog units 201, 311 at 1.5 pixels).
session() {  # COMMAND-TEXT CLOSE(escape|sigterm) [USER HOME]
    local as=${3:-$user} as_home=${4:-$home} runas=()
    [[ $as == root ]] || runas=(runuser -u "$as" --)
    "${runas[@]}" env -i HOME="$as_home" USER="$as" PATH=/usr/bin:/bin LANG=C.UTF-8 \
        xvfb-run -a -s '-screen 0 1280x1024x24' bash -c '
            set -eu
            quillard & pid=$!
            timeout 30 xdotool search --sync --onlyvisible --name "^Quillard" >/dev/null
            sleep 0.5
            # looked up again once shown: a window seen while the program
            # starts may be gone by now (X BadWindow)
            window=$(xdotool search --onlyvisible --name "^Quillard" | head -1)
            xdotool mousemove --window "$window" 420 472 click 1
            xdotool type --delay 20 "$1"
            sleep 0.3
            case $2 in
                escape) xdotool key Escape ;;  # to the focus, as typed: the row edit clicked above
                sigterm) kill -TERM $pid ;;
            esac
            timeout 20 tail --pid=$pid -f /dev/null
            wait $pid' session "$1" "$2"
}
step "quillard as $user: type, Escape"
session 00A4 escape
step "quillard as $user: type, SIGTERM"
session 0400 sigterm
history=$home/.config/quillard/History.ini
[[ -f $history ]] || fail "$history was not written"
grep -q '^CMD0=00A40400'$'\r''$' "$history" || { cat -A "$history"; fail "the typed rows are not in $history"; }
status=0
runuser -u "$user" -- env -i HOME="$home" PATH=/usr/bin:/bin \
    quillard-run --com 1024 --history >/dev/null 2>"$home/run.err" || status=$?
[[ $status -eq 3 ]] || { cat "$home/run.err"; fail "quillard-run --history did not read the user's history ($status)"; }
[[ $(snapshot) == "$before" ]] || fail "/usr/lib/quillard/ was changed"
step "the Python wrapper and its pytest plug-in, installed"
found=$(runuser -u "$user" -- env -i HOME="$home" PATH=/usr/bin:/bin \
    /usr/bin/python3 -c 'import quillard; print(quillard.find_program())') ||
    fail "import quillard failed"
[[ $found == /usr/bin/quillard-run ]] || fail "the wrapper found $found, not /usr/bin/quillard-run"
# (read whole: grep -q would stop reading, and pytest fail on the closed pipe)
help=$(runuser -u "$user" -- env -i HOME="$home" PATH=/usr/bin:/bin /usr/bin/python3 -m pytest \
    -p no:cacheprovider --help) || fail "pytest --help failed"
grep -q -- --quillard-port <<<"$help" || fail "pytest did not load the quillard plug-in"

catalogue=/etc/quillard/Vemra_Test.ini
step "the administrator edits $catalogue, then the package is upgraded"
dpkg-query -W -f='${Conffiles}' quillard | grep -q "^ $catalogue " || fail "$catalogue is not a conffile"
[[ $(readlink /usr/lib/quillard/Vemra_Test.ini) == "$catalogue" ]] ||
    fail "the program folder's Vemra_Test.ini does not lead to $catalogue"
printf '; the administrator was here\r\n' >>"$catalogue"
edited=$(sha256sum <"$catalogue")
upgrade=$(mktemp -d)
dpkg-deb -R "$deb" "$upgrade/tree"
version=$(sed -n 's/^Version: //p' "$upgrade/tree/DEBIAN/control")
sed -i "s/^Version: .*/Version: $version+upgrade1/" "$upgrade/tree/DEBIAN/control"
dpkg-deb --root-owner-group -b "$upgrade/tree" "$upgrade/quillard_upgrade.deb" >/dev/null
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$upgrade/quillard_upgrade.deb" >/dev/null
rm -rf "$upgrade"
[[ $(dpkg-query -W -f='${Version}' quillard) == "$version+upgrade1" ]] || fail "the upgrade was not installed"
[[ $(sha256sum <"$catalogue") == "$edited" ]] || fail "the upgrade replaced the edited $catalogue"
before=$(snapshot)

step "quillard as root: type, Escape"
root_home=$(mktemp -d)
session 9000 escape root "$root_home"
grep -q '^CMD0=9000'$'\r''$' "$root_home/.config/quillard/History.ini" ||
    fail "root's history is not in its own folder"
rm -rf "$root_home"
[[ $(snapshot) == "$before" ]] || fail "/usr/lib/quillard/ was changed by root's window"

metainfo=/usr/share/metainfo/io.github.quillard.Quillard.metainfo.xml
step "appstreamcli validate $metainfo"
appstreamcli validate --no-net "$metainfo" || fail "the AppStream file is not valid"

step "removing it"
DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq quillard >/dev/null
while read -r path; do
    [[ $path == /etc/quillard || $path == "$catalogue" ]] && continue  # kept until purged
    if [[ -n $path && ( -e $path || -L $path ) ]]; then fail "$path is left after apt-get remove"; fi
done <<<"$new_paths"
[[ -f $history ]] || fail "the user's $history went with the package"
[[ -f $catalogue ]] || fail "apt-get remove took the administrator's $catalogue"
step "purging it"
DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq quillard >/dev/null
[[ -e $catalogue || -e /etc/quillard ]] && fail "$catalogue is left after apt-get purge"
step "the package installs, runs as a user, saves in the user's folder and goes without a trace"
