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

# Starts the window with VELMORA_BENCH=MODE on FILES, its output in $WORK/window.log, and sets
# WINDOW_PID.
start_window() {  # MODE FILES...
  : >"$WORK/window.log"
  VELMORA_BENCH=$1 "$VELMORA" "${@:2}" >"$WORK/window.log" 2>&1 &
  WINDOW_PID=$!
}

# Returns once the window has printed a line starting with TEXT.
wait_for_window() {  # TEXT
  until grep -q "^$1" "$WORK/window.log"; do
    kill -0 "$WINDOW_PID" 2>/dev/null || { echo "velmora ended early: $(cat "$WORK/window.log")" >&2; exit 1; }
    sleep 0.01
  done
}
