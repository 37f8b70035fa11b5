# Sourced by the window benchmarks with BUILD set (absolute): checks that velmora and
# velmora-convert are built, runs the calling script again under a virtual X server, and makes
# WORK, a scratch folder removed at the end, with its own settings folder.
CONVERT=$BUILD/src/app/cli/velmora-convert
VELMORA=$BUILD/src/app/window/velmora
for program in "$CONVERT" "$VELMORA"; do
  [ -x "$program" ] || { echo "build velmora and velmora-convert first ($program)" >&2; exit 1; }
done
if [ "${VELMORA_INSIDE_X:-}" != 1 ]; then
  exec env VELMORA_INSIDE_X=1 xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$BUILD"
fi
# Several virtual X servers may start at once on a shared machine; wait until ours answers.
for _ in $(seq 100); do xwd -root -silent >/dev/null 2>&1 && break; sleep 0.1; done

WORK=$(mktemp -d "${TMPDIR:-/tmp}/velmora-$(basename "$0" .sh).XXXXXX")
trap 'rm -rf "$WORK"' EXIT
trap 'exit 130' INT TERM
export VELMORA_CONFIG_DIR=$WORK/config
mkdir -p "$VELMORA_CONFIG_DIR"

now() { date +%s.%N; }
seconds() { awk "BEGIN{printf \"%.2f\", $2 - $1}"; }

# Starts the window with VELMORA_BENCH=MODE on FILES and sets WINDOW_PID. Its output comes
# through a pipe on descriptor 3; what wait_for_window has read of it is in $WORK/window.log.
start_window() {  # MODE FILES...
  : >"$WORK/window.log"
  rm -f "$WORK/window.fifo" && mkfifo "$WORK/window.fifo"
  VELMORA_BENCH=$1 "$VELMORA" "${@:2}" >"$WORK/window.fifo" 2>"$WORK/window.err" &
  WINDOW_PID=$!
  exec 3<"$WORK/window.fifo"
}

# Returns once the window has printed a line starting with TEXT. The read waits on the pipe:
# looking at a log file every few milliseconds would take processor time from the window
# being timed.
wait_for_window() {  # TEXT
  local line
  while IFS= read -r line <&3; do
    echo "$line" >>"$WORK/window.log"
    [[ $line == "$1"* ]] && return 0
  done
  echo "velmora ended early: $(cat "$WORK/window.log" "$WORK/window.err")" >&2
  exit 1
}

# After the window has ended or been stopped.
stop_reading_window() { exec 3<&-; }
