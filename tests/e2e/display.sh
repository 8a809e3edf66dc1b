# A scratch folder and an X display of their own for the scripts that run
# Wine programs unattended (the end-to-end tests, the benchmark). The script
# sets `prefix` (its Wine prefix) before sourcing this; at its exit the
# prefix's wineserver ends, the display goes and the folder is removed.

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

# Starts an Xvfb the size of the Wine desktop on a display number nobody
# uses (the server picks it and reports it) and points DISPLAY at it.
start_own_display() {
  local fifo=$work/displayfd display_number
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  xvfb_pid=$!
  read -r display_number <"$fifo"
  export DISPLAY=":$display_number"
}
