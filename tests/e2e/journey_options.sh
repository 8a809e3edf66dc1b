#!/usr/bin/env bash
# Journey 4: the options dialog, each option seen where the user meets it.
# Swapping the mouse buttons makes the left button open the system menu and
# the right one the launcher menu; the three shell-folder shortcuts appear
# at the top of the system menu (one of them opens its folder) and go again;
# with "hide when minimised" the minimise box takes the window off the
# taskbar and the system menu brings it back; the close box hides the
# window until "the close box ends the program" is ticked, then ends it;
# starting with the computer is set and cleared (the machine-wide Run value
# read back); the entries whose files are gone are removed from the list,
# the launcher menu and the data file, after the prompt, and the data file
# before the removal is the backup, which the Apply and the OK clicked
# after it, changing nothing, leave as it is.
#
#   journey_options.sh BRINDLEWAY_EXE PROBE_EXE SEED_EXE MARKER_EXE PREFIX SOURCE_DIR
#
# Screenshot: options-dialog.png, the dialog with the boxes ticked.
set -euo pipefail

program=$1 probe=$2 seed=$3 marker=$4 prefix=$5 source=$6
source "$(dirname "$0")/lib.sh"
failure_shot=journey-4-failure.png

readonly run_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'

# The Run value "Brindleway" as `wine reg query` prints it, or nothing; in
# a 64-bit prefix, from the registry view named (64 or 32: WOW6432Node),
# by default the one of the program's own architecture.
view=""
[ "${BRINDLEWAY_WINE_ARCH:-win64}" = win64 ] && view=64
run_value() {
  wine_run reg query "$run_key" /v Brindleway ${view:+"/reg:${1:-$view}"} 2>/dev/null |
    tr -d '\r' | sed -n 's/^ *Brindleway *REG_SZ *//p'
}
run_value_gone() { [ -z "$(run_value)" ]; }

# The caption's buttons, measured in the prefix the tests use: the close
# box 13 pixels and the minimise box 48 pixels left of the window's right
# edge, 12 pixels below its top.
click_caption_button() {
  bring_settings_forward always
  local x
  case $1 in
    minimise) x=$((settings_r - 48)) ;;
    close) x=$((settings_r - 13)) ;;
  esac
  xdotool mousemove "$x" $((settings_t + 12)) click 1
}
# The system menu's "設定(&S)..." shows the window, restored.
show_through_tray() {
  system_menu_command "$1" settings
  wait_for 10 "the window to show restored" settings_in_state "visible normal"
}

# Chooses the launcher menu's item "マーカー", the third from the top, in
# the menu a click of BUTTON opens; the marker program leaves its file.
launch_marker_with() {
  rm -f "$run/marker.txt"
  open_tray_menu "$1"
  xdotool mousemove $((menu_l + 40)) $((menu_t + menu_border + 2 * item_height + item_height / 2)) click 1
  wait_for 30 "the marker program to run" test -f "$run/marker.txt"
}

step "start with the seeded table and no settings file: the window is shown"
use_shell_desktop
wine_run reg delete "$run_key" /v Brindleway /f >/dev/null 2>&1 || true
run=$work/run
prepare_folder "$run" "$marker" more
data_file=$run/Brindleway.bwz
backup_file=$run/Brindleway.bwz.bak
cp "$data_file" "$work/seeded.bwz"
start_program "$run"
wait_for 60 "the settings window" settings_in_state "visible normal"
wait_for 30 "the taskbar" find_tray_icon
wait_for 30 "the tray icon" tray_icon_shown

step "the left button opens the launcher menu, the right one the system menu"
# Six entries at the top level, each an owner-drawn item.
tray_menu_height 1
launcher_height=$menu_height
item_height=$(((launcher_height - 2 * menu_border) / 6))
tray_menu_height 3
system_height=$menu_height
echo "launcher menu $launcher_height pixels high, items of $item_height; system menu $system_height"
[ "$system_height" -eq $((2 * menu_border + 4 * menu_text_item + menu_separator)) ] \
  || fail "the right button's menu ($system_height pixels) is not the system menu without shortcuts"
[ "$launcher_height" -eq $((2 * menu_border + 6 * item_height)) ] \
  || fail "the left button's menu ($launcher_height pixels) is not the launcher menu of six items"
launch_marker_with 1

step "minimised without the option, the window stays on the taskbar"
click_caption_button minimise
wait_for 10 "the window to be minimised" settings_in_state "visible iconic"
show_through_tray 3

step "options: autostart, hide when minimised, swapped buttons and the three shortcuts"
open_options
# The first start has no settings file and the prefix no Run value.
states=$(check_states "$options" 1010 1017 1015 1016 1018 1013 1021 1022 1023)
[ "$states" = "1010=0 1017=0 1015=0 1016=0 1018=0 1013=0 1021=0 1022=0 1023=0" ] \
  || fail "the options dialog opens with the boxes $states"
for box in 1010 1015 1013 1021 1022 1023; do
  set_check_box "$options" "$box" 1
done
screenshot options-dialog.png
close_options 1
expected="\"$(winpath "$run")\\Brindleway.exe\""
value=$(run_value)
[ "$value" = "$expected" ] || fail "the Run value is [$value], expected [$expected]"
# The 64-bit program writes where 64-bit Windows reads it for 64-bit
# programs, not in the 32-bit view (WOW6432Node).
[ -z "$view" ] || [ -z "$(run_value 32)" ] || fail "the Run value went to WOW6432Node"

step "the left button now opens the system menu, with the three shortcuts on top"
open_tray_menu 1
shortcut_height=$(((menu_b - menu_t - system_height - menu_separator) / 3))
[ $((menu_b - menu_t)) -eq $((system_height + 3 * shortcut_height + menu_separator)) ] &&
  [ "$shortcut_height" -ge 8 ] \
  || fail "the left button's menu ($((menu_b - menu_t)) pixels) is not the system menu with three shortcuts"
# "マイ ドキュメント", the second, opens the documents folder in a window
# of the desktop's explorer.
explorer_shown() { probe toplevels | grep -q '^ExplorerWClass'; }
explorer_gone() { ! explorer_shown; }
explorer_shown && fail "an explorer window is open before the shortcut was chosen"
xdotool mousemove $((menu_l + 40)) $((menu_t + menu_border + shortcut_height + shortcut_height / 2)) click 1
wait_for 30 "the documents folder's window" explorer_shown
probe toplevels | grep '^ExplorerWClass'
xdotool key alt+F4
wait_for 15 "the folder window to close" explorer_gone

step "the right button now opens the launcher menu"
tray_menu_height 3
[ "$menu_height" -eq "$launcher_height" ] \
  || fail "the right button's menu ($menu_height pixels) is not the launcher menu ($launcher_height)"
launch_marker_with 3

step "with the option, minimising takes the window off the taskbar; the tray brings it back"
click_caption_button minimise
wait_for 10 "the window to hide" settings_in_state hidden
show_through_tray 1

step "without the option, the close box only hides the window"
click_caption_button close
wait_for 10 "the window to hide" settings_in_state hidden
program_ended && fail "the close box ended the program"
show_through_tray 1

step "options: the close box ends the program; the rest cleared; broken links removed"
stamp=$(file_stamp "$data_file")
open_options
# The dialog opens with what was saved: the Run value and the flags.
states=$(check_states "$options" 1010 1017 1015 1016 1018 1013 1021 1022 1023)
[ "$states" = "1010=1 1017=0 1015=1 1016=0 1018=0 1013=1 1021=1 1022=1 1023=1" ] \
  || fail "the options dialog opens with the boxes $states"
for box in 1010 1013 1021 1022 1023; do
  set_check_box "$options" "$box" 0
done
set_check_box "$options" 1016 1
click_dialog_control "$options" 1006
wait_for 15 "the confirmation" message_shown
text=$(message_text)
[ "$text" = 'この動作を行うともとには戻せません。\nよろしいですか。' ] || fail "the confirmation reads [$text]"
click_dialog_control "$program_caption" 1
wait_for 15 "the confirmation to close" dialog_shown "$options"
wait_for 15 "the data file to be written" file_changed_from "$data_file" "$stamp"
close_options 1
run_value_gone || fail "the Run value is still there: $(run_value)"

step "the entries whose files are gone have left the data file, the list and the menu"
table=$(data_records "$data_file") || fail "the data file could not be read: $table"
echo "$table"
# The files of 消えたプログラム and 消えた文書 are gone; the Windows folder
# and the drive root exist.
expected="1 -1 0 ツール
0 0 1 メモ帳
1 0 2 空のグループ
2 -1 3 Brindleway & Co.
0 -1 4 マーカー
0 -1 6 Windows フォルダ
0 -1 7 C ドライブ"
[ "$table" = "$expected" ] || fail "the data file holds
$table
and not
$expected"
wait_for 10 "the list without the gone file" list_is "ツール|Brindleway & Co.|マーカー|Windows フォルダ|C ドライブ"
tray_menu_height 1
[ "$menu_height" -eq $((launcher_height - item_height)) ] \
  || fail "the left button's menu ($menu_height pixels) is not the launcher menu of five items"

step "the shortcuts are gone from the system menu"
tray_menu_height 3
[ "$menu_height" -eq "$system_height" ] \
  || fail "the right button's menu ($menu_height pixels) is not the system menu without shortcuts"

step "the backup holds the table before the removal; Apply and OK that change nothing keep it"
[ -f "$backup_file" ] || fail "no backup after the removal"
cmp -s "$backup_file" "$work/seeded.bwz" || fail "the backup is not the table before the removal:
$(data_records "$backup_file")"
data_stamp=$(file_stamp "$data_file")
backup_stamp=$(file_stamp "$backup_file")
bring_settings_forward always
click_settings_button 1011
click_settings_button 1
wait_for 10 "OK to hide the window" settings_in_state hidden
[ "$(file_stamp "$data_file")" = "$data_stamp" ] || fail "Apply or OK rewrote the unchanged data file"
[ "$(file_stamp "$backup_file")" = "$backup_stamp" ] || fail "Apply or OK replaced the backup"
cmp -s "$backup_file" "$work/seeded.bwz" || fail "the backup changed"
show_through_tray 3

step "the close box ends the program"
click_caption_button close
wait_for 20 "the program to end" program_ended
wait_for 10 "the tray icon to go" tray_icon_gone
grep -q '^opt3=1' "$run/Brindleway.ini" || fail "the settings file does not hold opt3=1"

echo "PASS"
