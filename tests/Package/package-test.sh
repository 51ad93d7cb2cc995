#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2025-2026 The Tisko developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package from a build tree, unpacks it into a temporary root, runs the
# validators over it, checks its licence and languages, and looks once through a sample
# camera with the unpacked program.
#   package-test.sh SOURCE_DIR BUILD_DIR APP_ID PHOTO [BUILD_TYPE]
# (exits 77, skipped, only without a validator). Only optimised builds are hardened, so the
# hardening tags fail the test only there.
set -euo pipefail
source=$1 build=$2 id=$3 photo=$4 type=${5:-}
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
  share/doc/tisko/copyright share/man/man1/tisko.1.gz share/man/es/man1/tisko.1.gz \
  share/dbus-1/interfaces/io.github.tisko.Tisko1.xml; do
  [ -s "$root/usr/$file" ] || { echo "missing from the package: /usr/$file"; exit 1; }
done

echo "== licence"
cmp -s "$source/LICENSE" /usr/share/common-licenses/GPL-3 || { echo "LICENSE is not the GPL, version 3"; exit 1; }
copyright=$root/usr/share/doc/tisko/copyright
grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' "$copyright" &&
  grep -q '^License: GPL-3.0-or-later$' "$copyright" && ! grep -qi 'rights reserved' "$copyright" ||
  { echo "the copyright file does not give the GPL in Debian's form"; cat "$copyright"; exit 1; }
metainfo=$root/usr/share/metainfo/$id.metainfo.xml
grep -q '<project_license>GPL-3.0-or-later</project_license>' "$metainfo" ||
  { echo "the metadata does not name the licence"; exit 1; }

echo "== languages"
desktop=$root/usr/share/applications/$id.desktop
for key in GenericName Comment Keywords; do
  grep -q "^$key=" "$desktop" && grep -q "^$key\[es\]=" "$desktop" ||
    { echo "the desktop entry lacks $key in English or Spanish"; exit 1; }
done
# Each action of the entry has its name in both languages and runs a switch tisko takes.
actions=$(sed -n 's/^Actions=//p' "$desktop" | tr ';' ' ')
[ -n "$actions" ] || { echo "the desktop entry has no actions"; exit 1; }
for action in $actions; do
  section=$(sed -n "/^\[Desktop Action $action\]/,/^\[/p" "$desktop")
  grep -q '^Name=' <<<"$section" && grep -q '^Name\[es\]=' <<<"$section" ||
    { echo "the action $action lacks its name in English or Spanish"; exit 1; }
  switch=$(sed -n 's/^Exec=tisko \(--[a-z-]*\).*/\1/p' <<<"$section")
  [ -n "$switch" ] && "$root/usr/bin/tisko" --help | grep -qe "$switch" || { echo "the action $action runs no switch tisko has"; exit 1; }
done
grep -q '<summary xml:lang="es">' "$metainfo" && grep -q '<p xml:lang="es">' "$metainfo" ||
  { echo "the metadata lacks its Spanish"; exit 1; }
! grep -qi 'postura grabada\|postura que grabaste' "$metainfo" || { echo "the metadata says postura"; exit 1; }
# Every switch the program reads and every TISKO_ variable it reads are in both manual pages.
switches=$(grep -rhoE '"--[a-z-]+"' "$source/Tisko" --include='*.cpp' | tr -d '"' | sort -u || true)
variables=$(grep -rhoE 'qEnvironmentVariable[A-Za-z]*\("TISKO_[A-Z_]+"' "$source/Tisko" --include='*.cpp' |
  grep -oE 'TISKO_[A-Z_]+' | sort -u || true)
[ -n "$switches" ] && [ -n "$variables" ] || { echo "found no switches or variables in the sources"; exit 1; }
for page in man1 es/man1; do
  text=$(zcat "$root/usr/share/man/$page/tisko.1.gz" | sed 's/\\-/-/g')
  for word in $switches $variables; do
    grep -qe "$word" <<<"$text" || { echo "the manual page in $page does not describe $word"; exit 1; }
  done
done
! zcat "$root/usr/share/man/es/man1/tisko.1.gz" | grep -qi 'postura grabada' ||
  { echo "the Spanish manual page says postura grabada"; exit 1; }

# --help speaks each language of the pages (English when Tisko has not the user's), and names
# what its page names and no more.
for pair in "en_US.UTF-8 man1 Usage:" "de_DE.UTF-8 man1 Usage:" "C.UTF-8 man1 Usage:" \
  "es_MX.UTF-8 es/man1 Uso:"; do
  read -r language page first <<<"$pair"
  help=$(env -u LANGUAGE -u LC_ALL -u LC_MESSAGES LANG="$language" "$root/usr/bin/tisko" --help)
  [[ $help == "$first"* ]] || { echo "tisko --help under $language is not in its language"; exit 1; }
  text=$(zcat "$root/usr/share/man/$page/tisko.1.gz" | sed 's/\\-/-/g')
  # Qt's own --platform, which the page mentions, is Qt's switch, not Tisko's.
  for word in $(grep -oE -- '--[a-z-]+|TISKO_[A-Z_]+' <<<"$help$text" | grep -vx -- --platform | sort -u); do
    grep -qe "$word" <<<"$help" && grep -qe "$word" <<<"$text" ||
      { echo "--help under $language and the page in $page disagree on $word"; exit 1; }
  done
done

doc=$root/usr/share/doc/tisko/README.md
grep -q '^## Permissions' "$doc" && ! grep -q '^## Development' "$doc" ||
  { echo "the package's README is not the users' one"; exit 1; }

echo "== the machine's model copy, made as the package's scripts make it"
dpkg-deb -e "$deb" "$work/control"
grep -q 'interest-noawait /usr/share/dlib' "$work/control/triggers" &&
  grep -q 'tisko --make-model-copy /var/cache/tisko' "$work/control/postinst" &&
  grep -q 'rm -rf /var/cache/tisko' "$work/control/postrm" || { echo "the maintainer scripts do not make or remove the copy"; exit 1; }
"$root/usr/bin/tisko" --make-model-copy "$work/shared"
[ "$(stat -c %a "$work/shared" "$work"/shared/*.landmarks | tr '\n' ' ')" = "755 644 " ] ||
  { echo "the shared copy is not readable by all"; exit 1; }

echo "== desktop-file-validate" && desktop-file-validate "$desktop"
echo "== appstreamcli" && appstreamcli validate --no-net "$metainfo"
# Errors fail the test, and so does any hardening tag of an optimised build; any other tag
# printed here is an accepted one.
echo "== lintian ($type build)"
lintian --display-info --pedantic --tag-display-limit 0 "$deb" | tee "$work/lintian.txt"
refused='^E: '
[[ $type =~ ^(Release|RelWithDebInfo|MinSizeRel)$ ]] && refused+='|hardening-'
! grep -E "$refused" "$work/lintian.txt" || { echo "lintian: errors or hardening tags"; exit 1; }

echo "== tisko --look through a sample camera"
home=$work/home
HOME=$home XDG_CONFIG_HOME=$home/c XDG_DATA_HOME=$home/d XDG_STATE_HOME=$home/s XDG_CACHE_HOME=$home/k \
  QT_QPA_PLATFORM=offscreen TISKO_CAMERAS=$photo timeout 60 "$root/usr/bin/tisko" --look "$work/look.txt"
cat "$work/look.txt"
grep -q '^faceWidth=' "$work/look.txt" || { echo "the look measured no face"; exit 1; }
