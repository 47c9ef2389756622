#!/usr/bin/env bash
# An install into a DESTDIR puts the program, its launcher, its AppStream description and its
# icons there, and writes nothing outside it: not into the prefix, not into the build tree
# (CMake's own install_manifest.txt aside). The installed program runs from where it landed.
set -euo pipefail

build=$(cd "$1" && pwd)
prefix=/opt/zintraradio-install-check
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
stage=$work/stage
touch "$work/before"

DESTDIR=$stage cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 || {
  cat "$work/install.log"
  exit 1
}

fail() {
  echo "install-into-destdir: $*" >&2
  exit 1
}

[ ! -e "$prefix" ] || fail "wrote into the prefix $prefix itself"
written=$(find "$build" -newer "$work/before" -not -path "$build/tests/*" -not -path "$build/Testing/*" \
  -not -name 'install_manifest*.txt' -not -type d)
[ -z "$written" ] || fail "wrote into the build tree: $written"

root=$stage$prefix
for file in bin/zintraradio share/applications/zintraradio.desktop \
  share/metainfo/org.zintraradio.ZintraRadio.metainfo.xml \
  share/icons/hicolor/16x16/apps/zintraradio.png share/icons/hicolor/512x512@2/apps/zintraradio.png; do
  [ -s "$root/$file" ] || fail "missing $file"
done
[ ! -e "$root/share/icons/hicolor/.zintraradio-export" ] || fail "left its icon export folder behind"
desktop-file-validate "$root/share/applications/zintraradio.desktop"
appstreamcli validate --no-net "$root/share/metainfo/org.zintraradio.ZintraRadio.metainfo.xml" >/dev/null

# The installed program finds its libraries (if any) where it was installed.
env -u DISPLAY -u WAYLAND_DISPLAY ZINTRARADIO_EXPORT_APPICON="$work/icons" "$root/bin/zintraradio"
[ -s "$work/icons/icon_256x256.png" ] || fail "the installed program did not run"
