#!/usr/bin/env bash
# Installs the built program into a temporary prefix and builds the .deb, then checks what a
# desktop needs of them: usage: test_packaging.sh BUILD_DIR WORK_DIR
set -euo pipefail
build=$1
work=$2
id=io.github.vistrel.Vistrel
rm -rf "$work"
mkdir -p "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }
# The programs run as a desktop would not: no display at all.
quiet() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@"; }

# Every file a menu, a software centre and a first start need.
check_tree() {
  local root=$1
  for f in bin/vistrel bin/vistrel-install; do [ -x "$root/$f" ] || fail "$root/$f missing"; done
  desktop-file-validate "$root/share/applications/$id.desktop" || fail "desktop entry invalid"
  grep -qx "Exec=vistrel" "$root/share/applications/$id.desktop" || fail "Exec is not vistrel"
  grep -qx "Icon=$id" "$root/share/applications/$id.desktop" || fail "Icon is not $id"
  appstreamcli validate --no-net "$root/share/metainfo/$id.metainfo.xml" || fail "metainfo invalid"
  for s in 16 24 32 48 64 128 256; do
    local icon=$root/share/icons/hicolor/${s}x${s}/apps/$id.png
    [ -f "$icon" ] || fail "icon $icon missing"
    file "$icon" | grep -q "PNG image data, $s x $s" || fail "icon $icon is not ${s}x$s"
  done
  grep -q "<svg" "$root/share/icons/hicolor/scalable/apps/$id.svg" || fail "scalable icon missing"
  for f in top.bmp bottom.bmp splash.jpg min.bmp close1.bmp 系统设置2.bmp 返回.bmp; do
    [ -s "$root/share/vistrel/skin/$f" ] || fail "skin file $f missing"
  done
  local version help
  version=$(quiet "$root/bin/vistrel" --version) || fail "--version failed"
  [[ "$version" =~ ^vistrel\ [0-9]+\.[0-9]+ ]] || fail "--version printed: $version"
  help=$(quiet "$root/bin/vistrel" --help) || fail "--help failed"
  [[ "$help" == "Usage: vistrel [options]"*"--version"* ]] || fail "--help printed: $help"
}

echo "== cmake --install"
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
check_tree "$prefix"
# The installed program has no installation beside it, and never takes the build's demo.
[ ! -e "$prefix/bin/sysfile" ] || fail "an installation beside the installed program"

echo "== cpack -G DEB"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/deb" >/dev/null
deb=$(ls "$work"/deb/vistrel_*.deb)
[ -f "$deb" ] || fail "no .deb"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for p in libqt6widgets6 libqt6sql6 libqt6gui6 libqt6core6 libqt6sql6-sqlite qt6-qpa-plugins \
         qt6-image-formats-plugins libsqlite3-0 libc6; do
  [[ ", $depends" == *", $p"* ]] || fail "the package does not depend on $p"
done
listing=$(dpkg-deb -c "$deb")
grep -q " ./usr/bin/vistrel$" <<<"$listing" || fail "no /usr/bin/vistrel in the .deb"
grep -q " ./usr/share/applications/$id.desktop$" <<<"$listing" || fail "no desktop entry"
# Unpacked into a throw-away root, the packaged program runs.
dpkg-deb -x "$deb" "$work/root"
check_tree "$work/root/usr"
# Stripped: the package carries no debugging sections.
sections=$(readelf -S "$work/root/usr/bin/vistrel")
if grep -q debug_info <<<"$sections"; then fail "the packaged program has debug info"; fi
echo "packaging: all checks passed"
