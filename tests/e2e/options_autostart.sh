#!/usr/bin/env bash
# End-to-end test of starting with the computer: Brindleway.exe in a Wine
# desktop on a private Xvfb, the options dialog opened from the settings
# window's menu bar with the mouse, the autostart box ticked and confirmed,
# then cleared and confirmed; the machine-wide Run value read back with
# `wine reg query` after each.
#
#   options_autostart.sh BRINDLEWAY_EXE PROBE_EXE PREFIX SOURCE_DIR
#
# PROBE_EXE is the end-to-end probe; this test uses its "window", "menu" and
# "control ANCHOR ID" questions.
set -euo pipefail

program=$1 probe=$2 prefix=$3 source=$4

run_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'

source "$(dirname "$0")/lib.sh"

# The Run value "Brindleway" as `wine reg query` prints it, or nothing.
run_value() {
  wine_run reg query "$run_key" /v Brindleway 2>/dev/null | tr -d '\r' |
    sed -n 's/^ *Brindleway *REG_SZ *//p'
}
run_value_gone() { [ -z "$(run_value)" ]; }

window_visible() { [ "$(probe window | cut -d' ' -f1)" = visible ]; }

menu_l=0 menu_t=0 menu_r=0 menu_b=0
menu_open() {
  local rect
  rect=$(probe menu)
  [ "$rect" != none ] || return 1
  read -r menu_l menu_t menu_r menu_b <<<"$rect"
}
menu_moved_from() { menu_open && [ "$menu_l" != "$1" ]; }

# A control of the options dialog (the dialog that has control 1010):
# its screen rectangle and its check state.
ctl_l=0 ctl_t=0 ctl_r=0 ctl_b=0 ctl_check=0
options_control() {
  local answer
  answer=$(probe control 1010 "$1")
  [ "$answer" != none ] || return 1
  read -r ctl_l ctl_t ctl_r ctl_b ctl_check <<<"$answer"
}
options_open() { options_control 1010; }
options_closed() { ! options_control 1010; }
autostart_is() { options_control 1010 && [ "$ctl_check" = "$1" ]; }
click_control() {
  options_control "$1" || fail "no control $1 in the options dialog"
  xdotool mousemove $(((ctl_l + ctl_r) / 2)) $(((ctl_t + ctl_b) / 2)) click 1
}

# "ツール(&Ｔ)" is the menu bar's second popup and "オプション(&O)..." its last
# item. The bar runs along the window's top just under the caption; a click
# on its first popup opens the menu, and moving along the bar opens the next
# popup, whose menu then stands further right.
open_options() {
  local l t
  read -r _ l t _ _ _ < <(probe window)
  local bar_y=$((t + 32))
  xdotool mousemove $((l + 20)) "$bar_y" click 1
  wait_for 15 "the first menu of the menu bar" menu_open
  local first_l=$menu_l x
  for ((x = l + 40; x < l + 240; x += 10)); do
    xdotool mousemove "$x" "$bar_y"
    if menu_moved_from "$first_l"; then break; fi
  done
  menu_moved_from "$first_l" || fail "the menu ツール(&Ｔ) did not open"
  xdotool mousemove $((menu_l + 40)) $((menu_b - 11)) click 1
  wait_for 15 "the options dialog" options_open
}

step "start the program for the first time: the settings window is shown"
wine_run reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d shell /f >/dev/null
wine_run reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /d 1024x768 /f >/dev/null
wine_run reg delete "$run_key" /v Brindleway /f >/dev/null 2>&1 || true
run=$work/run
mkdir -p "$run"
cp "$program" "$run/Brindleway.exe"
expected="\"$(winpath "$run")\\Brindleway.exe\""
(cd "$run" && wine_run Brindleway.exe) &
wait_for 60 "the settings window" window_visible

step "tick the autostart box and confirm: the Run value names the program in quotes"
open_options
autostart_is 0 || fail "the autostart box is not clear at first (state $ctl_check)"
click_control 1010
wait_for 10 "the autostart box to be ticked" autostart_is 1
click_control 1
wait_for 15 "the options dialog to close" options_closed
value=$(run_value)
[ "$value" = "$expected" ] || fail "the Run value is [$value], expected [$expected]"

step "the dialog opens with the box ticked; clear it and confirm: the value is gone"
open_options
autostart_is 1 || fail "the autostart box does not show the value written (state $ctl_check)"
click_control 1010
wait_for 10 "the autostart box to be cleared" autostart_is 0
click_control 1
wait_for 15 "the options dialog to close" options_closed
wait_for 10 "the Run value to go" run_value_gone

echo "PASS"
