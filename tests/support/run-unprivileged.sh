#!/bin/sh
# run-unprivileged.sh PROGRAM [ARGS...]: runs a test program as the unprivileged user "nobody"
# when started by root, so that tests of refused writes (read-only files and folders, which
# root may write anyway) really run in CI, where everything runs as root. The program is
# copied to a fresh folder first: the build tree may lie below a folder "nobody" cannot enter.
# Run by anyone else, the program runs as it is.
set -eu
if [ "$(id -u)" != 0 ]; then exec "$@"; fi
program=$1; shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$program" "$work/"
chmod 755 "$work" "$work/$(basename "$program")"
cd "$work"
TMPDIR=/tmp setpriv --reuid=nobody --regid=nogroup --clear-groups --inh-caps=-all \
  "$work/$(basename "$program")" "$@"
