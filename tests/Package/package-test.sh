#!/usr/bin/env bash
# Builds the Debian package from a build tree, unpacks it into a temporary root, runs the
# validators over what it installs, and looks once through a sample camera with the unpacked
# program.   package-test.sh BUILD_DIR APP_ID PHOTO
# Exits 77 (skipped) only when a validator is not installed.
set -euo pipefail
build=$1 app_id=$2 photo=$3

for tool in cpack dpkg-deb dpkg-shlibdeps desktop-file-validate appstreamcli lintian; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIPPED: $tool is not installed (scripts/install-deps installs it)"
    exit 77
  fi
done
if [ ! -f "$photo" ]; then
  echo "the sample photograph $photo is missing"
  exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"
  exit 1
fi
deb=$(ls "$work"/out/tisko_*.deb)
echo "== $(basename "$deb"): $(stat -c %s "$deb") bytes"
dpkg-deb --field "$deb" Depends | sed 's/^/Depends: /'
dpkg-deb --field "$deb" Depends | grep -q 'libdlib-data' || { echo "Depends lacks the model"; exit 1; }
dpkg-deb --field "$deb" Depends | grep -q 'libqt6core6' || { echo "Depends lacks Qt"; exit 1; }
dpkg-deb -x "$deb" "$work/root"
root=$work/root

expected=(
  usr/bin/tisko
  "usr/share/applications/$app_id.desktop"
  "usr/share/metainfo/$app_id.metainfo.xml"
  "usr/share/icons/hicolor/scalable/apps/$app_id.svg"
  "usr/share/icons/hicolor/48x48/apps/$app_id.png"
  "usr/share/icons/hicolor/256x256/apps/$app_id.png"
  usr/share/doc/tisko/copyright
)
for file in "${expected[@]}"; do
  [ -s "$root/$file" ] || { echo "missing from the package: /$file"; exit 1; }
done

echo "== desktop-file-validate"
desktop-file-validate "$root/usr/share/applications/$app_id.desktop"
echo "== appstreamcli validate --no-net"
appstreamcli validate --no-net "$root/usr/share/metainfo/$app_id.metainfo.xml"
echo "== lintian"
# Errors fail the test; the warnings printed here are the accepted ones.
lintian --fail-on error --tag-display-limit 0 "$deb"

echo "== tisko --look through a sample camera"
home=$work/home
mkdir -p "$home"
HOME=$home XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data XDG_STATE_HOME=$home/state \
  XDG_CACHE_HOME=$home/cache QT_QPA_PLATFORM=offscreen TISKO_CAMERAS=$photo \
  timeout 60 "$root/usr/bin/tisko" --look "$work/look.txt"
cat "$work/look.txt"
grep -q '^faceWidth=' "$work/look.txt" || { echo "the look measured no face"; exit 1; }
echo "package accepted"
