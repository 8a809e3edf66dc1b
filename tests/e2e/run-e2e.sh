#!/usr/bin/env bash
# End-to-end test of Brindleway.exe in a Wine desktop with a taskbar, on a
# private Xvfb: single instance, the tray icon's menus, launching an entry,
# exit through the system menu, and the first start without files.
#
#   run-e2e.sh BRINDLEWAY_EXE MARKER_EXE PROBE_EXE SEED_EXE PREFIX SOURCE_DIR
#
# Screenshots of the launcher menu and the settings window are left in
# PREFIX's folder (e2e-tray-menu.png, e2e-settings-window.png).
set -euo pipefail

program=$1 marker=$2 probe=$3 seed=$4 prefix=$5 source=$6
shots=$(dirname "$prefix")
app_pid=""

source "$(dirname "$0")/lib.sh"

# Every program of this prefix runs in the desktop "shell", which has a
# taskbar with a notification area at the bottom right.
wine_run reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d shell /f >/dev/null
wine_run reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /d 1024x768 /f >/dev/null

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

menu_l=0 menu_t=0 menu_r=0 menu_b=0
menu_open() {
  local rect
  rect=$(probe menu)
  [ "$rect" != none ] || return 1
  read -r menu_l menu_t menu_r menu_b <<<"$rect"
}
menu_closed() { [ "$(probe menu)" = none ]; }
app_ended() { ! kill -0 "$app_pid" 2>/dev/null; }
running() { [ "$(probe mutex)" = running ]; }
window_state() { probe window | cut -d' ' -f1; }
window_visible() { [ "$(window_state)" = visible ]; }

start_program() {
  (cd "$1" && wine_run Brindleway.exe) &
  app_pid=$!
}

# Opens the system menu and chooses its last item, "終了(&X)".
exit_through_system_menu() {
  xdotool mousemove "$icon_x" "$icon_y" click 3
  wait_for 15 "the system menu" menu_open
  xdotool mousemove $((menu_l + 40)) $((menu_b - 11)) click 1
  wait_for 20 "the program to end" app_ended
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
wait_for 30 "the taskbar" locate_icon
wait_for 30 "the tray icon" icon_shown
[ "$(window_state)" = hidden ] || fail "the settings window is shown although opt1 is clear"

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
xdotool mousemove "$icon_x" "$icon_y" click 1
wait_for 15 "the launcher menu" menu_open
# Three items: the group, the URL and, last, the marker program.
top_l=$menu_l top_t=$menu_t top_b=$menu_b
item_height=$(((menu_b - menu_t) / 3))
# Resting on the group opens its submenu, which then is the topmost menu.
xdotool mousemove $((top_l + 40)) $((top_t + item_height / 2 + 1))
submenu_open() { menu_open && [ "$menu_t $menu_b" != "$top_t $top_b" ]; }
wait_for 15 "the group's submenu" submenu_open
import -window root "$shots/e2e-tray-menu.png"
xdotool mousemove $((top_l + 40)) $((top_b - item_height / 2 - 1)) click 1
wait_for 30 "the launched program's marker file" test -f "$run/marker.txt"
wait_for 10 "the menu to close" menu_closed

step "the system menu shows the settings window"
xdotool mousemove "$icon_x" "$icon_y" click 3
wait_for 15 "the system menu" menu_open
xdotool mousemove $((menu_l + 40)) $((menu_t + 12)) click 1
wait_for 15 "the settings window" window_visible
read -r _ win_l win_t _ _ _ < <(probe window)
import -window root "$shots/e2e-settings-window.png"

step "終了(&X) in the system menu ends the program"
exit_through_system_menu
[ "$(probe mutex)" = gone ] || fail "the single-instance mutex is still there"
wait_for 10 "the tray icon to go" icon_gone
x=$(sed -n 's/^X=\(-\?[0-9]*\)\r\?$/\1/p' "$run/Brindleway.ini")
y=$(sed -n 's/^Y=\(-\?[0-9]*\)\r\?$/\1/p' "$run/Brindleway.ini")
[ "$x" = "$win_l" ] && [ "$y" = "$win_t" ] \
  || fail "the settings file holds X=$x Y=$y, the window was at $win_l,$win_t"

step "a first start without files shows the window centred"
fresh=$work/fresh
mkdir -p "$fresh"
cp "$program" "$fresh/Brindleway.exe"
start_program "$fresh"
wait_for 60 "the settings window" window_visible
read -r _ l t r b _ < <(probe window)
read -r wl wt wr wb < <(probe workarea)
dx=$(((l + r) - (wl + wr))) dy=$(((t + b) - (wt + wb)))
[ ${dx#-} -le 2 ] && [ ${dy#-} -le 2 ] \
  || fail "the window ($l $t $r $b) is not centred in the work area ($wl $wt $wr $wb)"
wait_for 30 "the tray icon" icon_shown
exit_through_system_menu
grep -q '^X=' "$fresh/Brindleway.ini" || fail "no position was stored at the first exit"

echo "PASS"
