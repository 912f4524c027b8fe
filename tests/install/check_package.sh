#!/bin/sh
# Builds the Debian package, unpacks it into a fresh root and runs the offline demo of the
# vidtrawl-cli it holds; lintian (when there) may warn but finds no error.
# Usage: check_package.sh CPACK BUILD_DIR
set -eu
cpack=$1 build=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/vidtrawl-package-XXXXXX")
trap 'rm -rf "$work"' EXIT
"$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >/dev/null
deb=$(ls "$work"/out/vidtrawl_*.deb)
dpkg-deb -x "$deb" "$work/root"
for file in usr/bin/vidtrawl usr/bin/vidtrawl-cli usr/share/vidtrawl/movie/Main.qml \
  usr/share/doc/vidtrawl/copyright usr/share/man/man1/vidtrawl-cli.1.gz \
  usr/bin/vidtrawl-browser-host usr/share/vidtrawl/extension/manifest.json \
  etc/chromium/native-messaging-hosts/org.example.vidtrawl.json \
  etc/opt/chrome/native-messaging-hosts/org.example.vidtrawl.json \
  usr/lib/mozilla/native-messaging-hosts/org.example.vidtrawl.json; do
  [ -s "$work/root/$file" ] || { echo "not in the package: $file" >&2; exit 1; }
done
HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_CACHE_HOME=$work/home/.cache \
  "$work/root/usr/bin/vidtrawl-cli" --demo --quiet --dir "$work/demo"
[ "$(ls "$work/demo" | wc -l)" -ge 12 ] || { echo "the demo downloaded too little" >&2; exit 1; }
if command -v lintian >/dev/null; then
  # (As root it says it should not be, which is no tag of the package's.)
  lintian "$deb" >"$work/lintian.txt" 2>&1 || true
  if grep -q '^E:' "$work/lintian.txt"; then
    cat "$work/lintian.txt" >&2
    exit 1
  fi
fi
