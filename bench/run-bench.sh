#!/usr/bin/env bash
# make bench: measures Brindleway against the floor program in one run,
# under one Wine prefix and one X display of its own, then the data layer
# natively. Prints the figures; nothing here fails on a number.
#
#   run-bench.sh SOURCE_DIR WIN32_BUILD_DIR HOST_BUILD_DIR
#
# BENCH_BASELINE=path/to/an/earlier/Brindleway.exe measures that program
# alongside (old-empty, old-255), to compare a change.
set -euo pipefail

source=$1 win32=$2 host=$3
prefix=$win32/wineprefix-bench
source "$source/tests/e2e/display.sh"
start_own_display

wine_run() { "$source/tools/wine-run" --prefix "$prefix" --unmanaged "$@"; }
winpath() { echo "Z:${1//\//\\}"; }

# Every program runs in a Wine desktop with a taskbar, so the tray icons
# have a notification area, as on a user's desktop.
wine_run reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d bench /f >/dev/null
wine_run reg add 'HKCU\Software\Wine\Explorer\Desktops' /v bench /d 1024x768 /f >/dev/null
# Starts the desktop, so that its own start does not count for the first
# program measured.
wine_run reg query 'HKCU\Software\Wine\Explorer' >/dev/null

echo "Machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'), $(nproc) cores," \
  "load $(cut -d' ' -f1-3 /proc/loadavg); $(wine --version)"
echo
result=$work/result.txt
wine_run "$win32/bench/bench_probe.exe" 'C:\bench' \
  "$(winpath "$win32/Brindleway.exe")" "$(winpath "$win32/bench/bench_floor.exe")" \
  "$(winpath "$win32/bench/bench_gui.exe")" "$(winpath "$result")" \
  ${BENCH_BASELINE:+"$(winpath "$(realpath "$BENCH_BASELINE")")"}
cat "$result"
echo
wine_run "$win32/bench/bench_breakdown.exe" 'C:\bench\breakdown' "$(winpath "$result")"
cat "$result"
echo
"$host/bench/bench_store"
