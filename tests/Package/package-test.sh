#!/usr/bin/env bash
# Builds the Debian package from a build tree, unpacks it into a temporary root, runs the
# validators over it and looks once through a sample camera with the unpacked program.
#   package-test.sh BUILD_DIR APP_ID PHOTO      (exits 77, skipped, only without a validator)
set -euo pipefail
build=$1 id=$2 photo=$3
for tool in cpack dpkg-deb dpkg-shlibdeps desktop-file-validate appstreamcli lintian; do
  command -v "$tool" >/dev/null || { echo "SKIPPED: no $tool (scripts/install-deps installs it)"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/out/tisko_*.deb)
depends=$(dpkg-deb --field "$deb" Depends)
echo "== $(basename "$deb"): $(stat -c %s "$deb") bytes"$'\n'"Depends: $depends"
[[ $depends == *libdlib-data* && $depends == *libqt6core6* ]] || { echo "Depends lacks the model or Qt"; exit 1; }
root=$work/root
dpkg-deb -x "$deb" "$root"
for file in bin/tisko share/icons/hicolor/scalable/apps/$id.svg share/icons/hicolor/48x48/apps/$id.png \
  share/doc/tisko/copyright share/man/man1/tisko.1.gz; do
  [ -s "$root/usr/$file" ] || { echo "missing from the package: /usr/$file"; exit 1; }
done

echo "== desktop-file-validate" && desktop-file-validate "$root/usr/share/applications/$id.desktop"
echo "== appstreamcli" && appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml"
# Errors fail the test; any warning printed here is an accepted one.
echo "== lintian" && lintian --fail-on error --tag-display-limit 0 "$deb"

echo "== tisko --look through a sample camera"
home=$work/home
HOME=$home XDG_CONFIG_HOME=$home/c XDG_DATA_HOME=$home/d XDG_STATE_HOME=$home/s XDG_CACHE_HOME=$home/k \
  QT_QPA_PLATFORM=offscreen TISKO_CAMERAS=$photo timeout 60 "$root/usr/bin/tisko" --look "$work/look.txt"
cat "$work/look.txt"
grep -q '^faceWidth=' "$work/look.txt" || { echo "the look measured no face"; exit 1; }
