#!/usr/bin/env bash
# Builds the Debian package, installs it as a user would, and checks that the commands, the menu entry and the
# icons work from where the package put them. Removes the package afterwards unless it was installed before.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build="$root/build/package"
app_id=org.quillmere.quillmere
started=$SECONDS

fail() {
    echo "deb_installs: $*" >&2
    exit 1
}

# Only a failing step shows its output: the test build is not the news here.
quiet() {
    local log="$build/deb_installs.log"
    "$@" >"$log" 2>&1 || { cat "$log" >&2; fail "failed: $*"; }
}

mkdir -p "$build"
quiet cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DQUILLMERE_TESTS=OFF -DQUILLMERE_BENCH=OFF
quiet cmake --build "$build" --parallel "$(nproc)"
rm -f "$build"/quillmere_*.deb
quiet cpack -G DEB --config "$build/CPackConfig.cmake" -B "$build"
debs=("$build"/quillmere_*.deb)
[[ ${#debs[@]} -eq 1 && -f ${debs[0]} ]] || fail "cpack made no single quillmere_*.deb in $build"
deb=${debs[0]}

sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo -n)
work=$(mktemp -d)
remove_package=false
cleanup() {
    if $remove_package; then
        "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get remove -y -q quillmere >/dev/null ||
            echo "deb_installs: could not remove the package again" >&2
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# What the package holds, before anything is installed.
version=$(dpkg-deb -f "$deb" Version)
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 qt6-qpa-plugins libpff1 undbx libgmime-3.0 libhivex0 libxlsxwriter libgumbo xdg-utils; do
    [[ $depends == *"$needed"* ]] || fail "Depends lacks $needed: $depends"
done
dpkg-deb -x "$deb" "$work/stage"
for page in quillmere quillmere-cli; do
    zcat "$work/stage/usr/share/man/man1/$page.1.gz" 2>/dev/null | grep -E "^\.TH \"?${page^^}\"? \"?1\"? .*$version" >/dev/null ||
        fail "no manual page $page(1) of version $version"
done
quiet desktop-file-validate "$work/stage/usr/share/applications/$app_id.desktop"
quiet appstreamcli validate --no-net "$work/stage/usr/share/metainfo/$app_id.metainfo.xml"
grep -q "<release version=\"$version\"" "$work/stage/usr/share/metainfo/$app_id.metainfo.xml" ||
    fail "the metainfo lists no release $version"
zcat "$work/stage/usr/share/doc/quillmere/changelog.gz" | head -n 1 | grep -qF "quillmere ($version)" ||
    fail "the changelog does not start with version $version"

if [[ ${#sudo[@]} -gt 0 ]] && ! sudo -n true 2>/dev/null; then
    echo "deb_installs: package built and checked; installing it skipped (needs root or password-less sudo)"
    exit 0
fi
status=$(dpkg-query -W -f='${Status}' quillmere 2>/dev/null || true)
[[ $status == "install ok installed" ]] || remove_package=true
# A copy outside the tree, so that apt's unprivileged download user can read it.
cp "$deb" "$work/" && chmod 755 "$work" && chmod 644 "$work/${deb##*/}"
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --reinstall "$work/${deb##*/}" >"$work/apt.log" 2>&1 ||
    { cat "$work/apt.log" >&2; fail "apt-get could not install ${deb##*/}"; }

# Run from elsewhere with a plain PATH, so that nothing from the build tree can stand in for the package.
cd "$work"
export PATH=/usr/local/bin:/usr/bin:/bin
[[ $(command -v quillmere-cli) == /usr/bin/quillmere-cli ]] || fail "quillmere-cli on PATH is $(command -v quillmere-cli)"
quillmere-cli --help >/dev/null || fail "quillmere-cli --help failed"

# The converter is found beside the program behind the link, and undbx comes with the package's dependencies.
store="$root/../shared/fixtures/dbx/test_OutlookDBX.dbx"
if [[ -f $store ]]; then
    listed=$(TEMP="$work" QUILLMERE_SETTINGS_DIR="$work" quillmere-cli --dbx "$store" --list-messages) ||
        fail "quillmere-cli could not list the messages of $store"
    count=$(grep -c . <<<"$listed" || true)
    [[ $count -eq 28 ]] || fail "quillmere-cli listed $count messages of $store, not 28"
else
    echo "deb_installs: $store is missing; the converter check is skipped"
fi

# Start what the menu entry starts.
entry="/usr/share/applications/$app_id.desktop"
exec_line=$(sed -n 's/^Exec=//p' "$entry" | head -n 1)
read -r -a exec_words <<<"${exec_line//%[fFuU]/}"
[[ ${#exec_words[@]} -eq 1 ]] || fail "Exec=$exec_line has arguments this check does not pass on"
program=$(command -v "${exec_words[0]}") || fail "Exec=$exec_line is not on PATH"
[[ $program == /usr/bin/quillmere ]] || fail "Exec=$exec_line starts $program"
"$root/tests/smoke/window_appears.sh" "$program"

icons=/usr/share/icons/hicolor
[[ -f $icons/scalable/apps/$app_id.svg ]] || fail "no scalable icon"
for size in 16 24 32 48 64 128 256; do
    png="$icons/${size}x${size}/apps/$app_id.png"
    [[ $(file -b "$png" 2>/dev/null) == "PNG image data, $size x $size,"* ]] || fail "$png is not a ${size}x$size PNG"
done

echo "deb_installs: ${deb##*/} ($(du -k "$deb" | cut -f1) KiB) installs and runs; $((SECONDS - started)) s"
