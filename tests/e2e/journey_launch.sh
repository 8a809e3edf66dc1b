#!/usr/bin/env bash
# Journey: launching every kind of entry from the tray icon's launcher menu
# with the mouse. A program inside a group runs; a document opens in the
# program registered for its type; a folder opens a window; a URL reaches
# the program registered for "http". The registered programs are copies of
# the marker program, which records what it was given. The program and the
# document lie where a user keeps them (C:\Program Files, the public
# documents folder). Once the program's file is gone, choosing it brings
# one message naming the entry, why it could not be opened and the path.
#
#   journey_launch.sh BRINDLEWAY_EXE PROBE_EXE MARKER_EXE SEED_EXE PREFIX SOURCE_DIR
set -euo pipefail

program=$1 probe=$2 marker=$3 seed=$4 prefix=$5 source=$6
source "$(dirname "$0")/lib.sh"
failure_shot=journey-2-failure.png

step "a folder with the program and one entry of each kind; handlers registered in the prefix"
run=$work/run
# The prefix first (a new one is made afresh), then where a user keeps the
# files, on its drive C:.
use_shell_desktop
drive_c=$prefix/drive_c
cpath() { local inside=${1#"$drive_c"/}; echo "C:\\${inside//\//\\}"; }
apps=$drive_c/Program\ Files/マーカー
documents=$drive_c/users/Public/Documents
rm -rf "$apps" "$documents/予定表.bwdoc" "$documents/共有"
mkdir -p "$run" "$apps" "$work/apps/viewer" "$work/apps/browser" "$documents/共有"
cp "$program" "$run/Brindleway.exe"
cp "$marker" "$apps/marker.exe"
for app in viewer browser; do
  cp "$marker" "$work/apps/$app/marker.exe"
done
echo "予定" >"$documents/予定表.bwdoc"
document="$(cpath "$documents")\\予定表.bwdoc"
url='http://brindleway.example.org/journey?kind=url&n=2'
# The program is a quoted path followed by its arguments.
wine_run "$seed" --kinds "$(winpath "$run")" "\"$(cpath "$apps")\\marker.exe\" --flag x" \
  "$document" "$(cpath "$documents/共有")" "$url"
[ -f "$run/Brindleway.bwz" ] || fail "no data file was prepared"
handler() { echo "\"$(winpath "$work/apps/$1")\\marker.exe\" \"%1\""; }
wine_run reg add 'HKCR\.bwdoc' /ve /d Brindleway.Document /f >/dev/null
wine_run reg add 'HKCR\Brindleway.Document\shell\open\command' /ve /d "$(handler viewer)" /f >/dev/null
wine_run reg add 'HKCR\http\shell\open\command' /ve /d "$(handler browser)" /f >/dev/null

step "start: the window stays hidden, the tray icon appears"
start_program "$run"
wait_for 60 "the program to start" running
wait_for 30 "the taskbar" find_tray_icon
wait_for 30 "the tray icon" tray_icon_shown
settings_in_state hidden || fail "the settings window is shown although the settings file says no"

# The launcher menu: ツール, 予定表, 共有, ウェブ.
top=""
open_launcher_menu() {
  open_tray_menu 1
  top=$menu_rect
}
choose_top_item() { # INDEX
  open_launcher_menu
  xdotool mousemove "$(menu_item_x "$top")" "$(menu_item_y "$top" "$1" 4)" click 1
  wait_for 10 "the menu to close" menus_closed
}
# What the marker copy APP recorded, once it has run; "program" is the one
# in C:\Program Files.
app_folder() { if [ "$1" = program ]; then echo "$apps"; else echo "$work/apps/$1"; fi; }
marker_ran() { [ -f "$(app_folder "$1")/marker.txt" ]; }
recorded() { iconv -f CP932 -t UTF-8 "$(app_folder "$1")/marker.txt" | tr -d '\r'; }
# The marker copy APP, once it has run, was given WHAT as its argument.
handler_given() { # APP WHAT
  wait_for 30 "the $1 handler" marker_ran "$1"
  local got
  got=$(recorded "$1")
  [ "$(sed -n 2p <<<"$got")" = "$2" ] || fail "the $1 handler recorded: $got"
}

step "the program inside ツール: resting on the group opens its submenu; a click starts it with its arguments in its folder"
open_launcher_menu
xdotool mousemove "$(menu_item_x "$top")" "$(menu_item_y "$top" 0 4)"
wait_for 15 "ツール's submenu" new_menu_among 2 "$top"
sub=$menu_rect
screenshot tray-menu.png
xdotool mousemove "$(menu_item_x "$sub")" "$(menu_item_y "$sub" 0 1)" click 1
wait_for 30 "the program's marker file" marker_ran program
wait_for 10 "the menus to close" menus_closed
got=$(recorded program)
# It gets the arguments after its quoted path and starts in its own folder,
# as a double-click in Explorer starts it.
[ "$got" = "launched
--flag
x
cwd: $(cpath "$apps")" ] || fail "the program recorded: $got"

step "the document opens in the program registered for .bwdoc"
choose_top_item 1
handler_given viewer "$document"

step "the folder opens a window of its own"
folder_window() { probe windows | iconv -f CP932 -t UTF-8 | grep -q '|.*共有'; }
! folder_window || fail "a window named after the folder is there before the launch"
choose_top_item 2
wait_for 30 "a window showing the folder 共有" folder_window

step "the URL reaches the program registered for http"
choose_top_item 3
handler_given browser "$url"

step "the program's file gone: choosing it tells which entry could not be opened, why, and the path"
rm -f "$apps/marker.exe" "$apps/marker.txt"
open_launcher_menu
xdotool mousemove "$(menu_item_x "$top")" "$(menu_item_y "$top" 0 4)"
wait_for 15 "ツール's submenu" new_menu_among 2 "$top"
sub=$menu_rect
xdotool mousemove "$(menu_item_x "$sub")" "$(menu_item_y "$sub" 0 1)" click 1
wait_for 15 "the message" message_shown
screenshot launch-failure.png
text=$(message_text)
expected="「マーカー」を開けませんでした。\\nファイルまたはフォルダーが見つかりません。移動したか削除された可能性があります。\\n\\n$(cpath "$apps")\\marker.exe"
[ "$text" = "$expected" ] || fail "the message reads [$text], not [$expected]"
dialog_control "$program_caption" 1 || fail "the message has no OK button"
click_dialog_control "$program_caption" 1
wait_for 15 "the message to close" dialog_gone "$program_caption"
wait_for 10 "the menus to close" menus_closed
[ "$(probe toplevels | grep -c $'^#32770\t')" -eq 0 ] || fail "another box is open: $(probe toplevels)"

echo "PASS"
