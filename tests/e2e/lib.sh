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

# --- The program's desktop, its controls, its tray icon and its menus ---

# Every program of the prefix runs in the desktop "shell", which has a
# taskbar with a notification area at the bottom right.
use_shell_desktop() {
  wine_run reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d shell /f >/dev/null
  wine_run reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /d 1024x768 /f >/dev/null
}

# Starts Brindleway.exe from FOLDER in the background; app_pid is its runner.
app_pid=""
start_program() {
  (cd "$1" && wine_run Brindleway.exe) &
  app_pid=$!
}
app_ended() { ! kill -0 "$app_pid" 2>/dev/null; }
running() { [ "$(probe mutex)" = running ]; }
window_visible() { [ "$(probe window | cut -d' ' -f1)" = visible ]; }
window_hidden() { [ "$(probe window | cut -d' ' -f1)" = hidden ]; }

# The screen rectangle of control ID of the dialog that has control ANCHOR.
ctl_l=0 ctl_t=0 ctl_r=0 ctl_b=0
control_rect() {
  local answer
  answer=$(probe control "$1" "$2")
  [ "$answer" != none ] || return 1
  read -r ctl_l ctl_t ctl_r ctl_b _ <<<"$answer"
}
click_control() {
  control_rect "$1" "$2" || fail "no control $2 in the dialog with control $1"
  xdotool mousemove $(((ctl_l + ctl_r) / 2)) $(((ctl_t + ctl_b) / 2)) click 1
}
# A control's text, in UTF-8.
control_text() { probe text "$1" "$2" | iconv -f CP932 -t UTF-8; }

# The tray icon is the first in the notification area: the rightmost cell of
# the taskbar, 20 pixels wide.
icon_x=0 icon_y=0
locate_icon() {
  local l t r b
  read -r l t r b < <(probe tray)
  [ "$l" != none ] || return 1
  icon_x=$((r - 10)) icon_y=$(((t + b) / 2))
}
icon_colours() {
  import -window root -crop "16x16+$((icon_x - 8))+$((icon_y - 8))" -format %k info: 2>/dev/null
}
icon_shown() { [ "$(icon_colours)" -gt 1 ]; }
icon_gone() { [ "$(icon_colours)" -eq 1 ]; }

# The popup menus on screen ("L T R B" each); menus_shown COUNT tests for
# exactly COUNT of them.
menu_rects=()
menus_shown() {
  mapfile -t menu_rects < <(probe menus)
  [ ${#menu_rects[@]} -eq "$1" ]
}
menus_closed() { menus_shown 0; }
# Exactly COUNT menus on screen, one of them none of the KNOWN rectangles:
# that one goes to new_l new_t new_r new_b.
new_l=0 new_t=0 new_r=0 new_b=0
new_menu_among() {
  local count=$1 rect known
  shift
  menus_shown "$count" || return 1
  for rect in "${menu_rects[@]}"; do
    for known in "$@"; do
      [ "$rect" != "$known" ] || continue 2
    done
    read -r new_l new_t new_r new_b <<<"$rect"
    return 0
  done
  return 1
}
# The middle of item INDEX (from 0) of a menu of COUNT items of equal height
# whose rectangle is "L T R B": its borders are far thinner than an item, so
# the share of the height hits the item.
menu_item_x() { local l t r b; read -r l t r b <<<"$1"; echo $((l + 40)); }
menu_item_y() {
  local l t r b
  read -r l t r b <<<"$1"
  echo $((t + (b - t) * (2 * $2 + 1) / (2 * $3)))
}

# Saves a screenshot as NAME in BRINDLEWAY_SHOT_DIR, when that is set.
screenshot() {
  [ -n "${BRINDLEWAY_SHOT_DIR:-}" ] || return 0
  mkdir -p "$BRINDLEWAY_SHOT_DIR"
  import -window root "$BRINDLEWAY_SHOT_DIR/$1"
}

# The records of data file FILE as "kind parent id name|path", one a line,
# after a check of its checksum; names and paths in UTF-8.
data_records_with_paths() {
  python3 - "$1" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
check = 0
for b in data[1:]:
    check ^= b
if check != data[0]:
    sys.exit("checksum mismatch")
version, count = struct.unpack_from("<ii", data, 1)
pos = 9
for _ in range(count):
    kind, ident, parent, name_len = struct.unpack_from("<iiii", data, pos)
    pos += 16
    name = data[pos:pos + name_len].decode("cp932")
    pos += name_len + 1
    (path_len,) = struct.unpack_from("<i", data, pos)
    pos += 4
    path = data[pos:pos + path_len].decode("cp932")
    pos += path_len + 1
    print(f"{kind} {parent} {ident} {name}|{path}")
PY
}

# Tests of a dialog control for polling: its text, its number of items.
text_is() { [ "$(control_text "$1" "$2")" = "$3" ]; }
count_is() { [ "$(probe count "$1" "$2")" = "$3" ]; }
