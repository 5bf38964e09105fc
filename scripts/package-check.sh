#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian package, unpacks it into a scratch root and runs it from there (a relocated
# install), then installs it on this machine with apt-get, runs the installed programs, validates
# the desktop entry and the metainfo, and removes the package again.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
scripts/package.sh
deb=$(ls build/package/zorvane-fx_*.deb | head -n1)
sample=$PWD/build/package/samples/fx5950-ultra.rom
export QT_QPA_PLATFORM=offscreen
fail() { echo "package check: $*" >&2; exit 1; }

echo "== dependencies"
depends=$(dpkg-deb --field "$deb" Depends)
echo "$depends"
grep -q 'libqt6widgets6' <<<"$depends" || fail "no dependency on the Qt 6 widgets runtime"

echo "== scratch root"
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
for path in usr/bin/zorvane-fx usr/bin/zorvane-fx-cli \
            usr/share/applications/org.zorvane.ZorvaneFX.desktop \
            usr/share/mime/packages/org.zorvane.ZorvaneFX.xml \
            usr/share/metainfo/org.zorvane.ZorvaneFX.metainfo.xml \
            usr/share/icons/hicolor/scalable/apps/org.zorvane.ZorvaneFX.svg \
            usr/share/icons/hicolor/48x48/apps/org.zorvane.ZorvaneFX.png \
            usr/share/man/man1/zorvane-fx-cli.1.gz usr/share/man/man1/zorvane-fx.1.gz \
            usr/share/bash-completion/completions/zorvane-fx-cli \
            usr/share/doc/zorvane-fx/guide-reading-bios.md usr/share/doc/zorvane-fx/guide-before-you-flash.md \
            usr/share/doc/zorvane-fx/structure.md usr/share/doc/zorvane-fx/README.md \
            usr/share/doc/zorvane-fx/LICENSE; do
    [ -e "$root/$path" ] || fail "$path is missing"
done
"$root/usr/bin/zorvane-fx-cli" --version
"$root/usr/bin/zorvane-fx-cli" info "$sample" >/dev/null
# The relocated program finds its guides beside itself, not in the tree it was built from.
guides=$("$root/usr/bin/zorvane-fx" --guides)
echo "$guides"
grep -q "^file://$root/usr/share/doc/zorvane-fx/guide-reading-bios.md$" <<<"$guides" ||
    fail "the relocated program does not use its own guides"

echo "== MIME type"
# The type takes .rom files and images that start with 55 AA, never .bin or all binary data; the
# desktop entry offers the editor for it.
mimeRoot="$root/mime-check"
mkdir -p "$mimeRoot/packages"
cp "$root/usr/share/mime/packages/org.zorvane.ZorvaneFX.xml" "$mimeRoot/packages/"
update-mime-database "$mimeRoot"
grep -q '^40:application/x-nvidia-video-bios:[*][.]rom$' "$mimeRoot/globs2" || fail "no *.rom glob"
if grep -q 'x-nvidia-video-bios:[*][.]bin' "$mimeRoot/globs2"; then fail "the type claims .bin files"; fi
grep -aq 'application/x-nvidia-video-bios' "$mimeRoot/magic" || fail "no 55 AA magic"
grep -q '^MimeType=application/x-nvidia-video-bios;$' "$root/usr/share/applications/org.zorvane.ZorvaneFX.desktop" ||
    fail "the desktop entry names no MIME type"

echo "== installed"
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "./$deb"
trap '$SUDO apt-get remove -y -q zorvane-fx >/dev/null || true; rm -rf "$root"' EXIT
zorvane-fx-cli --version
zorvane-fx-cli info "$sample"
zorvane-fx --version
zorvane-fx --guides | grep -q '^file:///usr/share/doc/zorvane-fx/guide-flashing-bios.md$' ||
    fail "the installed program does not use the installed guides"
man -w zorvane-fx-cli >/dev/null
bash -c 'source /usr/share/bash-completion/completions/zorvane-fx-cli && complete -p zorvane-fx-cli' >/dev/null
desktop-file-validate /usr/share/applications/org.zorvane.ZorvaneFX.desktop
# The package's trigger put the type into the system's database.
grep -q 'application/x-nvidia-video-bios:[*][.]rom' /usr/share/mime/globs2 || fail "the type was not registered"
appstreamcli validate --no-net /usr/share/metainfo/org.zorvane.ZorvaneFX.metainfo.xml

echo "== removed"
$SUDO apt-get remove -y -q zorvane-fx
trap 'rm -rf "$root"' EXIT
[ ! -e /usr/bin/zorvane-fx ] || fail "the program stayed after removal"
echo "package check: passed"
