#!/bin/sh
# The Debian package as a user gets it: builds it with CPack from a Linux
# build (default build; dependencies by dpkg-shlibdeps), checks its
# desktop entry with desktop-file-validate, installs it on this machine
# (dpkg -i, then apt-get install -f for what it depends on), starts both
# programs from /usr/bin and removes it again. As root; scripts/test.sh runs
# it after the suite.
#   sh scripts/test-package.sh [BUILD]
set -e
cd "$(dirname "$0")/.."
build=${1:-build}
rm -f "$build"/kestrune_*.deb
(cd "$build" && cpack -G DEB > cpack-deb.log 2>&1) || {
  cat "$build/cpack-deb.log" >&2
  exit 1
}
deb=$(ls "$build"/kestrune_*.deb)
echo "test-package: $deb"

fail() {
  echo "test-package: $*" >&2
  dpkg -r kestrune > /dev/null 2>&1 || true
  exit 1
}

contents=$(dpkg-deb -c "$deb")
for file in ./usr/bin/kestrune ./usr/bin/kestrune-cli ./usr/share/applications/kestrune.desktop \
  ./usr/share/icons/hicolor/48x48/apps/kestrune.xpm; do
  printf '%s\n' "$contents" | grep -q " $file\$" || fail "the package holds no $file"
done
depends=$(dpkg-deb -f "$deb" Depends)
printf '%s\n' "$depends" | grep -q 'libqt6widgets6' || fail "Depends names no Qt: $depends"

export DEBIAN_FRONTEND=noninteractive
dpkg -i "$deb" > /dev/null || apt-get install -y -f -o DPkg::Lock::Timeout=120 > /dev/null ||
  fail "could not install $deb"
desktop-file-validate /usr/share/applications/kestrune.desktop || fail "the desktop entry is not valid"

version=$(/usr/bin/kestrune-cli --version) || fail "kestrune-cli --version failed"
[ "$version" = "0.9.5" ] || fail "kestrune-cli --version said: $version"
# The window on Qt's offscreen platform, on a folder that does not exist: it
# must still be running (its event loop) when it is stopped after 3 seconds.
status=0
QT_QPA_PLATFORM=offscreen timeout 3 /usr/bin/kestrune /no/such/folder/ 2> "$build/kestrune-package.err" || status=$?
[ "$status" = 124 ] || fail "kestrune ended by itself with status $status: $(cat "$build/kestrune-package.err")"

dpkg -r kestrune > /dev/null
[ ! -e /usr/bin/kestrune ] || fail "dpkg -r left /usr/bin/kestrune"
echo "test-package: installed, started kestrune and kestrune-cli ($version), removed; Depends: $depends"
