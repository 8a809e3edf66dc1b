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
# "空のグループ"), a URL and a file at the top level.
set -euo pipefail

program=$1 probe=$2 seed=$3 prefix=$4 source=$5
source "$(dirname "$0")/lib.sh"

editor_open() { dialog_shown 追加; }
editor_closed() { dialog_gone 追加; }

step "start with the seeded table and no settings file: the window is shown"
use_shell_desktop
run=$work/run
mkdir -p "$run"
cp "$program" "$run/Brindleway.exe"
wine_run "$seed" "$(winpath "$run")" 'C:\windows\notepad.exe'
rm -f "$run/Brindleway.ini"
data_file=$run/Brindleway.bwz
start_program "$run"
wait_for 60 "the settings window" settings_in_state visible
find_group_tree
wait_for 30 "the taskbar" find_tray_icon
wait_for 30 "the tray icon" tray_icon_shown

step "the launcher menu before the edits: three items, ツール first with two"
open_tray_menu 1
top3=$menu_rect
height3=$((menu_b - menu_t))
# Resting on ツール, the first item, opens its submenu.
xdotool mousemove $((menu_l + 40)) $((menu_t + height3 / 6))
wait_for 15 "ツール's submenu" new_menu_among 2 "$top3"
height2=$((menu_b - menu_t))
# Both menus have the same borders: the difference is one item's height.
item_height=$((height3 - height2))
borders=$((height2 - 2 * item_height))
echo "menu heights: $height3 for three items, $height2 for two"
[ "$item_height" -ge 8 ] && [ "$borders" -ge 0 ] && [ "$borders" -lt "$item_height" ] \
  || fail "the menus' heights ($height3, $height2) are not those of three and two items"
close_menus

step "open ツール with a double click: 空のグループ shows below it"
xdotool mousemove "$(tree_label_x 1)" "$(tree_row_y 1)" click --repeat 2 --delay 80 1
sleep 1

step "drag 空のグループ onto ルート with the left button"
stamp=$(file_stamp "$data_file")
x=$(tree_label_x 2) y=$(tree_row_y 2)
xdotool mousemove "$x" "$y" mousedown 1
for offset in 3 6 10 14 18; do
  xdotool mousemove $((x + offset)) $((y - offset))
  sleep 0.1
done
root_x=$(tree_label_x 0) root_y=$(tree_row_y 0)
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
wait_for 15 "the data file to be written" file_changed_from "$data_file" "$stamp"
table=$(data_records "$data_file") || fail "the data file could not be read: $table"
echo "$table"
expected="1 -1 0 ツール
0 0 1 メモ帳
1 0 5 e2e-group
2 -1 3 Brindleway & Co.
0 -1 4 マーカー
1 -1 2 空のグループ"
[ "$table" = "$expected" ] || fail "the table is not as expected"

step "after Apply the launcher menu has four items, the moved group last"
open_tray_menu 1
top4=$menu_rect
top_l=$menu_l top_t=$menu_t top_b=$menu_b
[ $((menu_b - menu_t)) -eq $((height3 + item_height)) ] \
  || fail "the launcher menu is $((menu_b - menu_t)) pixels high, not that of four items ($((height3 + item_height)))"
# Resting on the last item, 空のグループ, opens its submenu, which holds
# the grayed placeholder alone; a file entry there would open nothing.
xdotool mousemove $((top_l + 40)) $((top_b - borders / 2 - item_height / 2))
wait_for 10 "a submenu of the last item" new_menu_among 2 "$top4"
last_sub=$menu_rect
[ $((menu_b - menu_t)) -eq $((height2 - item_height)) ] \
  || fail "the last item's submenu is $((menu_b - menu_t)) pixels high, not that of one item"

step "ツール's submenu: two items, the new group second with its placeholder"
xdotool mousemove $((top_l + 40)) $((top_t + borders / 2 + item_height / 2))
wait_for 10 "ツール's submenu" new_menu_among 2 "$top4" "$last_sub"
tools_sub=$menu_rect
[ $((menu_b - menu_t)) -eq "$height2" ] \
  || fail "ツール's submenu is $((menu_b - menu_t)) pixels high, not that of two items"
xdotool mousemove $((menu_l + 40)) $((menu_b - borders / 2 - item_height / 2))
wait_for 10 "the new group's submenu" new_menu_among 3 "$top4" "$tools_sub"
[ $((menu_b - menu_t)) -eq $((height2 - item_height)) ] \
  || fail "the new group's submenu is $((menu_b - menu_t)) pixels high, not that of one item"
close_menus

echo "PASS"
