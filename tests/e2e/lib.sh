# Shared by the end-to-end scripts: a display of their own, the Wine runner
# for their prefix, the probe, and polling. The script sets `prefix`,
# `source` (the source tree) and `probe` (the probe program) first.

work=$(mktemp -d)
xvfb_pid=""

cleanup() {
  WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }
step() { echo "--- $*"; }

# A display of our own, the size of the Wine desktop.
fifo=$work/displayfd
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
xvfb_pid=$!
read -r display_number <"$fifo"
export DISPLAY=":$display_number"

wine_run() { "$source/tools/wine-run" --prefix "$prefix" "$@"; }
probe() { wine_run "$probe" "$@" | tr -d '\r'; }
winpath() { echo "Z:${1//\//\\}"; }

# Polls a command until it succeeds; fails the test after the timeout.
wait_for() {
  local seconds=$1 what=$2
  shift 2
  local deadline=$((SECONDS + seconds))
  until "$@"; do
    [ $SECONDS -lt $deadline ] || fail "timed out waiting for $what"
    sleep 0.3
  done
}
