#!/usr/bin/env bash
# Journey: exit and start again. The user moves the settings window with
# the mouse, ticks "show the settings window at start" and "swap the mouse
# buttons" in the options dialog, and exits through the menu bar. The next
# start shows the window where it was left, with the options ticked, the
# tray buttons swapped and the same entries. A second start while the
# program runs ends at once and leaves the first copy alone.
#
#   journey_restart.sh BRINDLEWAY_EXE PROBE_EXE SEED_EXE PREFIX SOURCE_DIR
set -euo pipefail

program=$1 probe=$2 seed=$3 prefix=$4 source=$5
source "$(dirname "$0")/lib.sh"
failure_shot=journey-6-failure.png

# The options dialog's boxes, "ID=CHECK" for each, in a fixed order.
option_boxes() { check_states "$options" 1017 1015 1016 1018 1013 1021 1022 1023; }

step "a folder with the program, its entries and settings; the first start keeps the window hidden"
run=$work/run
mkdir -p "$run"
cp "$program" "$run/Brindleway.exe"
wine_run "$seed" "$(winpath "$run")" 'C:\windows\notepad.exe'
data_before=$(md5sum <"$run/Brindleway.bwz")
use_shell_desktop
start_program "$run"
wait_for 60 "the program to start" running
wait_for 30 "the taskbar" find_tray_icon
wait_for 30 "the tray icon" tray_icon_shown
settings_in_state hidden || fail "the settings window is shown at start"

step "the left button opens the launcher menu, the right one the system menu"
tray_menu_height 1
launcher_height=$menu_height
tray_menu_height 3
system_height=$menu_height
[ "$launcher_height" != "$system_height" ] \
  || fail "the two tray menus are alike ($launcher_height pixels high): they cannot be told apart"

step "show the settings window through the system menu and move it by its caption"
system_menu_command 3 settings
wait_for 15 "the settings window" settings_in_state visible
read_settings_rect
l=$settings_l t=$settings_t
xdotool mousemove $((l + 150)) $((t + 10)) mousedown 1
for step_px in 10 30 60 90 120; do
  xdotool mousemove $((l + 150 - step_px)) $((t + 10 - step_px * 3 / 4))
  sleep 0.1
done
xdotool mouseup 1
moved() { read_settings_rect && [ "$settings_l" -lt "$l" ] && [ "$settings_t" -lt "$t" ]; }
wait_for 10 "the window to move" moved
left=$settings_l top=$settings_t
echo "the window moved from $l,$t to $left,$top"

step "tick 'show at start' and 'swap the mouse buttons' in the options dialog; OK"
open_options
[ "$(option_boxes)" = "1017=0 1015=0 1016=0 1018=0 1013=0 1021=0 1022=0 1023=0" ] \
  || fail "the options dialog opens with: $(option_boxes)"
set_check_box "$options" 1017 1
set_check_box "$options" 1013 1
close_options 1

step "exit through 設定(&S) > アプリケーションの終了(&X) in the menu bar"
menu_bar_command 0 x
wait_for 20 "the program to end" program_ended
[ "$(probe mutex)" = gone ] || fail "the single-instance mutex is still there"
wait_for 10 "the tray icon to go" tray_icon_gone
[ "$(md5sum <"$run/Brindleway.bwz")" = "$data_before" ] || fail "the data file changed"

step "start again: the window shows where it was left"
start_program "$run"
wait_for 60 "the settings window" settings_in_state visible
read -r _ x y _ _ count < <(probe window)
[ "$x $y" = "$left $top" ] || fail "the window is at $x,$y, it was left at $left,$top"
[ "$count" = 1 ] || fail "$count settings windows"
wait_for 30 "the tray icon" tray_icon_shown

step "the options are kept: the dialog shows them, and the tray buttons are swapped"
open_options
[ "$(option_boxes)" = "1017=1 1015=0 1016=0 1018=0 1013=1 1021=0 1022=0 1023=0" ] \
  || fail "the options dialog opens with: $(option_boxes)"
close_options 2
tray_menu_height 3
[ "$menu_height" = "$launcher_height" ] \
  || fail "the right button opened a menu $menu_height pixels high, the launcher menu is $launcher_height"
tray_menu_height 1
[ "$menu_height" = "$system_height" ] \
  || fail "the left button opened a menu $menu_height pixels high, the system menu is $system_height"

step "the entries are kept: the tree holds ルート and the two groups, the list the three top-level entries"
[ "$(probe count 1000 1000)" = 3 ] || fail "the group tree holds $(probe count 1000 1000) items"
[ "$(probe count 1000 1001)" = 3 ] || fail "the item list holds $(probe count 1000 1001) rows"

step "a second start while the program runs ends at once"
first_pid=$app_pid
(cd "$run" && timeout 60 "$source/tools/wine-run" --prefix "$prefix" Brindleway.exe) \
  || fail "the second start did not end by itself"
kill -0 "$first_pid" || fail "the first copy ended"
read -r state _ _ _ _ count < <(probe window)
[ "$state $count" = "visible 1" ] || fail "after the second start: $state, $count settings windows"
# A second icon would stand in the cell left of the first.
[ "$(colours_at $((tray_x - 20)) "$tray_y")" -eq 1 ] || fail "a second tray icon appeared"

step "the first copy still answers: 終了(&X), now on the left button, ends it"
system_menu_command 1 exit
wait_for 20 "the program to end" program_ended
wait_for 10 "the tray icon to go" tray_icon_gone

echo "PASS"
