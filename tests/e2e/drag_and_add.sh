#!/usr/bin/env bash
# End-to-end test of editing in the settings window with real mouse and
# keyboard input: Brindleway.exe in a Wine desktop on a private Xvfb, a
# group dragged out of its parent onto "ルート" in the group tree, a group
# added through the item editor into the selected group, then Apply; the
# data file read back, and the launcher menu opened from the tray icon
# before and after to see the new order.
#
#   drag_and_add.sh BRINDLEWAY_EXE PROBE_EXE SEED_EXE PREFIX SOURCE_DIR
#
# SEED_EXE writes the end-to-end table: "ツール" (holding "メモ帳" and
# "空のグループ"), a URL and a file at the top level. PROBE_EXE answers
# "window", "tray", "menus" and "control ANCHOR ID".
set -euo pipefail

program=$1 probe=$2 seed=$3 prefix=$4 source=$5
source "$(dirname "$0")/lib.sh"

window_visible() { [ "$(probe window | cut -d' ' -f1)" = visible ]; }

# The screen rectangle of a control of the dialog that has control ANCHOR.
ctl_l=0 ctl_t=0 ctl_r=0 ctl_b=0
control_rect() {
  local answer
  answer=$(probe control "$1" "$2")
  [ "$answer" != none ] || return 1
  read -r ctl_l ctl_t ctl_r ctl_b _ <<<"$answer"
}
editor_open() { control_rect 1026 1026; }
editor_closed() { ! editor_open; }
click_settings_button() {
  control_rect 1000 "$1" || fail "no button $1 in the settings window"
  xdotool mousemove $(((ctl_l + ctl_r) / 2)) $(((ctl_t + ctl_b) / 2)) click 1
}

# The group tree's rows: 16 pixels each inside a 2-pixel border, every
# level indented by 19 pixels, the label after a 16-pixel icon (measured in
# the prefix the tests use: IPAPGothic for "ＭＳ Ｐゴシック" 9 pt).
tree_l=0 tree_t=0
row_y() { echo $((tree_t + 2 + 16 * $1 + 8)); }
label_x() { echo $((tree_l + 2 + 19 * $1 + 16 + 12)); }

# The tray icon is the first in the notification area: the rightmost cell
# of the taskbar, 20 pixels wide.
icon_x=0 icon_y=0
locate_icon() {
  local l t r b
  read -r l t r b < <(probe tray)
  [ "$l" != none ] || return 1
  icon_x=$((r - 10)) icon_y=$(((t + b) / 2))
}
icon_shown() {
  [ "$(import -window root -crop "16x16+$((icon_x - 8))+$((icon_y - 8))" -format %k info: 2>/dev/null)" -gt 1 ]
}

# The popup menus on screen ("L T R B" each), and a test for exactly COUNT
# of them.
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
open_launcher_menu() {
  xdotool mousemove "$icon_x" "$icon_y" click 1
  wait_for 15 "the launcher menu" new_menu_among 1
}
# A click on the desktop away from the window and the menus ends the menu.
close_menus() {
  xdotool mousemove "$away_x" "$away_y" click 1
  wait_for 10 "the menus to close" menus_closed
}

data_file=""
# The data file's records as "kind parent id name", one per line, after a
# check of its checksum.
records() {
  python3 - "$data_file" <<'PY'
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
    pos += 4 + path_len + 1
    print(kind, parent, ident, name)
PY
}
file_changed_from() { [ "$(stat -c %Y.%s "$data_file")" != "$1" ]; }

step "start with the seeded table and no settings file: the window is shown"
wine_run reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d shell /f >/dev/null
wine_run reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /d 1024x768 /f >/dev/null
run=$work/run
mkdir -p "$run"
cp "$program" "$run/Brindleway.exe"
wine_run "$seed" "$(winpath "$run")" 'C:\windows\notepad.exe'
rm -f "$run/Brindleway.ini"
data_file=$run/Brindleway.bwz
(cd "$run" && wine_run Brindleway.exe) &
wait_for 60 "the settings window" window_visible
control_rect 1000 1000 || fail "no group tree"
tree_l=$ctl_l tree_t=$ctl_t
read -r _ win_l win_t win_r win_b _ < <(probe window)
away_x=1014 away_y=10
[ "$away_x" -ge "$win_r" ] || [ "$away_y" -lt "$win_t" ] \
  || fail "the settings window ($win_l $win_t $win_r $win_b) covers the desktop's corner"
wait_for 30 "the taskbar" locate_icon
wait_for 30 "the tray icon" icon_shown

step "the launcher menu before the edits: three items, ツール first with two"
open_launcher_menu
top3="$new_l $new_t $new_r $new_b"
height3=$((new_b - new_t))
# Resting on ツール, the first item, opens its submenu.
xdotool mousemove $((new_l + 40)) $((new_t + height3 / 6))
wait_for 15 "ツール's submenu" new_menu_among 2 "$top3"
height2=$((new_b - new_t))
# Both menus have the same borders: the difference is one item's height.
item_height=$((height3 - height2))
borders=$((height2 - 2 * item_height))
echo "menu heights: $height3 for three items, $height2 for two"
[ "$item_height" -ge 8 ] && [ "$borders" -ge 0 ] && [ "$borders" -lt "$item_height" ] \
  || fail "the menus' heights ($height3, $height2) are not those of three and two items"
close_menus

step "open ツール with a double click: 空のグループ shows below it"
xdotool mousemove "$(label_x 1)" "$(row_y 1)" click --repeat 2 --delay 80 1
sleep 1

step "drag 空のグループ onto ルート with the left button"
stamp=$(stat -c %Y.%s "$data_file")
x=$(label_x 2) y=$(row_y 2)
xdotool mousemove "$x" "$y" mousedown 1
for offset in 3 6 10 14 18; do
  xdotool mousemove $((x + offset)) $((y - offset))
  sleep 0.1
done
root_x=$(label_x 0) root_y=$(row_y 0)
xdotool mousemove "$root_x" $((root_y + 2))
sleep 0.2
xdotool mousemove "$root_x" "$root_y"
sleep 0.3
xdotool mouseup 1
sleep 0.5

step "add a group through the item editor"
click_settings_button 1003
wait_for 15 "the item editor" editor_open
xdotool type --delay 50 "e2e-group"
# Name, path, Browse, then the kind list, where Down chooses "グループ".
xdotool key --delay 80 Tab Tab Tab Down Return
wait_for 15 "the item editor to close" editor_closed

# The double click selected ツール, and the drop kept the selection: the
# new group went into ツール.
step "apply: the data file holds the moved group at the top level and the new group in ツール"
click_settings_button 1011
wait_for 15 "the data file to be written" file_changed_from "$stamp"
table=$(records) || fail "the data file could not be read: $table"
echo "$table"
expected="1 -1 0 ツール
0 0 1 メモ帳
1 0 5 e2e-group
2 -1 3 Brindleway & Co.
0 -1 4 マーカー
1 -1 2 空のグループ"
[ "$table" = "$expected" ] || fail "the table is not as expected"

step "after Apply the launcher menu has four items, the moved group last"
open_launcher_menu
top4="$new_l $new_t $new_r $new_b"
top_l=$new_l top_t=$new_t top_b=$new_b
[ $((new_b - new_t)) -eq $((height3 + item_height)) ] \
  || fail "the launcher menu is $((new_b - new_t)) pixels high, not that of four items ($((height3 + item_height)))"
# Resting on the last item, 空のグループ, opens its submenu, which holds
# the grayed placeholder alone; a file entry there would open nothing.
xdotool mousemove $((top_l + 40)) $((top_b - borders / 2 - item_height / 2))
wait_for 10 "a submenu of the last item" new_menu_among 2 "$top4"
last_sub="$new_l $new_t $new_r $new_b"
[ $((new_b - new_t)) -eq $((height2 - item_height)) ] \
  || fail "the last item's submenu is $((new_b - new_t)) pixels high, not that of one item"

step "ツール's submenu: two items, the new group second with its placeholder"
xdotool mousemove $((top_l + 40)) $((top_t + borders / 2 + item_height / 2))
wait_for 10 "ツール's submenu" new_menu_among 2 "$top4" "$last_sub"
tools_sub="$new_l $new_t $new_r $new_b"
[ $((new_b - new_t)) -eq "$height2" ] \
  || fail "ツール's submenu is $((new_b - new_t)) pixels high, not that of two items"
xdotool mousemove $((new_l + 40)) $((new_b - borders / 2 - item_height / 2))
wait_for 10 "the new group's submenu" new_menu_among 3 "$top4" "$tools_sub"
[ $((new_b - new_t)) -eq $((height2 - item_height)) ] \
  || fail "the new group's submenu is $((new_b - new_t)) pixels high, not that of one item"
close_menus

echo "PASS"
