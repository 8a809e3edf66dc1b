#!/usr/bin/env bash
# End-to-end test of Brindleway.exe in a Wine desktop with a taskbar, on a
# private Xvfb: single instance, the tray icon's menus, launching an entry,
# exit through the system menu, and the first start without files.
#
#   run-e2e.sh BRINDLEWAY_EXE MARKER_EXE PROBE_EXE SEED_EXE PREFIX SOURCE_DIR
#
# Screenshots (with BRINDLEWAY_SHOT_DIR set): e2e-tray-menu.png, the
# launcher menu with the group's submenu; e2e-settings-window.png.
set -euo pipefail

program=$1 marker=$2 probe=$3 seed=$4 prefix=$5 source=$6
source "$(dirname "$0")/lib.sh"

use_shell_desktop

# Opens the system menu and chooses its last item, "終了(&X)".
exit_through_system_menu() {
  system_menu_command 3 exit
  wait_for 20 "the program to end" program_ended
}

step "prepare a folder with the program, a launch target and a data file"
run=$work/run
mkdir -p "$run"
cp "$program" "$run/Brindleway.exe"
cp "$marker" "$run/marker.exe"
wine_run "$seed" "$(winpath "$run")" "$(winpath "$run")\\marker.exe"
[ -f "$run/Brindleway.bwz" ] || fail "no data file was prepared"

step "start: only the tray icon appears"
start_program "$run"
wait_for 60 "the program to start" running
wait_for 30 "the taskbar" find_tray_icon
wait_for 30 "the tray icon" tray_icon_shown
settings_in_state hidden || fail "the settings window is shown although opt1 is clear"

step "idle, the program uses no processor time"
# The program is the Windows process under the runner started for it.
child_of() { awk -v parent="$1" '$4 == parent { print $1; exit }' /proc/[0-9]*/stat 2>/dev/null; }
runner=$(child_of "$app_pid")
exe_pid=$(child_of "$runner")
[ -n "$exe_pid" ] || fail "the program's process was not found"
cpu_ticks() { awk '{print $14 + $15}' "/proc/$exe_pid/stat"; }
before=$(cpu_ticks)
sleep 2
used=$(($(cpu_ticks) - before))
# A loop that polls without waiting would use about 200 ticks here.
[ "$used" -le 20 ] || fail "the idle program used $used clock ticks in two seconds"

step "a second start ends at once without a window"
first_pid=$app_pid
start=$SECONDS
(cd "$run" && timeout 60 "$source/tools/wine-run" --prefix "$prefix" Brindleway.exe) \
  || fail "the second start did not end cleanly"
[ $((SECONDS - start)) -lt 30 ] || fail "the second start took too long"
read -r state _ _ _ _ count < <(probe window)
[ "$state" = hidden ] && [ "$count" = 1 ] || fail "expected one hidden window, got: $state $count"
kill -0 "$first_pid" || fail "the first copy ended"

step "a left click on the icon opens the launcher menu"
open_tray_menu 1
# Three items: the group, the URL and, last, the marker program.
top=$menu_rect
# Resting on the group opens its submenu.
xdotool mousemove "$(menu_item_x "$top")" "$(menu_item_y "$top" 0 3)"
wait_for 15 "the group's submenu" new_menu_among 2 "$top"
screenshot e2e-tray-menu.png
xdotool mousemove "$(menu_item_x "$top")" "$(menu_item_y "$top" 2 3)" click 1
wait_for 30 "the launched program's marker file" test -f "$run/marker.txt"
wait_for 10 "the menu to close" menus_closed

step "the system menu shows the settings window"
system_menu_command 3 settings
wait_for 15 "the settings window" settings_in_state visible
read_settings_rect
win_l=$settings_l win_t=$settings_t
screenshot e2e-settings-window.png

step "終了(&X) in the system menu ends the program"
exit_through_system_menu
[ "$(probe mutex)" = gone ] || fail "the single-instance mutex is still there"
wait_for 10 "the tray icon to go" tray_icon_gone
x=$(sed -n 's/^X=\(-\?[0-9]*\)\r\?$/\1/p' "$run/Brindleway.ini")
y=$(sed -n 's/^Y=\(-\?[0-9]*\)\r\?$/\1/p' "$run/Brindleway.ini")
[ "$x" = "$win_l" ] && [ "$y" = "$win_t" ] \
  || fail "the settings file holds X=$x Y=$y, the window was at $win_l,$win_t"

step "a first start without files shows the window centred"
fresh=$work/fresh
mkdir -p "$fresh"
cp "$program" "$fresh/Brindleway.exe"
start_program "$fresh"
wait_for 60 "the settings window" settings_in_state visible
settings_centred || fail "the settings window of a first start is not centred"
wait_for 30 "the tray icon" tray_icon_shown
exit_through_system_menu
grep -q '^X=' "$fresh/Brindleway.ini" || fail "no position was stored at the first exit"

echo "PASS"
