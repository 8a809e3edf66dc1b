# Shared by the end-to-end scripts: a display of their own, the Wine runner
# for their prefix, the probe, and polling. The script sets `prefix`,
# `source` (the source tree) and `probe` (the probe program) first.

source "$(dirname "${BASH_SOURCE[0]}")/display.sh"
start_own_display

step() { echo "--- $*"; }

# A failure says why, lists the windows on the desktop as they were and,
# when the script names `failure_shot` and BRINDLEWAY_SHOT_DIR is set,
# leaves that screenshot of the desktop.
failure_shot=""
fail() {
  [ -z "$failure_shot" ] || screenshot "$failure_shot" 2>/dev/null || true
  echo "FAIL: $*" >&2
  echo "windows on the desktop:" >&2
  probe windows 2>/dev/null | iconv -f CP932 -t UTF-8 >&2 || true
  exit 1
}

# A screenshot of the desktop under the given name, when BRINDLEWAY_SHOT_DIR
# is set.
screenshot() {
  [ -n "${BRINDLEWAY_SHOT_DIR:-}" ] || return 0
  mkdir -p "$BRINDLEWAY_SHOT_DIR"
  import -window root "$BRINDLEWAY_SHOT_DIR/$1"
}

wine_run() { "$source/tools/wine-run" --prefix "$prefix" "$@"; }
probe() { wine_run "$probe" "$@" | tr -d '\r'; }
winpath() { echo "Z:${1//\//\\}"; }

# Polls a command until it succeeds, for at most SECONDS; answers whether
# it did.
poll() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.3
  done
}
# Polls a command until it succeeds; fails the test after the timeout.
wait_for() {
  local seconds=$1 what=$2
  shift 2
  poll "$seconds" "$@" || fail "timed out waiting for $what"
}

# ---------------------------------------------------------------------------
# The program in the Wine desktop "shell": its folder, its tray icon, its
# menus, windows and dialogs as the probe sees them, and its data file.
# These use `program` (Brindleway.exe, with Brindleway.chm beside it) and,
# for seeding, `seed`.

# Every program of the prefix runs in the desktop "shell", which has a
# taskbar with a notification area at the bottom right.
use_shell_desktop() {
  wine_run reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d shell /f >/dev/null
  wine_run reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /d 1024x768 /f >/dev/null
}

# A folder holding the program, its help file and the seeded table (the
# marker program as its launch target); the settings file is left out, so
# the first start shows the settings window.
#   prepare_folder DIR MARKER_EXE [more|full]
prepare_folder() {
  local dir=$1 marker=$2
  mkdir -p "$dir"
  cp "$program" "$dir/Brindleway.exe"
  cp "$(dirname "$program")/Brindleway.chm" "$dir/Brindleway.chm"
  cp "$marker" "$dir/marker.exe"
  wine_run "$seed" "$(winpath "$dir")" "$(winpath "$dir")\\marker.exe" ${3:+"$3"}
  rm -f "$dir/Brindleway.ini"
  [ -f "$dir/Brindleway.bwz" ] || fail "no data file was prepared in $dir"
}

# Starts Brindleway.exe from FOLDER in the background; app_pid is its runner.
app_pid=""
start_program() {
  (cd "$1" && wine_run Brindleway.exe) &
  app_pid=$!
}
program_ended() { ! kill -0 "$app_pid" 2>/dev/null; }
running() { [ "$(probe mutex)" = running ]; }

# The settings window: "visible|hidden normal|iconic enabled|disabled" and
# its rectangle, or "none".
settings_state() { probe settings; }
settings_in_state() { [[ "$(settings_state)" == "$1 "* ]]; }
settings_l=0 settings_t=0 settings_r=0 settings_b=0 settings_focus=""
read_settings_rect() {
  read -r _ _ _ settings_l settings_t settings_r settings_b settings_focus < <(settings_state)
}
# The settings window stands centred in the work area (within 2 pixels);
# where not, both rectangles are printed.
settings_centred() {
  local wl wt wr wb dx dy
  read_settings_rect
  read -r wl wt wr wb < <(probe workarea)
  dx=$(((settings_l + settings_r) - (wl + wr))) dy=$(((settings_t + settings_b) - (wt + wb)))
  [ ${dx#-} -le 2 ] && [ ${dy#-} -le 2 ] && return 0
  echo "the window ($settings_l $settings_t $settings_r $settings_b)" \
    "is not in the middle of the work area ($wl $wt $wr $wb)" >&2
  return 1
}
settings_in_foreground() { [[ "$(settings_state)" == *" foreground" ]]; }
# A click on the caption brings the window to the foreground, as the user
# does before using it after another program had the focus (with "always",
# also when the window seems to have it: a program started from the tray
# may have taken the keyboard for a moment). The window's rectangle is read
# on the way.
bring_settings_forward() {
  read_settings_rect
  [ "$settings_focus" != foreground ] || [ "${1:-}" = always ] || return 0
  xdotool mousemove $(((settings_l + settings_r) / 2)) $((settings_t + 12)) click 1
  wait_for 10 "the settings window in the foreground" settings_in_foreground
}

# The tray icon is the first in the notification area: the rightmost cell
# of the taskbar, 20 pixels wide.
tray_x=0 tray_y=0
find_tray_icon() {
  local l t r b
  read -r l t r b < <(probe tray)
  [ "$l" != none ] || return 1
  tray_x=$((r - 10)) tray_y=$(((t + b) / 2))
}
# The number of colours in a 16-pixel square at X Y: one where the taskbar
# is empty.
colours_at() {
  import -window root -crop "16x16+$(($1 - 8))+$(($2 - 8))" -format %k info: 2>/dev/null
}
tray_icon_shown() { [ "$(colours_at "$tray_x" "$tray_y")" -gt 1 ]; }
tray_icon_gone() { [ "$(colours_at "$tray_x" "$tray_y")" -eq 1 ]; }

# The popup menus on screen ("L T R B" each, an open submenu being a menu of
# its own); menus_shown COUNT tests for exactly COUNT of them.
menu_rects=()
menus_shown() {
  mapfile -t menu_rects < <(probe menus)
  [ ${#menu_rects[@]} -eq "$1" ]
}
menus_closed() { menus_shown 0; }
# Exactly COUNT menus on screen, one of them none of the KNOWN rectangles:
# that one goes to menu_l menu_t menu_r menu_b, and whole to menu_rect.
#   new_menu_among COUNT [KNOWN...]
menu_l=0 menu_t=0 menu_r=0 menu_b=0 menu_rect=""
new_menu_among() {
  local count=$1 rect known
  shift
  menus_shown "$count" || return 1
  for rect in "${menu_rects[@]}"; do
    for known in "$@"; do
      [ "$rect" != "$known" ] || continue 2
    done
    menu_rect=$rect
    read -r menu_l menu_t menu_r menu_b <<<"$rect"
    return 0
  done
  return 1
}
# Opens a tray menu with a click of BUTTON (1 left, 3 right) on the icon; its
# rectangle goes to menu_l.. and menu_rect. The desktop loses a click on the
# icon now and then (seen right after another window had opened): when no
# menu has come a few seconds after a click, and the probe still finds none
# open, the click is made again, three clicks at the most. A menu that is
# merely slow is shown by then, and no second click closes it.
open_tray_menu() {
  local button=$1 click
  for click in 1 2 3; do
    step "tray icon: click $click with button $button"
    xdotool mousemove "$tray_x" "$tray_y" click "$button"
    poll 6 new_menu_among 1 && return 0
    # A menu that came just now, or more than one: the click was not lost.
    if ! menus_closed; then
      wait_for 10 "the one menu from the tray icon" new_menu_among 1
      return 0
    fi
  done
  fail "timed out waiting for a menu from the tray icon, after three clicks"
}
# A click on the desktop's top left corner, away from every window the
# journeys open, closes the menus.
close_menus() {
  xdotool mousemove 4 4 click 1
  wait_for 10 "the menus to close" menus_closed
}
# The height of the menu a click of BUTTON on the tray icon opens, in
# menu_height; the menu is closed again.
menu_height=0
tray_menu_height() {
  open_tray_menu "$1"
  menu_height=$((menu_b - menu_t))
  close_menus
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
# Menus drawn by the system, measured in the prefix the tests use: 3 pixels
# of border at the top and bottom, 17 per text item, 9 per separator.
readonly menu_border=3 menu_text_item=17 menu_separator=9
# The system menu without shell-folder shortcuts ends with "設定(&S)...",
# "バーション情報(&A)...", "ヘルプ(&H)...", a separator and "終了(&X)";
# these are the centres of those items counted from the menu's bottom.
system_item_y() {
  local bottom=$((menu_b - menu_border))
  case $1 in
    exit) echo $((bottom - menu_text_item / 2)) ;;
    help) echo $((bottom - menu_text_item - menu_separator - menu_text_item / 2)) ;;
    about) echo $((bottom - 2 * menu_text_item - menu_separator - menu_text_item / 2)) ;;
    settings) echo $((bottom - 3 * menu_text_item - menu_separator - menu_text_item / 2)) ;;
  esac
}
# Chooses ITEM (settings, about, help or exit) in the system menu that a
# click of BUTTON on the tray icon opens.
system_menu_command() {
  open_tray_menu "$1"
  xdotool mousemove $((menu_l + 40)) "$(system_item_y "$2")" click 1
  wait_for 10 "the system menu to close" menus_closed
}

# The menu bar under the settings window's caption, used with the mouse:
# a click on the title "設定(&S)" opens its menu, and moving to another
# title while it is open opens that one instead. Measured in the prefix the
# tests use: the titles' middles 20 and 86 pixels from the window's left
# edge, and "ヘルプ(&H)" 36 pixels from its right edge. An item is named by its mnemonic; the
# layouts give the items and separators ("-") of each popup, top down.
readonly -a menu_bar_layouts=("o c - x" "i e d - u w - o" "c s i - a")
# The command's result is for the caller to wait for.
#   menu_bar_command POPUP KEY   (POPUP 0 "設定(&S)", 1 "ツール(&Ｔ)", 2 "ヘルプ(&H)")
menu_bar_command() {
  local popup=$1 key=$2 y item found=0
  bring_settings_forward
  local bar_y=$((settings_t + 32))
  xdotool mousemove $((settings_l + 20)) "$bar_y" click 1
  wait_for 10 "the menu 設定(&S)" new_menu_among 1
  local first_l=$menu_l
  if [ "$popup" -eq 1 ]; then
    xdotool mousemove $((settings_l + 86)) "$bar_y"
  elif [ "$popup" -eq 2 ]; then
    xdotool mousemove $((settings_r - 36)) "$bar_y"
  fi
  [ "$popup" -eq 0 ] || wait_for 10 "the popup $popup of the menu bar" menu_right_of "$first_l"
  y=$((menu_t + menu_border))
  for item in ${menu_bar_layouts[$popup]}; do
    if [ "$item" = - ]; then
      y=$((y + menu_separator))
    elif [ "$item" = "$key" ]; then
      found=1
      break
    else
      y=$((y + menu_text_item))
    fi
  done
  [ "$found" -eq 1 ] || fail "the popup $popup of the menu bar has no item $key"
  xdotool mousemove $((menu_l + 40)) $((y + menu_text_item / 2)) click 1
}
menu_right_of() { new_menu_among 1 && [ "$menu_l" -gt "$1" ]; }

# The options dialog, opened through "ツール(&Ｔ)" > "オプション(&O)..." and
# closed with its button ID (1 OK, 2 Cancel).
readonly options=オプション
open_options() {
  menu_bar_command 1 o
  wait_for 15 "the options dialog" dialog_shown "$options"
}
close_options() {
  click_dialog_control "$options" "$1"
  wait_for 15 "the options dialog to close" dialog_gone "$options"
}

# A control of the visible, enabled dialog with the caption TITLE: its
# rectangle, check state, whether it is enabled and visible, and its text.
ctl_l=0 ctl_t=0 ctl_r=0 ctl_b=0 ctl_check=0 ctl_enabled=0 ctl_visible=0 ctl_text=""
dialog_control() {
  local line
  line=$(probe dialog "$1" | awk -v id="$2" 'NR > 1 && $1 == id { print; exit }')
  [ -n "$line" ] || return 1
  read -r _ ctl_l ctl_t ctl_r ctl_b ctl_check ctl_enabled ctl_visible ctl_text <<<"$line"
}
dialog_shown() { [ "$(probe dialog "$1" | head -n 1)" != none ]; }
dialog_gone() { ! dialog_shown "$1"; }
click_dialog_control() {
  dialog_control "$1" "$2" || fail "no control $2 in the dialog $1"
  xdotool mousemove $(((ctl_l + ctl_r) / 2)) $(((ctl_t + ctl_b) / 2)) click 1
}
# Tests of a control for polling: its text, its check state.
text_is() { dialog_control "$1" "$2" && [ "$ctl_text" = "$3" ]; }
check_is() { dialog_control "$1" "$2" && [ "$ctl_check" = "$3" ]; }
# A check box is clicked on its box, at its left end.
click_check_box() {
  dialog_control "$1" "$2" || fail "no check box $2 in the dialog $1"
  xdotool mousemove $((ctl_l + 6)) $(((ctl_t + ctl_b) / 2)) click 1
}
# Clicks the check box ID of the dialog TITLE, unless it has the STATE
# already, and waits for it to take that state.
#   set_check_box TITLE ID STATE
set_check_box() {
  check_is "$1" "$2" "$3" && return 0
  click_check_box "$1" "$2"
  wait_for 10 "the box $2 to become $3" check_is "$1" "$2" "$3"
}
# The check states of the controls IDs of the dialog TITLE, read at once:
# "ID=CHECK" each, in the order given.
#   check_states TITLE ID...
check_states() {
  local title=$1
  shift
  probe dialog "$title" | awk -v ids="$*" '
    NR > 1 { state[$1] = $6 }
    END { n = split(ids, list, " "); for (i = 1; i <= n; i++)
            printf "%s%s=%s", (i > 1 ? " " : ""), list[i], state[list[i]]; print "" }'
}
# The number of items of a list view, tree view or combo box ID in the
# dialog that has the control ANCHOR.
count_is() { [ "$(probe count "$1" "$2")" = "$3" ]; }

# The settings window's caption is the program's name, as is that of every
# message box the program shows: while one is open, the window is disabled
# and the probe finds the message box.
readonly program_caption=Brindleway
message_text() {
  dialog_control "$program_caption" 65535 || return 1
  echo "$ctl_text"
}
message_shown() { dialog_shown "$program_caption" && ! settings_in_state "visible normal enabled"; }
# The settings window's buttons stay where they are: their centres are
# read once, while the window is shown and no dialog covers it.
declare -A settings_button_x=() settings_button_y=()
remember_settings_buttons() {
  local id l t r b
  while read -r id l t r b _; do
    settings_button_x[$id]=$(((l + r) / 2)) settings_button_y[$id]=$(((t + b) / 2))
  done < <(probe dialog "$program_caption" | tail -n +2)
}
click_settings_button() {
  [ ${#settings_button_x[@]} -gt 0 ] || remember_settings_buttons
  [ -n "${settings_button_x[$1]:-}" ] || fail "the settings window has no control $1"
  xdotool mousemove "${settings_button_x[$1]}" "${settings_button_y[$1]}" click 1
}

# The group tree's rows: 16 pixels each inside a 2-pixel border, every level
# indented by 19 pixels, the label after a 16-pixel icon (measured in the
# prefix the tests use: IPAPGothic for "ＭＳ Ｐゴシック" 9 pt). The tree's
# corner is read once, while the settings window is shown.
tree_l=0 tree_t=0
find_group_tree() {
  dialog_control "$program_caption" 1000 || fail "no group tree in the settings window"
  tree_l=$ctl_l tree_t=$ctl_t
}
tree_row_y() { echo $((tree_t + 2 + 16 * $1 + 8)); }
tree_label_x() { echo $((tree_l + 2 + 19 * $1 + 16 + 12)); }
#   click_tree_row ROW LEVEL
click_tree_row() { xdotool mousemove "$(tree_label_x "$2")" "$(tree_row_y "$1")" click 1; }

# The item list as the user reads it: the names in order, the selected one
# marked with "*", joined by "|".
list_rows() {
  probe list | awk '{
    split($0, parts, "\t"); line = parts[1]
    for (i = 0; i < 6; i++) sub(/^[^ ]* /, "", line)
    name = line; if ($6 == 1) name = name "*"
    out = (NR > 1 ? out "|" : "") name
  } END { print out }'
}
list_is() { [ "$(list_rows)" = "$1" ]; }
# Clicks the list row with that name. The input that follows reaches the
# program after the click, so it works on the row selected.
click_list_row() {
  local row l t r b
  read -r row l t r b _ < <(probe list | awk -v want="$1" '{
    split($0, parts, "\t"); line = parts[1]
    for (i = 0; i < 6; i++) sub(/^[^ ]* /, "", line)
    if (line == want) { print; exit } }')
  [ -n "${row:-}" ] || fail "no row $1 in the list ($(list_rows))"
  xdotool mousemove $(((l + r) / 2)) $(((t + b) / 2)) click 1
}

# The records of data file FILE as "kind parent id name", one a line, after
# a check of its checksum; with "paths", "kind parent id name|path". Names
# and paths in UTF-8.
#   data_records FILE [paths]
data_records() {
  python3 - "$1" "${2:-}" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
with_paths = sys.argv[2] == "paths"
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
    print(f"{kind} {parent} {ident} {name}|{path}" if with_paths else f"{kind} {parent} {ident} {name}")
PY
}
file_stamp() { stat -c %Y.%s.%i "$1"; }
file_changed_from() { [ "$(file_stamp "$1")" != "$2" ]; }
