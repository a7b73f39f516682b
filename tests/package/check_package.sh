#!/usr/bin/env bash
# Builds the Debian package from a build tree with CPack and checks its file
# list and control fields.
# Usage: check_package.sh BUILD_DIR VERSION
set -euo pipefail
build="$1"
version="$2"
out="$build/package-check"
rm -rf "$out"
mkdir -p "$out"

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$out" >"$out/cpack.log" 2>&1 ||
  { cat "$out/cpack.log" >&2; exit 1; }
shopt -s nullglob
debs=("$out"/ternavo_"$version"_*.deb)
if [ "${#debs[@]}" -ne 1 ]; then
  echo "expected one ternavo_${version}_*.deb in $out, found ${#debs[@]}" >&2
  exit 1
fi
deb="${debs[0]}"

files="$(dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|')"
status=0
expect() {
  if ! grep -qxF "$1" <<<"$files"; then
    echo "missing from the package: $1" >&2
    status=1
  fi
}
expect /usr/bin/ternavo
expect /usr/bin/ternavo-cli
expect /usr/share/applications/org.ternavo.Ternavo.desktop
expect /usr/share/metainfo/org.ternavo.Ternavo.metainfo.xml
expect /usr/share/icons/hicolor/scalable/apps/ternavo.svg
for size in 16 22 24 32 48 64 128 256; do
  expect "/usr/share/icons/hicolor/${size}x${size}/apps/ternavo.png"
done
expect /usr/share/man/man1/ternavo-cli.1.gz
expect /usr/share/man/man1/ternavo.1.gz
expect /usr/share/doc/ternavo/copyright
expect /usr/share/doc/ternavo/navod.md
for example in "$(dirname "$0")"/../../examples/*.txt; do
  expect "/usr/share/doc/ternavo/examples/$(basename "$example")"
done
# Every picture the guide shows travels with it.
guide_pictures="$(grep -oE '\]\(navod/[^)]+\.png\)' "$(dirname "$0")/../../docs/navod.md" |
  sed 's/^](\(.*\))$/\1/' | sort -u || true)"
if [ -z "$guide_pictures" ]; then
  echo "the guide shows no pictures" >&2
  status=1
fi
for picture in $guide_pictures; do expect "/usr/share/doc/ternavo/$picture"; done
# Nothing outside /usr, nothing from the build or test tree.
if grep -vE '^/usr(/|$)|^/$' <<<"$files" | grep -q .; then
  echo "files outside /usr:" >&2
  grep -vE '^/usr(/|$)|^/$' <<<"$files" >&2
  status=1
fi
if grep -qE 'test_|bench_|CMakeFiles' <<<"$files"; then
  echo "build or test files in the package" >&2
  status=1
fi

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = ternavo ] || { echo "Package: $(field Package)" >&2; status=1; }
[ "$(field Version)" = "$version" ] || { echo "Version: $(field Version)" >&2; status=1; }
depends="$(field Depends)"
for library in libc6 libstdc++6 libicu libqt6widgets6 libqt6core6; do
  if ! grep -q "$library" <<<"$depends"; then
    echo "Depends lacks $library: $depends" >&2
    status=1
  fi
done
[ "$status" -eq 0 ] && echo "package $deb is complete; Depends: $depends"
exit "$status"
