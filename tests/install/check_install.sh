#!/bin/sh
# Installs the build tree into a fresh prefix: every file where it belongs, the help document's
# pictures and the browser extension included, the browsers' host manifests naming the host; the
# launcher passes desktop-file-validate, and the metadata, launcher and icon agree
# (appstreamcli validate-tree).
# The module that joins streams sits where the programs look for it: REMUX_DIR from their folder.
# Usage: check_install.sh CMAKE BUILD_DIR gui|cli REMUX_DIR  (cli: built without Qt)
set -eu
cmake=$1 build=$2 front=$3 remux=$4
prefix=$(mktemp -d "${TMPDIR:-/tmp}/vidtrawl-install-XXXXXX")
trap 'rm -rf "$prefix"' EXIT
"$cmake" --install "$build" --prefix "$prefix" >/dev/null

files="bin/vidtrawl-cli share/man/man1/vidtrawl-cli.1.gz share/man/man1/vidtrawl.1.gz
  share/vidtrawl/movie/Main.qml share/vidtrawl/movie/qmldir share/vidtrawl/vidtrawl.svg share/vidtrawl/help.html
  share/applications/vidtrawl.desktop share/icons/hicolor/scalable/apps/vidtrawl.svg
  share/metainfo/org.example.vidtrawl.metainfo.xml"
[ "$front" = gui ] && files="$files bin/vidtrawl"
# The browser extension, its host and the browsers' manifests (under the prefix: only an install
# into /usr puts them in /etc), each naming the installed host.
hosts="etc/chromium/native-messaging-hosts etc/opt/chrome/native-messaging-hosts
  lib/mozilla/native-messaging-hosts"
files="$files bin/vidtrawl-browser-host share/vidtrawl/extension/manifest.json
  share/vidtrawl/extension/background.js share/vidtrawl/extension/icons/vidtrawl-128.png"
files="$files bin/$remux/vidtrawl-remux.so"
# Every picture the help document shows.
images=$(grep -o 'src="[^"]*"' "$prefix/share/vidtrawl/help.html" 2>/dev/null | sed 's/^src="//; s/"$//') || true
for image in $images; do
  files="$files share/vidtrawl/$image"
done

missing=0
for file in $files; do
  [ -s "$prefix/$file" ] || { echo "not installed: $file" >&2; missing=1; }
done
for program in vidtrawl-cli vidtrawl vidtrawl-browser-host; do
  [ ! -e "$prefix/bin/$program" ] || [ -x "$prefix/bin/$program" ] ||
    { echo "not executable: bin/$program" >&2; missing=1; }
done
for folder in $hosts; do
  grep -qs "\"path\": \"$prefix/bin/vidtrawl-browser-host\"" "$prefix/$folder/org.example.vidtrawl.json" ||
    { echo "$folder: no manifest naming $prefix/bin/vidtrawl-browser-host" >&2; missing=1; }
done
# The launcher is valid, and the metadata, the launcher it names and the icon agree as installed.
if command -v desktop-file-validate >/dev/null && command -v appstreamcli >/dev/null; then
  desktop-file-validate "$prefix/share/applications/vidtrawl.desktop" >&2 || missing=1
  appstreamcli validate-tree --no-net "$prefix" >&2 || missing=1
else
  echo "desktop-file-validate or appstreamcli not found: the launcher and metadata are not checked" >&2
fi
exit $missing
