#!/bin/sh
# The help check must catch chmcmd's context-map fault: compiled in place,
# without the chroot of the real build, the map ids name the absolute build
# folder and lead to no page inside the file.
#
#   check_catches_build_paths.sh PYTHON CHECKER BUILD-SCRIPT CHMCMD WORKDIR PROJECT FILE...
set -eu
python=$1
checker=$2
build=$3
chmcmd=$4
work=$5
shift 5

rm -rf "$work"
mkdir -p "$work"
sh "$build" --in-place "$chmcmd" "$work/stage" "$work/in-place.chm" "$@"

set +e
"$python" "$checker" "$work/in-place.chm" >"$work/check.log" 2>&1
rc=$?
set -e
cat "$work/check.log"
if [ "$rc" -ne 1 ]; then
    echo "expected the check to fail (exit 1), it exited $rc" >&2
    exit 1
fi
for id in 5001 5002; do
    if ! grep -q "map id $id names '$work/stage/" "$work/check.log"; then
        echo "expected the check to report the build path behind map id $id" >&2
        exit 1
    fi
done
echo "the check reports the absolute paths in the context map"
