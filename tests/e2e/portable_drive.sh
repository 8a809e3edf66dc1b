#!/usr/bin/env bash
# End-to-end test of a launcher carried on a removable drive: the prefix
# gets a drive R: of the removable kind (Wine's drive type "floppy") on a
# folder of the test, which holds Brindleway and a tool. The program is
# started from R:\Brindleway; an entry is added through the item editor's
# Browse, where the user opens R:\Tools and double-clicks marker.exe; the
# editor shows it, and the data file stores it, without the drive letter
# (\Tools\marker.exe).
# The program is ended, the drive comes back as S:, the program is started
# from S:\Brindleway, and the entry chosen in the launcher menu starts the
# tool from S:.
#
#   portable_drive.sh BRINDLEWAY_EXE PROBE_EXE SEED_EXE MARKER_EXE PREFIX SOURCE_DIR
#
# Screenshot: portable-drive-editor.png, the editor with the stored path.
set -euo pipefail

program=$1 probe=$2 seed=$3 marker=$4 prefix=$5 source=$6
source "$(dirname "$0")/lib.sh"
failure_shot=portable-drive-failure.png

readonly drives='HKLM\Software\Wine\Drives'
editor_open() { dialog_shown 追加; }
editor_closed() { dialog_gone 追加; }
# The Open dialog's file list: "rows COUNT", then a row a line as
# "L T R B NAME" in UTF-8; "none" without an Open dialog.
file_rows=()
list_files() { mapfile -t file_rows < <(probe files | iconv -f CP932 -t UTF-8); }
file_dialog_open() { list_files && [ "${file_rows[0]}" != none ]; }
file_dialog_closed() { list_files && [ "${file_rows[0]}" = none ]; }
row_x=0 row_y=0
file_listed() { # NAME
  local row l t r b name
  list_files
  for row in "${file_rows[@]:1}"; do
    read -r l t r b name <<<"$row"
    if [ "$name" = "$1" ]; then
      row_x=$(((l + r) / 2)) row_y=$(((t + b) / 2))
      return 0
    fi
  done
  return 1
}

# Maps the stick to drive LETTER, of the removable kind, and takes it off
# every other letter. Wine's mount manager learns the drives and their
# kinds when the prefix's wineserver starts: the kinds are written first,
# the server is ended (with whatever it ran: the program has ended by then)
# and the link is made before the next one starts.
plug_in() {
  local letter=$1 other
  for other in r s; do
    [ "$other" = "$letter" ] || wine_run reg delete "$drives" /v "$other:" /f >/dev/null 2>&1 || true
  done
  wine_run reg add "$drives" /v "$letter:" /d floppy /f >/dev/null
  WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  WINEPREFIX=$prefix wineserver -w 2>/dev/null || true
  rm -f "$prefix/dosdevices/r:" "$prefix/dosdevices/s:"
  ln -s "$stick" "$prefix/dosdevices/$letter:"
}
# Starts the program from FOLDER, a path on the Windows side.
start_from() {
  wine_run "$1\\Brindleway.exe" &
  app_pid=$!
}

step "a removable drive R: holding Brindleway and a tool"
use_shell_desktop
stick=$work/stick
mkdir -p "$stick/Brindleway" "$stick/Tools"
cp "$program" "$stick/Brindleway/Brindleway.exe"
cp "$marker" "$stick/Tools/marker.exe"
plug_in r
wine_run "$seed" 'R:\Brindleway' 'C:\windows\notepad.exe'
rm -f "$stick/Brindleway/Brindleway.ini"
data_file=$stick/Brindleway/Brindleway.bwz
[ "$(probe drivetype 'R:\')" = 2 ] || fail "R: is not a removable drive ($(probe drivetype 'R:\'))"

step "start from R:\\Brindleway: the settings window is shown"
start_from 'R:\Brindleway'
wait_for 60 "the settings window" settings_in_state "visible normal"
wait_for 30 "the taskbar" find_tray_icon
wait_for 30 "the tray icon" tray_icon_shown

step "add an entry through Browse: R:\\Tools, marker.exe double-clicked"
stamp=$(file_stamp "$data_file")
bring_settings_forward always
click_settings_button 1003
wait_for 15 "the item editor" editor_open
xdotool type --delay 50 "stick-tool"
click_dialog_control 追加 1005
wait_for 20 "the Open dialog" file_dialog_open
xdotool type --delay 40 'R:\Tools'
xdotool key Return
wait_for 15 "marker.exe in the Open dialog's list" file_listed marker.exe
xdotool mousemove "$row_x" "$row_y" click --repeat 2 --delay 80 1
wait_for 15 "the Open dialog to close" file_dialog_closed
wait_for 10 "the path without the drive letter" text_is 追加 1006 '\Tools\marker.exe'
screenshot portable-drive-editor.png
dialog_control 追加 1004
[ "$ctl_text" = stick-tool ] || fail "the name became [$ctl_text]"
click_dialog_control 追加 1
wait_for 15 "the item editor to close" editor_closed

step "apply: the data file stores the path without the drive letter"
click_settings_button 1011
wait_for 15 "the data file to be written" file_changed_from "$data_file" "$stamp"
table=$(data_records "$data_file" paths) || fail "the data file could not be read: $table"
echo "$table"
echo "$table" | grep -qx '0 -1 5 stick-tool|\\Tools\\marker.exe' \
  || fail "the new entry is not stored as \\Tools\\marker.exe"

step "exit, and the drive comes back as S:"
system_menu_command 3 exit
wait_for 20 "the program to end" program_ended
plug_in s
[ "$(probe drivetype 'S:\')" = 2 ] || fail "S: is not a removable drive"

step "start from S:\\Brindleway: the entry starts the tool from S:"
start_from 'S:\Brindleway'
wait_for 60 "the tray icon" tray_icon_shown
rm -f "$stick/Tools/marker.txt"
open_tray_menu 1
# The top level: ツール, Brindleway & Co., マーカー, then the new entry.
xdotool mousemove "$(menu_item_x "$menu_rect")" "$(menu_item_y "$menu_rect" 3 4)" click 1
wait_for 30 "the tool to run" test -f "$stick/Tools/marker.txt"
launched=$(tr -d '\r' <"$stick/Tools/marker.txt")
echo "$launched"
grep -qx 'cwd: S:\\Tools' <<<"$launched" || fail "the tool did not start in S:\\Tools"
system_menu_command 3 exit
wait_for 20 "the program to end" program_ended

echo "PASS"
