#!/usr/bin/env bash
# Journey: the first start from an unpacked release. The settings window
# comes up centred; a click on the tray icon opens the launcher menu with
# its grayed "(なし)" alone; the user adds a group, a program picked with
# the mouse from the Open dialog's list, a document, a folder by typing its
# path and a URL pasted whole, each through the item editor; Apply writes
# the data file, which is read back. The program and the document lie
# where a user keeps them (C:\Program Files, the public documents folder),
# so the settings window's picture shows what a user's would.
#
#   journey_first_start.sh BUILD_DIR ZIP PROBE_EXE MARKER_EXE PREFIX SOURCE_DIR
#
# ZIP is the release as users download it; the script has BUILD_DIR build
# it with its `dist` target first, so the zip holds the program under test.
set -euo pipefail

build=$1 release=$2 probe=$3 marker=$4 prefix=$5 source=$6
source "$(dirname "$0")/lib.sh"
failure_shot=journey-1-failure.png

step "unpack the release into a fresh folder"
cmake --build "$build" --target dist >/dev/null || fail "the release zip could not be built"
[ -f "$release" ] || fail "no release zip at $release"
mkdir -p "$work/download"
unzip -q "$release" -d "$work/download"
top=$(basename "$release" .zip)
[ "$(ls "$work/download")" = "$top" ] || fail "the zip does not hold the one folder $top"
run=$work/download/$top
listing=$(cd "$run" && ls | LC_ALL=C sort | tr '\n' ' ')
[ "$listing" = "Brindleway.chm Brindleway.exe LICENSE.txt THIRD-PARTY.txt readme.txt " ] \
  || fail "the zip's folder $top holds: $listing"

# What the user will add, on the prefix's drive C:: a program under
# C:\Program Files, a document in a Japanese folder of the public
# documents, the public pictures folder, and a web address.
# The prefix first (a new one is made afresh), then the files on its drive.
use_shell_desktop
drive_c=$prefix/drive_c
cpath() { local inside=${1#"$drive_c"/}; echo "C:\\${inside//\//\\}"; }
program_folder=$drive_c/Program\ Files/Yotei
documents=$drive_c/users/Public/Documents
pictures=$drive_c/users/Public/Pictures
rm -rf "$program_folder" "$documents/書類"
mkdir -p "$program_folder" "$documents/書類" "$pictures"
cp "$marker" "$program_folder/yotei.exe"
echo "予定" >"$documents/書類/予定表.bwdoc"
url='https://www.jma.go.jp/bosai/forecast/#area_type=offices&area_code=130000'
data_file=$run/Brindleway.bwz
[ ! -e "$data_file" ] && [ ! -e "$run/Brindleway.ini" ] || fail "the release holds data files"

step "first start: the settings window is shown, centred in the work area"
start_program "$run"
wait_for 60 "the settings window" settings_in_state visible
settings_centred || fail "the settings window of a first start is not centred"
[ "$(probe count 1000 1001)" = 0 ] || fail "the item list of a first start is not empty"

find_group_tree

step "a click on the tray icon: the launcher menu holds the grayed (なし) alone"
wait_for 30 "the taskbar" find_tray_icon
wait_for 30 "the tray icon" tray_icon_shown
open_tray_menu 1
echo "the menu: $menu_rect"
screenshot empty-launcher-menu.png
close_menus

# The item editor, opened by the button 追加(&A)..., has that caption.
readonly editor=追加
open_editor() {
  click_settings_button 1003
  wait_for 15 "the item editor" dialog_shown "$editor"
}
# Chooses a kind in the editor's kind list with the mouse: a click opens the
# list, a click on the row chooses.
drop_l=0 drop_t=0 drop_r=0 drop_b=0 drop_count=0
droplist_open() {
  local answer
  answer=$(probe droplist)
  [ "$answer" != none ] || return 1
  read -r drop_l drop_t drop_r drop_b drop_count <<<"$answer"
}
choose_kind() { # POSITION
  click_dialog_control "$editor" 1026
  wait_for 10 "the kind list to drop down" droplist_open
  [ "$drop_count" = 3 ] || fail "the kind list holds $drop_count kinds"
  xdotool mousemove $(((drop_l + drop_r) / 2)) \
    $((drop_t + (drop_b - drop_t) * (2 * $1 + 1) / 6)) click 1
}
confirm_editor() {
  click_dialog_control "$editor" 1
  wait_for 15 "the item editor to close" dialog_gone "$editor"
}
type_into() { # ID TEXT
  click_dialog_control "$editor" "$1"
  xdotool type --delay 40 "$2"
}
paste_into() { # ID TEXT
  probe clip "$2" >/dev/null || fail "the clipboard could not be set"
  click_dialog_control "$editor" "$1"
  xdotool key ctrl+v
}

# The Open dialog's file list: rows as "L T R B NAME" in UTF-8.
file_rows=()
# The first line is "rows COUNT", or "none" without an Open dialog.
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
# Double-clicks NAME in the dialog's list: a folder opens, a file is chosen.
double_click_file() {
  wait_for 15 "$1 in the Open dialog's list" file_listed "$1"
  xdotool mousemove "$row_x" "$row_y" click --repeat 2 --delay 80 1
}
# Browse opens the Open dialog; a folder's path typed into the file name box
# with Enter shows that folder.
browse_to() { # FOLDER (on drive C:)
  click_dialog_control "$editor" 1005
  wait_for 20 "the Open dialog" file_dialog_open
  xdotool type --delay 40 "$(cpath "$1")"
  xdotool key Return
}

step "add a group named ツール (pasted) at the top level"
open_editor
paste_into 1004 "ツール"
choose_kind 1
confirm_editor

step "add the program inside ツール, picked from the Open dialog's list with the mouse"
wait_for 10 "ツール in the tree" count_is 1000 1000 2
click_tree_row 1 1
open_editor
browse_to "$program_folder"
double_click_file yotei.exe
wait_for 15 "the Open dialog to close" file_dialog_closed
text_is "$editor" 1006 "$(cpath "$program_folder")\\yotei.exe" \
  || fail "the path edit holds [$ctl_text] after Browse"
text_is "$editor" 1004 yotei.exe || fail "the name edit holds [$ctl_text] after Browse"
confirm_editor

step "add the document 予定表.bwdoc at the top level, opening its folder in the Open dialog"
click_tree_row 0 0
open_editor
browse_to "$documents"
double_click_file 書類
double_click_file 予定表.bwdoc
wait_for 15 "the Open dialog to close" file_dialog_closed
confirm_editor

step "add a folder by typing its path"
open_editor
paste_into 1004 "写真"
type_into 1006 "$(cpath "$pictures")"
confirm_editor

step "add a URL by pasting the whole address"
open_editor
paste_into 1004 "東京の天気"
choose_kind 2
wait_for 10 "the URL row" text_is "$editor" 1022 URL
paste_into 1023 "$url"
confirm_editor

step "the filled window, before Apply"
wait_for 10 "four entries at the top level" count_is 1000 1001 4
screenshot settings-window.png

step "Apply: the data file holds the five entries"
[ ! -e "$data_file" ] || fail "the data file was written before Apply"
click_settings_button 1011
# The data file is complete once the temporary file it is written through
# has gone.
data_written() { [ -f "$data_file" ] && [ ! -e "$run/~Brindleway.tmp" ]; }
wait_for 15 "the data file" data_written
table=$(data_records "$data_file" paths) || fail "the data file could not be read: $table"
echo "$table"
expected="1 -1 0 ツール|
0 0 1 yotei.exe|$(cpath "$program_folder")\\yotei.exe
0 -1 2 予定表.bwdoc|$(cpath "$documents/書類")\\予定表.bwdoc
0 -1 3 写真|$(cpath "$pictures")
2 -1 4 東京の天気|$url"
[ "$table" = "$expected" ] || fail "the data file is not as expected:
$expected"

echo "PASS"
