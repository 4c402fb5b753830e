#!/usr/bin/env bash
# The Debian package from the build tree: its files, its dependencies, and what the desktop's
# validators say of the installed menu entry and AppStream file.
#   package_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
src="$1"
build="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

deb="$("$src/scripts/package" --no-build "$build" "$work/out" | tail -n 1)"
[ -f "$deb" ] || fail "no package built"
dpkg-deb -c "$deb" | awk '{print $NF}' >"$work/files"
for f in ./usr/bin/orvix ./usr/bin/orvix-cli ./usr/lib/orvix/liborvix-cli-browser.so \
         ./usr/share/applications/example.varnel.Orvix.desktop \
         ./usr/share/metainfo/example.varnel.Orvix.metainfo.xml \
         ./usr/share/icons/hicolor/16x16/apps/orvix.png ./usr/share/icons/hicolor/48x48/apps/orvix.png \
         ./usr/share/icons/hicolor/256x256/apps/orvix.png ./usr/share/icons/hicolor/scalable/apps/orvix.svg; do
    grep -qxF "$f" "$work/files" || fail "the package lacks $f"
done
if grep -E '^\./usr/(include|lib/cmake)|_tests$|photosite|makerservice' "$work/files"; then
    fail "the package carries build or test files"
fi
depends="$(dpkg-deb -f "$deb" Depends)"
echo "Depends: $depends"
for d in libqt6widgets6 libqt6webenginecore6 libcurl libc6 libqt6webenginecore6-bin; do
    [[ "$depends" == *"$d"* ]] || fail "Depends lacks $d"
done

dpkg-deb -x "$deb" "$work/root"
desktop-file-validate "$work/root/usr/share/applications/example.varnel.Orvix.desktop" | tee "$work/desktop.txt"
! grep -qiE 'error|warning' "$work/desktop.txt" || fail "desktop-file-validate complains"
appstreamcli validate --no-net "$work/root/usr/share/metainfo/example.varnel.Orvix.metainfo.xml" \
    || fail "appstreamcli rejects the metainfo"
file "$work/root/usr/bin/orvix" | grep -q 'ELF' || fail "orvix is not a program"
