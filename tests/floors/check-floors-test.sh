#!/usr/bin/env bash
# The floor check on a small tree of its own: it must name exactly the
# include from a higher floor, the one from a neighbour on the same floor and
# the one from no known folder, pass every allowed one, and fail.
#
#   check-floors-test.sh CHECK-FLOORS
set -u
here=$(cd "$(dirname "$0")" && pwd)
output=$("$1" "$here/fixture")
status=$?
if [ "$status" -ne 1 ]; then
  echo "expected exit status 1, got $status"
  exit 1
fi
if ! diff <(cat "$here/expected.txt") <(echo "$output"); then
  echo "the check's findings differ from the expected ones (above)"
  exit 1
fi
echo "check-floors: finds the three faults of the fixture and nothing else"
