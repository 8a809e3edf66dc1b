#!/usr/bin/env bash
# Journey 5: the version dialog and the help. The version dialog, opened
# from the tray's system menu, shows the version, and a click on its link
# hands the address it shows to the prefix's program for "https" (the
# marker program here, which writes down what it was given). F1 in the
# settings window and in the item editor opens the help window (at their
# pages, which the in-process help tests check: Wine's help window shows no
# page). With the table full, adding one more entry brings the prompt
# "これ以上追加することはできません。"; F1 in it opens the help window at
# the prompt's page (Wine's help control opens a window only for a page the
# help file maps), and after the prompt nothing was added: Apply and OK
# write nothing.
#
#   journey_help.sh BRINDLEWAY_EXE PROBE_EXE SEED_EXE MARKER_EXE PREFIX SOURCE_DIR
set -euo pipefail

program=$1 probe=$2 seed=$3 marker=$4 prefix=$5 source=$6
source "$(dirname "$0")/lib.sh"
failure_shot=journey-5-failure.png

readonly about=バージョン情報 editor=追加

help_window_shown() { probe toplevels | grep -q $'^HH Parent\t'; }
help_window_gone() { ! help_window_shown; }

step "the prefix's program for https addresses is the marker program"
use_shell_desktop
browser=$work/browser
mkdir -p "$browser"
cp "$marker" "$browser/browser.exe"
for scheme in http https; do
  wine_run reg add "HKCR\\$scheme\\shell\\open\\command" /ve \
    /d "\"$(winpath "$browser")\\browser.exe\" \"%1\"" /f >/dev/null
done

step "start with a table that has no free slot left"
run=$work/run
prepare_folder "$run" "$marker" full
data_file=$run/Brindleway.bwz
[ "$(data_records "$data_file" | wc -l)" -eq 255 ] || fail "the seeded table does not hold 255 entries"
start_program "$run"
wait_for 60 "the settings window" settings_in_state "visible normal"
wait_for 30 "the taskbar" find_tray_icon
wait_for 30 "the tray icon" tray_icon_shown
rows=$(list_rows)

step "the version dialog from the system menu: the version and the link"
system_menu_command 3 about
wait_for 15 "the version dialog" dialog_shown "$about"
dialog_control "$about" 1002 || fail "the version dialog has no version line"
[ "$ctl_text" = "Version 0.20" ] || fail "the version line reads [$ctl_text]"
dialog_control "$about" 1027 || fail "the version dialog has no link"
address=$ctl_text
[[ "$address" == https://* ]] || fail "the link shows [$address], not an address"
screenshot about-dialog.png
[ ! -e "$browser/marker.txt" ] || fail "the browser ran before the link was clicked"
click_dialog_control "$about" 1027
wait_for 30 "the program for the address to run" test -f "$browser/marker.txt"
given=$(sed -n 2p "$browser/marker.txt" | tr -d '\r')
[ "$given" = "$address" ] || fail "the browser was given [$given], the link shows [$address]"
click_dialog_control "$about" 1
wait_for 15 "the version dialog to close" dialog_gone "$about"

close_help() {
  xdotool key alt+F4
  wait_for 15 "the help window to close" help_window_gone
}

step "F1 in the settings window opens the help"
bring_settings_forward always
help_window_shown && fail "a help window is open before F1"
xdotool key F1
wait_for 30 "the help window" help_window_shown
screenshot settings-help.png
close_help
settings_in_state "visible normal enabled" || fail "the settings window changed: $(settings_state)"

step "F1 in the item editor opens the help; the editor stays open"
click_settings_button 1003
wait_for 15 "the item editor" dialog_shown "$editor"
xdotool key F1
wait_for 30 "the help window" help_window_shown
close_help
dialog_shown "$editor" || fail "the item editor closed with the help window"
click_dialog_control "$editor" 2
wait_for 15 "the item editor to close" dialog_gone "$editor"

step "one more group through the editor: the table is full, the prompt says so"
stamp=$(file_stamp "$data_file")
click_settings_button 1003
wait_for 15 "the item editor" dialog_shown "$editor"
xdotool type --delay 40 "e2e-group"
# Name, path, Browse, then the kind list, where Down chooses "グループ".
xdotool key --delay 80 Tab Tab Tab Down Return
wait_for 15 "the prompt" message_shown
text=$(message_text)
[ "$text" = "これ以上追加することはできません。" ] || fail "the prompt reads [$text]"
screenshot table-full-prompt.png

step "F1 in the prompt opens the help at the prompt's page"
help_window_shown && fail "a help window is open before F1"
xdotool key F1
wait_for 30 "the help window" help_window_shown
probe toplevels | grep $'^HH Parent\t'
screenshot table-full-help.png

step "the help closed and the prompt confirmed, nothing was added"
xdotool key alt+F4
wait_for 15 "the help window to close" help_window_gone
message_shown || fail "the prompt closed with the help window"
dialog_control "$program_caption" 1 || fail "the prompt has no OK button"
click_dialog_control "$program_caption" 1
wait_for 15 "the prompt to close" settings_in_state "visible normal enabled"
[ "$(list_rows)" = "$rows" ] || fail "the list changed to $(list_rows)"
# Apply and OK commit a table equal to the file: nothing is written. The
# window hides once both clicks have been taken.
click_settings_button 1011
click_settings_button 1
wait_for 15 "OK to hide the window" settings_in_state hidden
[ "$(file_stamp "$data_file")" = "$stamp" ] || fail "Apply or OK rewrote the unchanged data file"
[ "$(data_records "$data_file" | wc -l)" -eq 255 ] || fail "the data file no longer holds 255 entries"
data_records "$data_file" | grep -q ' e2e-group$' && fail "the refused group reached the data file"

echo "PASS"
