#!/usr/bin/env bash
# Journey: the launcher menu opened from the keyboard, and a launcher that
# moved. Ctrl+Alt+Space (no hotkey written in the settings file) opens the
# launcher menu at the mouse pointer while the settings window is hidden;
# a click on an entry starts it. The entry's program is stored relative to
# the program's folder (tools\marker.exe); after the whole folder is moved
# elsewhere, a hotkey of the user's own written into its settings file and
# the program started from there, those keys open the menu and the same
# entry starts the copy in the new place. The program leaves the hotkey's
# line as the user wrote it.
#
#   journey_hotkey.sh BRINDLEWAY_EXE PROBE_EXE MARKER_EXE SEED_EXE PREFIX SOURCE_DIR
set -euo pipefail

program=$1 probe=$2 marker=$3 seed=$4 prefix=$5 source=$6
source "$(dirname "$0")/lib.sh"
failure_shot=journey-7-failure.png

step "a folder with the program and its tools; the entry マーカー is tools\\marker.exe"
first=$work/first/ランチャー
mkdir -p "$first/tools"
cp "$program" "$first/Brindleway.exe"
cp "$marker" "$first/tools/marker.exe"
wine_run "$seed" "$(winpath "$first")" 'tools\marker.exe'
[ -f "$first/Brindleway.bwz" ] || fail "no data file was prepared"
grep -qi hotkey "$first/Brindleway.ini" && fail "the prepared settings file names a hotkey"
use_shell_desktop

# The launcher menu: ツール, Brindleway & Co., マーカー.
top=""
open_menu_with_the_hotkey() { # X Y [KEYS]: where the pointer rests, the keys
  xdotool mousemove "$1" "$2"
  xdotool key "${3:-ctrl+alt+space}"
  wait_for 15 "the launcher menu" new_menu_among 1
  top=$menu_rect
  # The menu opens at the pointer, not at the tray icon.
  [ "$menu_l" -ge $(($1 - 2)) ] && [ "$menu_l" -le $(($1 + 2)) ] ||
    fail "the menu's left edge $menu_l is not at the pointer's $1"
  [ "$menu_t" -ge $(($2 - 2)) ] && [ "$menu_t" -le $(($2 + 2)) ] ||
    fail "the menu's top edge $menu_t is not at the pointer's $2"
}
start_in() { # FOLDER
  start_program "$1"
  wait_for 60 "the program to start" running
  wait_for 30 "the taskbar" find_tray_icon
  wait_for 30 "the tray icon" tray_icon_shown
  settings_in_state hidden || fail "the settings window is shown although the settings file says no"
}
marker_ran_in() { [ -f "$1/tools/marker.txt" ]; }
# A click on マーカー, the third item of the open menu, starts
# tools\marker.exe of FOLDER in its own folder.
launch_marker_in() { # FOLDER
  xdotool mousemove "$(menu_item_x "$top")" "$(menu_item_y "$top" 2 3)" click 1
  wait_for 30 "the marker file in $1" marker_ran_in "$1"
  local got
  got=$(iconv -f CP932 -t UTF-8 "$1/tools/marker.txt" | tr -d '\r')
  [ "$(tail -n 1 <<<"$got")" = "cwd: $(winpath "$1/tools")" ] ||
    fail "the marker recorded: $got"
}

step "start: the window stays hidden; Ctrl+Alt+Space opens the launcher menu at the pointer"
start_in "$first"
open_menu_with_the_hotkey 300 200
screenshot hotkey-menu.png

step "a click on マーカー starts tools\\marker.exe from the program's folder"
launch_marker_in "$first"
wait_for 10 "the menu to close" menus_closed

step "exit through the system menu"
system_menu_command 3 exit
wait_for 30 "the program to end" program_ended

step "the whole folder moved elsewhere, Ctrl+Shift+F12 written as the hotkey; the program started from there"
moved=$work/elsewhere/移動先
mkdir -p "$(dirname "$moved")"
mv "$first" "$moved"
rm -f "$moved/tools/marker.txt"
[ ! -e "$first" ] || fail "the old folder is still there"
printf '\r\n[Hotkey]\r\nLauncher=ctrl + shift + F12\r\n' >>"$moved/Brindleway.ini"
start_in "$moved"
open_menu_with_the_hotkey 500 300 ctrl+shift+F12
launch_marker_in "$moved"

step "exit: the hotkey's line is still as written"
system_menu_command 3 exit
wait_for 30 "the program to end" program_ended
grep -q '^Launcher=ctrl + shift + F12'$'\r''\?$' "$moved/Brindleway.ini" ||
  fail "the hotkey's line changed: $(grep -i launcher "$moved/Brindleway.ini")"

echo "PASS"
