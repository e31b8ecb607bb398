#!/bin/bash
# Authors a small demo disc, BUILDDIR/demo/VIDEO_TS, to try Kestrune on:
#   scripts/make-demo.sh BUILDDIR
# Needs dvdauthor and ffmpeg (scripts/install-deps.sh). A demo folder that is
# already there is left as it is, blanked or not: remove BUILDDIR/demo for a
# fresh one.
set -euo pipefail

if [ $# -ne 1 ]; then
  echo "usage: $0 BUILDDIR" >&2
  exit 2
fi
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
demo="$1/demo/VIDEO_TS"
if [ -d "$demo" ]; then
  echo "demo disc already there: $demo"
  exit 0
fi
bash "$here/../tests/dvd/make_fixtures.sh" "$1" demo >/dev/null
echo "demo disc: $(cd "$demo" && pwd)"
