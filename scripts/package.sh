#!/usr/bin/env bash
# Builds the Debian package into build-package/ (a clean optimised build for
# the prefix /usr, stripped by CPack). With --check, as root, it then installs
# the package, runs both programs from the installed files, removes the
# package and checks that none of its files is left. Too slow for the test suite; see docs/install.md.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-package"

check=false
case "${1:-}" in
"") ;;
--check) check=true ;;
*)
    echo "usage: $0 [--check]" >&2
    exit 64
    ;;
esac

if $check; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "package: --check installs the package and must run as root" >&2
        exit 1
    fi
    if dpkg-query -W -f='${Status}' tarnscope 2>/dev/null | grep -q "install ok installed"; then
        echo "package: tarnscope is installed already; --check would remove it. Remove it first." >&2
        exit 1
    fi
fi

# -O2 and Debian's hardening flags (stack protector, fortified calls,
# read-only relocations), as a package built by Debian would have them.
cd "$root"
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags="$(dpkg-buildflags --get LDFLAGS)"

rm -rf "$build"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
    -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" \
    -DTARNSCOPE_BUILD_TESTS=OFF -DTARNSCOPE_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)"
cpack --config "$build/CPackConfig.cmake" -B "$build" -G DEB >/dev/null
debs=("$build"/tarnscope_*.deb)
deb="${debs[0]}"
echo "package: $deb"
dpkg-deb --field "$deb" Package Version Depends
$check || exit 0

fail() {
    echo "package check FAILED: $*" >&2
    exit 1
}

home="$(mktemp -d)"
cleanup() {
    rm -rf "$home"
    if dpkg-query -W tarnscope >/dev/null 2>&1; then
        dpkg --purge tarnscope >/dev/null || true
    fi
}
trap cleanup EXIT

export DEBIAN_FRONTEND=noninteractive
apt-get install -y -q "$deb"
files="$(dpkg -L tarnscope)"

# The installed programs, in a bare environment with a home of their own.
run_installed() {
    env -i HOME="$home" PATH=/usr/bin:/bin LANG=C.UTF-8 "$@"
}
run_installed /usr/bin/tarnscope-cli diagnose --virtual /usr/share/tarnscope/scenarios/healthy.json --json \
    >"$home/diagnosis.json" || fail "tarnscope-cli diagnose exited with $?"
python3 -m json.tool "$home/diagnosis.json" >/dev/null || fail "tarnscope-cli printed no JSON document"
ls "$home"/Documents/Velmora/*.png >/dev/null 2>&1 || fail "no picture in $home/Documents/Velmora"
run_installed QT_QPA_PLATFORM=offscreen /usr/bin/tarnscope --help >"$home/help.txt" \
    || fail "tarnscope --help exited with $?"
grep -q -- "--virtual" "$home/help.txt" || fail "tarnscope --help does not list --virtual"
if command -v man >/dev/null; then
    for page in tarnscope tarnscope-cli; do
        man -w "$page" >/dev/null || fail "man page $page is not found"
    done
fi
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate /usr/share/applications/tarnscope.desktop || fail "desktop entry is not valid"
fi

dpkg -r tarnscope
left=()
while IFS= read -r path; do
    # Shared folders such as /usr/bin stay; the package's own must go.
    if [ -d "$path" ]; then
        case "$path" in */tarnscope*) left+=("$path/") ;; esac
    elif [ -e "$path" ] || [ -L "$path" ]; then
        left+=("$path")
    fi
done <<<"$files"
[ ${#left[@]} -eq 0 ] || fail "left after removal: ${left[*]}"
# The postrm keeps the package known to dpkg until it is purged.
dpkg --purge tarnscope >/dev/null
echo "package check passed: installed, ran tarnscope-cli and tarnscope --help, removed cleanly"
