#!/bin/sh
# Checks the project's shell scripts as a fresh Debian 12 runs them, where
# /bin/sh is dash: each parses under its own shell, and every script that the
# README or a script starts with `sh` is a POSIX sh script (a bash one would
# stop at its first bash-only line). Exits 1 naming each fault.
cd "$(dirname "$0")/.."
SCRIPTS="scripts/*.sh bench/*.sh cmake/*.sh tests/dvd/*.sh tests/cli/*.sh tests/gui_win32/*.sh .ci/run"
status=0
for f in $SCRIPTS; do
  case $(head -n 1 "$f") in
    '#!/bin/bash'*) shell=bash ;;
    '#!/bin/sh'*) shell=sh ;;
    *) echo "check-scripts: $f starts with no #!/bin/sh or #!/bin/bash line" >&2; status=1; continue ;;
  esac
  if ! $shell -n "$f"; then
    echo "check-scripts: $f does not parse under $shell" >&2
    status=1
  fi
done
# shellcheck disable=SC2086
for started in $(grep -h -o -E '(^|[^a-z])sh +[A-Za-z0-9_./-]+\.sh' README.md $SCRIPTS | sed -E 's/.*sh +//' | sort -u); do
  [ -f "$started" ] || continue
  case $(head -n 1 "$started") in
    '#!/bin/sh'*) ;;
    *) echo "check-scripts: $started is started with sh but is a bash script" >&2; status=1 ;;
  esac
done
exit $status
