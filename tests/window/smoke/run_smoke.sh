#!/usr/bin/env bash
# End-to-end smoke test: the real velmora under a virtual X server, with its own D-Bus session
# and accessibility bus, driven through AT-SPI. Two files are named on its command line with
# --extended and two jobs stored, so the test converts them from the File menu side by side,
# checks the outputs with mutagen and that "EXit" stores "Forint" and keeps the face. Between
# the two, a settings dialog choice and a title typed in the tag editor must reach a second
# conversion (drive_dialogs.py), and a folder added through the pop-up's "Add Folder" lists
# its files.  run_smoke.sh VELMORA_BINARY
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
SKIP=77

command -v xvfb-run >/dev/null || { echo "SKIP: xvfb-run is missing (scripts/install-deps.sh installs it)"; exit $SKIP; }
command -v dbus-run-session >/dev/null || { echo "SKIP: dbus-run-session is missing"; exit $SKIP; }
launcher=/usr/libexec/at-spi-bus-launcher
[ -x "$launcher" ] || { echo "SKIP: at-spi-bus-launcher is missing"; exit $SKIP; }
/usr/bin/python3 -c "import pyatspi, mutagen" 2>/dev/null || { echo "SKIP: python3-pyatspi or python3-mutagen is missing"; exit $SKIP; }

velmora=$(readlink -f "$1")
work=$(mktemp -d)
chmod 700 "$work"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/config" "$work/out"
ffmpeg -nostdin -loglevel error -f lavfi -i "sine=frequency=440:duration=2" -ac 2 \
  -c:a libmp3lame -b:a 128k -metadata title="Smoke Title" -metadata artist="Smoke Band" "$work/tagged.mp3"
ffmpeg -nostdin -loglevel error -f lavfi -i "sine=frequency=660:duration=1" -ac 1 "$work/plain.wav"
mkdir -p "$work/library/disc"
ffmpeg -nostdin -loglevel error -f lavfi -i "sine=frequency=330:duration=1" "$work/library/disc/one.wav"
ffmpeg -nostdin -loglevel error -f lavfi -i "sine=frequency=550:duration=1" "$work/library/two.wav"
echo "not audio" > "$work/library/notes.txt"
printf '[Format]\r\nDir=%s\r\n[Velmora]\r\njobs=2\r\n' "$work/out" > "$work/config/kelvane.ini"

cat > "$work/session.sh" <<INNER
set -eu
export VELMORA_CONFIG_DIR="$work/config" QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1
export QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$work"
# Leaks inside the desktop libraries would fail a sanitizer build here; the headless window
# tests check our own code for leaks.
export ASAN_OPTIONS="\${ASAN_OPTIONS:-}:detect_leaks=0"
# Several virtual X servers may start at once on a shared machine; wait until ours answers.
for _ in \$(seq 100); do xwd -root -silent >/dev/null 2>&1 && break; sleep 0.1; done
$launcher --launch-immediately &
launcher_pid=\$!
"$velmora" --extended "$work/tagged.mp3" "$work/plain.wav" > "$work/velmora.log" 2>&1 &
velmora_pid=\$!
status=0
/usr/bin/python3 "$here/drive_window.py" check "$work/out" "$work/library" "$work/tagged.mp3" "$work/plain.wav" || status=\$?
# Gone from the desktop's list, the window may still be saving and freeing (slowly, under a
# sanitizer): it gets 30 s to end.
for _ in \$(seq 300); do kill -0 \$velmora_pid 2>/dev/null || break; sleep 0.1; done
if kill -0 \$velmora_pid 2>/dev/null; then echo "velmora still running"; kill \$velmora_pid; status=1; fi
wait \$velmora_pid || { echo "velmora exit status \$?"; status=1; }
kill \$launcher_pid 2>/dev/null || true
exit \$status
INNER
# xvfb-run -a can lose a race for a display number to another X server starting at the same
# moment; the program then cannot connect. That, and only that, is tried again.
for attempt in 1 2 3; do
  if timeout 240 xvfb-run -a -s "-screen 0 1024x768x24" dbus-run-session -- bash "$work/session.sh"; then
    break
  fi
  if [ $attempt -lt 3 ] && grep -q "could not connect to display" "$work/velmora.log" 2>/dev/null; then
    echo "no display this time; again"; rm -rf "$work/out"/*; continue
  fi
  echo "FAILED; velmora said:"; cat "$work/velmora.log" 2>/dev/null || true
  exit 1
done

/usr/bin/python3 - "$work" <<'CHECK'
import sys, mutagen
work = sys.argv[1]
tagged = mutagen.File(f"{work}/out/tagged.mp3")
assert tagged is not None and tagged.tags is not None, "tagged.mp3 has no tags"
assert str(tagged.tags["TIT2"]) == "Smoke Title", tagged.tags.get("TIT2")
assert str(tagged.tags["TPE1"]) == "Smoke Band", tagged.tags.get("TPE1")
plain = mutagen.File(f"{work}/out/plain.mp3")
assert plain is not None and plain.info.length > 0.5, "plain.mp3 is not audio"
ini = open(f"{work}/config/kelvane.ini", encoding="latin-1").read()
assert "Forint=3" in ini, ini  # the dialogs part ends on OGG
assert "face=extended" in ini, ini  # kept for the next start
print("outputs tagged, Forint and the face stored")
CHECK
echo "PASSED"
