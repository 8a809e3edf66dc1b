#!/usr/bin/env bash
# Journey 3: editing the entries in the settings window. Edit, delete, up
# and down are each used through their button, through the menu "ツール(&Ｔ)"
# and through their Ctrl shortcut (which the program's own message loop
# translates), each result read from the item list. The item editor's
# Cancel drops its edit; the settings window's Cancel drops every edit, and
# its OK keeps them: the data file and the list shown again agree.
#
#   journey_edit.sh BRINDLEWAY_EXE PROBE_EXE SEED_EXE MARKER_EXE PREFIX SOURCE_DIR
set -euo pipefail

program=$1 probe=$2 seed=$3 marker=$4 prefix=$5 source=$6
source "$(dirname "$0")/lib.sh"
failure_shot=journey-3-failure.png

readonly tools=ツール company="Brindleway & Co." marker_name=マーカー gone=消えたプログラム \
  windows="Windows フォルダ" drive="C ドライブ"

# The item editor, opened by the Edit command, shows the entry's name; the
# name is selected, so End and a suffix give the new name.
rename_in_editor() {
  local name=$1 suffix=$2
  wait_for 15 "the item editor's name field" dialog_control 編集 1004
  [ "$ctl_text" = "$name" ] || fail "the item editor shows [$ctl_text], not the entry [$name]"
  xdotool key End
  xdotool type --delay 40 -- "$suffix"
  xdotool key Return
}
expect_list() {
  wait_for 10 "the list to read $1 (it reads $(list_rows))" list_is "$1"
}

step "start with the seeded table: the root's entries in the list"
use_shell_desktop
run=$work/run
prepare_folder "$run" "$marker" more
data_file=$run/Brindleway.bwz
seeded=$(data_records "$data_file")
start_program "$run"
wait_for 60 "the settings window" settings_in_state visible
wait_for 30 "the taskbar" find_tray_icon
expect_list "$tools|$company|$marker_name|$gone|$windows|$drive"
stamp=$(file_stamp "$data_file")

step "the buttons: ↑ and ↓ move the selected entry, the selection follows"
click_list_row "$marker_name"
click_settings_button 1007
expect_list "$tools|$marker_name*|$company|$gone|$windows|$drive"
click_settings_button 1008
expect_list "$tools|$company|$marker_name*|$gone|$windows|$drive"

step "the button 編集(&E)...: Cancel in the editor drops the edit, OK keeps it"
click_list_row "$company"
click_settings_button 1004
wait_for 15 "the item editor" dialog_shown 編集
xdotool key End
xdotool type --delay 40 -- "-dropped"
click_dialog_control 編集 2
wait_for 15 "the item editor to close" dialog_gone 編集
expect_list "$tools|$company*|$marker_name|$gone|$windows|$drive"
click_list_row "$marker_name"
click_settings_button 1004
rename_in_editor "$marker_name" "-1"
expect_list "$tools|$company|$marker_name-1|$gone|$windows|$drive"

step "the button 削除(&D) removes the selected entry"
click_list_row "$gone"
click_settings_button 1006
expect_list "$tools|$company|$marker_name-1|$windows|$drive"

step "キャンセル hides the window; shown again, it has the committed entries"
click_settings_button 2
wait_for 10 "the window to hide" settings_in_state hidden
system_menu_command 3 settings
wait_for 10 "the window to show" settings_in_state visible
expect_list "$tools|$company|$marker_name|$gone|$windows|$drive"
[ "$(file_stamp "$data_file")" = "$stamp" ] || fail "Cancel wrote the data file"

step "the menu ツール(&Ｔ): 項目の上移動, 項目の下移動, 項目の編集, 項目の削除"
click_list_row "$windows"
menu_bar_command 1 u
expect_list "$tools|$company|$marker_name|$windows*|$gone|$drive"
menu_bar_command 1 w
expect_list "$tools|$company|$marker_name|$gone|$windows*|$drive"
menu_bar_command 1 e
rename_in_editor "$windows" "-2"
expect_list "$tools|$company|$marker_name|$gone|$windows-2|$drive"
click_list_row "$drive"
menu_bar_command 1 d
expect_list "$tools|$company|$marker_name|$gone|$windows-2"

step "the shortcuts Ctrl+↓, Ctrl+↑, Ctrl+E and Ctrl+D"
# ツール moves down with its entries; 消えたプログラム moves up.
click_list_row "$tools"
xdotool key ctrl+Down
expect_list "$company|$tools*|$marker_name|$gone|$windows-2"
click_list_row "$gone"
xdotool key ctrl+Up
expect_list "$company|$tools|$gone*|$marker_name|$windows-2"
click_list_row "$marker_name"
xdotool key ctrl+e
rename_in_editor "$marker_name" "-3"
expect_list "$company|$tools|$gone|$marker_name-3|$windows-2"
click_list_row "$gone"
xdotool key ctrl+d
expect_list "$company|$tools|$marker_name-3|$windows-2"

step "OK writes the data file and hides the window"
click_settings_button 1
wait_for 10 "the window to hide" settings_in_state hidden
wait_for 10 "the data file to be written" file_changed_from "$data_file" "$stamp"
table=$(data_records "$data_file") || fail "the data file could not be read: $table"
echo "$table"
# Ids as seeded: ツール 0 with メモ帳 1, 空のグループ 2 and 消えた文書 8;
# the URL 3, マーカー 4, Windows フォルダ 6.
expected="2 -1 3 $company
1 -1 0 $tools
0 0 1 メモ帳
1 0 2 空のグループ
0 0 8 消えた文書
0 -1 4 $marker_name-3
0 -1 6 $windows-2"
[ "$table" = "$expected" ] || fail "the data file holds
$table
and not
$expected
(seeded:
$seeded)"

step "shown again, the window lists what was kept"
system_menu_command 3 settings
wait_for 10 "the window to show" settings_in_state visible
expect_list "$company|$tools|$marker_name-3|$windows-2"

echo "PASS"
