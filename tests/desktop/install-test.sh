#!/usr/bin/env bash
# Installs the build tree given as the argument into a temporary prefix, validates the
# desktop entry and the AppStream metadata there, then builds the Debian package and checks
# that it carries the programs, the desktop files and the library dependencies.
set -euo pipefail
build=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
    echo "install-test: $*" >&2
    exit 1
}

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" > "$work/install.log"
for program in kelvo kelvo-cli kelvo-sim; do
    [ -x "$prefix/bin/$program" ] || fail "bin/$program is not installed"
done
share=$prefix/share
[ -s "$share/icons/hicolor/scalable/apps/org.kelvo.Kelvo.svg" ] || fail "the icon is not installed"
desktop-file-validate "$share/applications/org.kelvo.Kelvo.desktop"
appstreamcli validate --no-net --explain "$share/metainfo/org.kelvo.Kelvo.metainfo.xml"

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/package" > "$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; fail "cpack failed"; }
package=$(find "$work/package" -maxdepth 1 -name 'kelvo_*.deb')
[ -n "$package" ] || fail "cpack made no kelvo_*.deb"
info=$(dpkg-deb --info "$package")
echo "$info"
grep -q '^ Depends:.*libqt6widgets6' <<< "$info" || fail "the package does not depend on Qt Widgets"
grep -q '^ Depends:.*libc6' <<< "$info" || fail "the package does not depend on the C library"
contents=$(dpkg-deb --contents "$package")
for file in usr/bin/kelvo usr/bin/kelvo-cli usr/bin/kelvo-sim \
    usr/share/applications/org.kelvo.Kelvo.desktop usr/share/metainfo/org.kelvo.Kelvo.metainfo.xml; do
    grep -q " ./$file\$" <<< "$contents" || fail "the package lacks /$file"
done
