#!/usr/bin/env bash
# Runs a test executable under Wine at a DPI: in a prefix of its own whose
# LogPixels (which Wine 8 reads from HKCU\Control Panel\Desktop when a
# process starts) is set to that DPI. The tests learn the DPI they should
# see from BRINDLEWAY_EXPECTED_DPI.
#
#   run-at-dpi.sh DPI PREFIX program.exe [args...]
set -euo pipefail
dpi=$1
prefix=$2
shift 2
runner="$(dirname "$0")/../../../tools/wine-run"
"$runner" --prefix "$prefix" reg add 'HKCU\Control Panel\Desktop' /v LogPixels \
  /t REG_DWORD /d "$dpi" /f >/dev/null
export BRINDLEWAY_EXPECTED_DPI=$dpi
exec "$runner" --prefix "$prefix" --unmanaged "$@"
